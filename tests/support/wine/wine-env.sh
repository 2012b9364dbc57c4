# Common environment for every Wine run of the project: never the user's own
# prefix, no debug noise, and no menu entries or .desktop files leaking onto
# the Linux desktop when a program creates shortcuts.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"

# True when this machine runs 32-bit Linux programs natively, so Wine can run
# 32-bit Windows programs (some kernels are booted without 32-bit support; an
# emulator registered for them would make every start take a minute).
native_32bit_wine() {
    [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && [ -x /usr/lib/wine/wine ] &&
        /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Without 32-bit support only 64-bit Windows programs can run: every "wine"
# (and the tools that start through Debian's wine-stable script) goes to the
# 64-bit loader directly instead of failing in the 32-bit one.
if native_32bit_wine; then
    export WINELOADER=${WINELOADER:-/usr/bin/wine}
else
    export WINELOADER=/usr/lib/wine/wine64
    wine_bin="${TMPDIR:-/tmp}/wine64-only-bin"
    if [ ! -x "$wine_bin/wine-stable" ]; then
        mkdir -p "$wine_bin"
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$wine_bin/wine.tmp.$$"
        chmod +x "$wine_bin/wine.tmp.$$"
        cp "$wine_bin/wine.tmp.$$" "$wine_bin/wine.tmp2.$$"
        mv -f "$wine_bin/wine.tmp.$$" "$wine_bin/wine"
        mv -f "$wine_bin/wine.tmp2.$$" "$wine_bin/wine-stable"
    fi
    case ":$PATH:" in *":$wine_bin:"*) ;; *) export PATH="$wine_bin:$PATH" ;; esac
fi

# Starts a private Xvfb on a free display and exports DISPLAY.
# Sets XVFB_PID; callers kill it at exit.
start_private_xvfb() {
    # Xvfb picks a free display itself and writes its number to -displayfd:
    # two suites starting at once must never share (and then kill) one server.
    local numberFile
    numberFile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
    XVFB_PID=$!
    local i n
    for i in $(seq 1 100); do
        n=$(head -n 1 "$numberFile" 2>/dev/null || true)
        if [ -n "$n" ] && [ -e "/tmp/.X11-unix/X$n" ]; then
            rm -f "$numberFile"
            export DISPLAY=":$n"
            return 0
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$numberFile"
    kill "$XVFB_PID" 2>/dev/null || true
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

# Why native_32bit_wine is false, in one line.
why_no_32bit() {
    local emulation_off
    if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
        echo "an emulator is registered for 32-bit programs (/proc/sys/fs/binfmt_misc/qemu-i386); 'echo -1 >' it removes it"
    elif zcat /proc/config.gz 2>/dev/null | grep -q '^# CONFIG_IA32_EMULATION is not set'; then
        echo "the kernel is built without 32-bit support (CONFIG_IA32_EMULATION)"
    elif grep -q 'ia32_emulation=\(0\|false\|off\|n\)' /proc/cmdline 2>/dev/null; then
        echo "the kernel was booted with 32-bit support switched off (ia32_emulation= in /proc/cmdline)"
    elif [ ! -x /usr/lib/wine/wine ]; then
        echo "Wine's 32-bit loader (/usr/lib/wine/wine, package wine32:i386) is not installed"
    elif emulation_off=$(dmesg 2>/dev/null | grep -m 1 -o '32-bit emulation disabled.*'); then
        echo "the kernel has 32-bit support switched off at run time (dmesg: $emulation_off)"
    else
        echo "the kernel refuses to start 32-bit programs ($(/usr/lib/wine/wine --version 2>&1 | head -n 1))"
    fi
}
