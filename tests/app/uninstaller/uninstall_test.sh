#!/usr/bin/env bash
# The uninstaller as Windows and deployment tools run it, under Wine on a
# private Xvfb, each time against a snapshot of the machine taken before the
# installation (machine_snapshot.exe: the sequence tests' own snapshot):
#   the command line (87, /?), QuietUninstallString as read from the
#   registry (the machine equals the snapshot the moment it returns), the
#   interactive UninstallString with its confirmation answered and declined,
#   both while the panel runs, a log cut short (1603, what it still names is
#   removed), a log naming another folder and a second removal (1605).
#
#   uninstall_test.sh --template DIR --scratch DIR --installer EXE --exit-code-of EXE --snapshot EXE --probe EXE --shell EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/wine/wine-suite.sh"
suite_options installer exit-code-of snapshot probe shell -- "$@"
suite_start

mkdir -p "$C/inst" "$C/Uninst"
cp "$installer" "$C/inst/TrovalisInstallV7.exe"
cp "$exit_code_of" "$C/inst/ExitCodeOf.exe"
cp "$snapshot" "$C/inst/machine_snapshot.exe"
cp "$probe" "$C/inst/window_probe.exe"
start_test_shell "$shell"
product='C:\Uninst\Apps\Zorvanelle\ZorvanelleV7'
product_dir="$C/Uninst/Apps/Zorvanelle/ZorvanelleV7"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZorvanelleV7'
ulog="$C/uninstall-run.log"

# The output goes to a file, not a pipe: a pipe would also wait for every
# process that inherited it, and the test must see the moment the started
# process itself returns.
exit_code() {  # ExitCodeOf ARGS... : the started program's whole exit code
    timeout 300 wine 'C:\inst\ExitCodeOf.exe' "$@" </dev/null >"$WINEPREFIX/code" 2>/dev/null
    tr -d '\r' <"$WINEPREFIX/code" | tail -n 1
}
# Waits for a background run, at most five minutes (never for the Xvfb,
# which is a child of this shell too).
wait_for() {  # PID
    local i
    for i in $(seq 1 3000); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}
snapshot() { machine_snapshot 'C:\Uninst'; }
entry_value() {  # NAME: the data of the Add/Remove Programs value NAME
    wine reg query "$entry" /v "$1" </dev/null 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
install() {
    rc=$(exit_code 'C:\inst\TrovalisInstallV7.exe' /quiet /accept-license '/log=C:\install.log' '/dir=C:\Uninst\Apps')
    [ "$rc" = 0 ] || { echo "     installation gave $rc"; return 1; }
}
# Only this prefix's panel: other Wine sessions on the machine may run one too.
panel_runs() {
    local pid
    for pid in $(pgrep -f 'ZorvanellePanelV7.exe'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}
panel_gone() { ! panel_runs; }

before=$(snapshot)
check "the snapshot sees the machine" test -n "$before"

echo "== the Add/Remove Programs entry"
check "the demo package installs quietly" install
cp "$product_dir/Uninstall.exe" "$C/inst/Uninstall.exe"
quiet_cmd=$(entry_value QuietUninstallString)
shell_cmd=$(entry_value UninstallString)
check "UninstallString is the quoted uninstaller" test "$shell_cmd" = "\"$product\\Uninstall.exe\""
check "QuietUninstallString adds /quiet" test "$quiet_cmd" = "\"$product\\Uninstall.exe\" /quiet"
check "InstallLocation is the installation folder" test "$(entry_value InstallLocation)" = "$product"
check "DisplayVersion is the project's" grep -q '^[0-9]*\.[0-9]*\.[0-9]*$' <<<"$(entry_value DisplayVersion)"
check "InstallDate is today" test "$(entry_value InstallDate)" = "$(date +%Y%m%d)"
size=$(entry_value EstimatedSize)
check "EstimatedSize is about the package's 12 MB, in KB" test $((size)) -gt 10000 -a $((size)) -lt 20000
check "NoModify is 1" test "$(entry_value NoModify)" = 0x1
check "NoRepair is 1" test "$(entry_value NoRepair)" = 0x1

echo "== command line"
check "an unknown switch gives 87" test "$(exit_code "$product\\Uninstall.exe" /quiet /frobnicate)" = 87
check "/? gives 0" test "$(exit_code "$product\\Uninstall.exe" /?)" = 0
check "neither removed anything" test -f "$product_dir/uninstall.log"

echo "== a log naming another folder"
mkdir -p "$C/Elsewhere/Zorvanelle/ZorvanelleV7"
cp "$product_dir/uninstall.log" "$product_dir/Uninstall.exe" "$C/Elsewhere/Zorvanelle/ZorvanelleV7/"
rc=$(exit_code 'C:\Elsewhere\Zorvanelle\ZorvanelleV7\Uninstall.exe' /quiet "/log=C:\\foreign.log")
check "gives 1605" test "$rc" = 1605
check "its log ends with the exit code" test "$(last_line "$C/foreign.log")" = "exit 1605 nothing to remove"
check "the installation it names is untouched" test -f "$product_dir/ZorvanellePanelV7.exe"
rm -rf "$C/Elsewhere"

echo "== QuietUninstallString, with the panel running"
check "the panel runs" panel_runs
rc=$(exit_code /cmdline "$quiet_cmd")
check "it gives 0" test "$rc" = 0
same "when it returns the machine equals the snapshot" "$before" "$(snapshot)"
check "and the base folder it made is gone, with what the programs wrote there" test ! -e "$C/Uninst/Apps"
same "the product key keeps only the removal's result values" "$RESULT_VALUE_NAMES" "$(product_value_names)"
check "they say it succeeded" test "$(product_value LastInstallerResult) $(product_value LastInstallerResultText)" = \
    "0x0 exit 0 success"
check "the panel no longer runs" panel_gone
# Wine runs every program elevated: the log goes where only administrators write.
temp_log=$(find "$C/ProgramData/Zorvanelle/Logs" -name 'Uninstall-ZorvanelleV7.log' 2>/dev/null | head -n 1)
check "without /log the log goes to %ProgramData%\\Zorvanelle\\Logs\\Uninstall-ZorvanelleV7.log" test -n "$temp_log"
[ -n "$temp_log" ] && check "that log ends with the exit code" test "$(last_line "$temp_log")" = "exit 0 success"
[ -n "$temp_log" ] && check "that log lists the records undone" grep -q 'removal undo ServiceRecord' "$temp_log"
for i in $(seq 1 100); do
    [ -z "$(find "$C/users" -name 'Uninstall-original.exe' 2>/dev/null)" ] && break
    sleep 0.1
done
check "the temporary copy deletes the first process's file" \
    test -z "$(find "$C/users" -name 'Uninstall-original.exe' 2>/dev/null)"

echo "== a second removal"
mkdir -p "$product_dir"
cp "$C/inst/Uninstall.exe" "$product_dir/"
second_before=$(snapshot)
rc=$(exit_code "$product\\Uninstall.exe" /quiet)
check "gives 1605" test "$rc" = 1605
same "and changes nothing" "$second_before" "$(snapshot)"
rm -rf "$C/Uninst/Apps"

echo "== UninstallString, interactive"
check "the demo package installs again" install
shell_cmd=$(entry_value UninstallString)
# The windows live on Wine's virtual desktop, not as windows of their own on
# the X display: the probe finds them, a click on the title bar gives the
# desktop the keyboard, and the key goes to the box.
answer() {  # TITLE KEY: waits for the window TITLE and presses KEY in it
    local at
    at=$(probe wait-titled "$1" 30000) || { echo "     no window titled $1"; return 1; }
    read -r left top <<<"$at"
    xdotool mousemove $((left + 60)) $((top + 10)) click 1
    sleep 0.3
    xdotool key "$2"
}
wine 'C:\inst\ExitCodeOf.exe' /cmdline "$shell_cmd" </dev/null >"$WINEPREFIX/declined" 2>/dev/null &
runner=$!
check "the confirmation shows in the product's language" answer 'Uninstall ZorvanelleV7' n
wait_for "$runner"
check "declining the confirmation gives 1602" test "$(tr -d '\r' <"$WINEPREFIX/declined" | tail -n 1)" = 1602
check "and removes nothing" test -f "$product_dir/uninstall.log"
check "the panel runs" panel_runs
wine 'C:\inst\ExitCodeOf.exe' /cmdline "$shell_cmd" </dev/null >"$WINEPREFIX/confirmed" 2>/dev/null &
runner=$!
check "the confirmation shows again" answer 'Uninstall ZorvanelleV7' Return
check "a progress window shows the removal" quiet probe wait-titled 'Removing ZorvanelleV7' 30000
wait_for "$runner"
check "confirming gives 0" test "$(tr -d '\r' <"$WINEPREFIX/confirmed" | tail -n 1)" = 0
same "when it returns the machine equals the snapshot" "$before" "$(snapshot)"
check "and the base folder it made is gone" test ! -e "$C/Uninst/Apps"
check "the panel no longer runs" panel_gone

echo "== a log cut short"
check "the demo package installs again" install
# Cut in the middle of the Run entry's record: the records before it are
# whole, the Run entry and everything newer are lost.
python3 - "$product_dir/uninstall.log" <<'PY'
import struct, sys
path = sys.argv[1]
data = open(path, 'rb').read()
at = 0
for _ in range(3):
    while data[at:at + 2] != b'\0\0':
        at += 2
    at += 2
while at < len(data):
    kind, size = data[at], struct.unpack_from('<I', data, at + 1)[0]
    if kind == 22:  # RunEntryRecord
        open(path, 'wb').write(data[:at + 5 + size // 2])
        sys.exit(0)
    at += 5 + size
sys.exit('no Run entry record')
PY
rc=$(exit_code "$product\\Uninstall.exe" /quiet "/log=C:\\uninstall-run.log")
check "gives 1603" test "$rc" = 1603
check "its log ends with the exit code" test "$(last_line "$ulog")" = "exit 1603 failed; what could not be removed is named above"
check "its log says the tail is damaged" grep -q 'error the uninstall log is damaged' "$ulog"
check "the files it names are gone" test ! -e "$product_dir/ZorvanellePanelV7.exe"
entry_gone() {  # the Add/Remove Programs key can be read, and the entry is not in it
    local keys
    keys=$(set -o pipefail; wine reg query "${entry%\\*}" </dev/null 2>/dev/null | tr -d '\r') || return 1
    ! grep -qi "\\\\${entry##*\\}\$" <<<"$keys"
}
check "the Add/Remove Programs entry it names is gone" entry_gone
run_value_stays() {
    wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v ZorvanellePanelV7 </dev/null >/dev/null 2>&1
}
check "the Run entry it no longer names stays" run_value_stays
check "the installation folder is gone all the same" test ! -e "$product_dir"
wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v ZorvanellePanelV7 /f </dev/null >/dev/null 2>&1
same "beyond the log and that entry, the machine equals the snapshot" "$before" "$(snapshot)"

suite_end
