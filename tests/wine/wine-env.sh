# Common environment for every Wine run of the project: never the user's own
# prefix, no debug noise, and no menu entries or .desktop files leaking onto
# the Linux desktop when a program creates shortcuts.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
# Wine looks for its 32-bit loader via these on Debian.
export WINELOADER=${WINELOADER:-/usr/bin/wine}

# Starts a private Xvfb on a free display and exports DISPLAY.
# Sets XVFB_PID; callers kill it at exit.
start_private_xvfb() {
    local n
    for n in $(seq 91 160); do
        [ -e "/tmp/.X${n}-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        local i
        for i in $(seq 1 50); do
            if [ -e "/tmp/.X11-unix/X$n" ]; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null || true
    done
    echo "no free X display for Xvfb" >&2
    return 1
}

# Starts the prefix's wineserver and its system processes with their output
# detached, so a caller capturing a wine command's output never hangs on
# services.exe holding the pipe open.
start_wine_session() {
    wineserver -p 2>/dev/null || true
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

stop_wine_session() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}
