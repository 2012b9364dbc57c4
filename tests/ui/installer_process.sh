# The installer started in the background of a window suite, and its exit
# code read once it ends. Sourced after wine-suite.sh; the program is
# C:\inst\TrovalisInstallV7.exe in the suite's prefix.
installer_pid=
start_installer() {
    rm -f "$WINEPREFIX/installer.rc"
    (wine 'C:\inst\TrovalisInstallV7.exe' </dev/null >/dev/null 2>&1; echo $? >"$WINEPREFIX/installer.rc") &
    installer_pid=$!
}
installer_exit() {  # waits up to SECONDS for the program to end; prints its exit code
    local i
    for i in $(seq 1 $(($1 * 10))); do
        [ -f "$WINEPREFIX/installer.rc" ] && { cat "$WINEPREFIX/installer.rc"; return 0; }
        sleep 0.1
    done
    echo timeout
}
