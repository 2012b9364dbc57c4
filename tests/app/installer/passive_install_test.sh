#!/usr/bin/env bash
# The passive installation ("silent with progress"), under Wine on a private
# Xvfb: the window is mapped, the installation starts at once, nothing waits
# for a person (no message box; stdin is closed and the run must end by
# itself), and the exit codes and log are those of /quiet:
#   licence not accepted 1602 with no window, a file in the way 1603 with the
#   window mapped and closed by itself, a success 0, and Uninstall.exe
#   /passive removing the product without its confirmation.
#
#   passive_install_test.sh --template DIR --scratch DIR --installer EXE --exit-code-of EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/wine/wine-suite.sh"
suite_options installer exit-code-of -- "$@"
suite_start

inst="$C/inst"
mkdir -p "$inst"
cp "$installer" "$inst/TrovalisInstallV7.exe"
cp "$exit_code_of" "$inst/ExitCodeOf.exe"
log="$C/passive.log"
title='Zorvanelle Driver Installation'

# Every window mapped on the display while a run goes on, one name a line.
mapped="$WINEPREFIX/mapped-windows"
watch_windows() {
    : >"$mapped"
    (while true; do xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null >>"$mapped"; sleep 0.1; done) &
    BACKGROUND_PIDS=$!
}
stop_watching() { kill $BACKGROUND_PIDS 2>/dev/null; BACKGROUND_PIDS=; }
own_windows() { grep -v -x 'Default - Wine desktop' "$mapped" | sort -u; }

P='C:\inst\TrovalisInstallV7.exe'

echo "== licence"
watch_windows
rc=$(run "$P" /passive "/log=C:\\passive.log" '/dir=C:\NoLicence')
stop_watching
check "a passive run without the licence gives 1602" test "$rc" = 1602
check "its log ends with the exit code" test "$(last_line "$log")" = "exit 1602 cancelled or declined"
check "it showed no window" test -z "$(own_windows)"
check "nothing was installed" test ! -e "$C/NoLicence"

echo "== a file in the way"
mkdir -p "$C/Blocked/Zorvanelle/ZorvanelleV7/ZorvanelleServiceV7.exe"
echo blocker >"$C/Blocked/Zorvanelle/ZorvanelleV7/ZorvanelleServiceV7.exe/keep"
watch_windows
rc=$(run "$P" /passive /accept-license "/log=C:\\passive.log" '/dir=C:\Blocked')
stop_watching
check "a failed passive run ends by itself with 1603" test "$rc" = 1603
check "its window was mapped" grep -q -x "$title" "$mapped"
check "no other window (no message box) was mapped" test "$(own_windows)" = "$title"
check "its log names the failing path" \
    grep -q 'write-file failed error=[0-9]* C:\\Blocked\\Zorvanelle\\ZorvanelleV7\\ZorvanelleServiceV7.exe' "$log"
check "its log ends with the exit code" test "$(last_line "$log")" = "exit 1603 failed and rolled back"
rm -rf "$C/Blocked"

echo "== success"
watch_windows
rc=$(run "$P" /PASSIVE -Accept-License "/log=C:\\passive.log" '/dir=C:\Passive Base')
stop_watching
check "a passive installation gives 0" test "$rc" = 0
check "its window was mapped" grep -q -x "$title" "$mapped"
check "its log ends with the exit code" test "$(last_line "$log")" = "exit 0 success"
check "the files are installed" test -f "$C/Passive Base/Zorvanelle/ZorvanelleV7/uninstall.log"
wine taskkill /f /im ZorvanellePanelV7.exe </dev/null >/dev/null 2>&1

echo "== Uninstall.exe /passive"
watch_windows
rc=$(run 'C:\Passive Base\Zorvanelle\ZorvanelleV7\Uninstall.exe' /passive '/log=C:\passive-remove.log')
stop_watching
check "a passive removal gives 0 without its confirmation" test "$rc" = 0
check "its progress window was mapped" test -n "$(own_windows)"
check "the product is gone" test ! -e "$C/Passive Base/Zorvanelle/ZorvanelleV7/uninstall.log"
suite_end
