#!/usr/bin/env bash
# A quiet installation for all users (/allusers, placed as a LocalSystem run
# places it), under Wine on a private Xvfb: the Run value in HKLM and not in
# HKCU, the shortcuts in the common Programs menu and desktop and not in the
# user's (each folder as the shell names it), the log's record of the HKLM
# value, the panel still started for the desktop's user, and a quiet
# uninstall that returns the machine to the snapshot taken before.
#
#   all_users_test.sh --template DIR --scratch DIR --installer EXE --exit-code-of EXE --snapshot EXE --shell EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/wine/wine-suite.sh"
suite_options installer exit-code-of snapshot shell -- "$@"
suite_start

mkdir -p "$C/inst"
cp "$installer" "$C/inst/TrovalisInstallV7.exe"
cp "$exit_code_of" "$C/inst/ExitCodeOf.exe"
cp "$snapshot" "$C/inst/machine_snapshot.exe"
start_test_shell "$shell"
product='C:\AllUsers\Zorvanelle\ZorvanelleV7'
product_dir="$C/AllUsers/Zorvanelle/ZorvanelleV7"
log="$C/allusers.log"

# The output goes to a file, not a pipe: the uninstaller's temporary copy
# would hold a pipe open after the started process returned.
exit_code() {  # ExitCodeOf ARGS... : the started program's whole exit code
    timeout 300 wine 'C:\inst\ExitCodeOf.exe' "$@" </dev/null >"$WINEPREFIX/code" 2>/dev/null
    tr -d '\r' <"$WINEPREFIX/code" | tail -n 1
}
snapshot() { machine_snapshot 'C:\AllUsers'; }
shell_folder() {  # CSIDL: the folder's path in this prefix's file system
    local path
    path=$(wine 'C:\inst\machine_snapshot.exe' --shell-folder "$1" </dev/null 2>/dev/null | tr -d '\r')
    path=${path#C:\\}
    echo "$C/${path//\\//}"
}
run_value() {  # ROOT: the data of the panel's value under ROOT's Run key
    wine reg query "$1\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" /v ZorvanellePanelV7 </dev/null 2>/dev/null |
        tr -d '\r' | sed -n 's/^ *ZorvanellePanelV7 *REG_SZ *//p'
}
record_types() {  # LOG: the type byte of each record of an uninstall log, one a line
    python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
at = 0
for _ in range(3):  # the header's three texts
    while data[at:at + 2] != b'\0\0':
        at += 2
    at += 2
while at < len(data):
    print(data[at])
    at += 5 + struct.unpack_from('<I', data, at + 1)[0]
PY
}
# CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY
own_programs=$(shell_folder 2) own_desktop=$(shell_folder 16)
common_programs=$(shell_folder 23) common_desktop=$(shell_folder 25)

before=$(snapshot)
check "the snapshot sees the machine" test -n "$before"

echo "== /allusers /quiet /accept-license"
rc=$(exit_code 'C:\inst\TrovalisInstallV7.exe' /allusers /quiet /accept-license "/log=C:\\allusers.log" '/dir=C:\AllUsers')
check "it gives 0" test "$rc" = 0
check "its log names the switch as the placement's source" grep -q 'config option AllUsers=yes from /allusers' "$log"
same "the Run value is in HKLM" "\"$product\\ZorvanellePanelV7.exe\" -h" "$(run_value HKLM)"
check "and not in HKCU" test -z "$(run_value HKCU)"
check "the common folders are not the user's" test "$common_programs" != "$own_programs" -a "$common_desktop" != "$own_desktop"
group="$common_programs/Zorvanelle/ZorvanelleV7"
check "the Programs shortcuts are in the common Programs menu" \
    test -f "$group/ZorvanellePanelV7.lnk" -a -f "$group/Uninstall.lnk"
check "the desktop shortcut is on the common desktop" test -f "$common_desktop/ZorvanellePanelV7.lnk"
check "the user's Programs menu has no group" test ! -e "$own_programs/Zorvanelle"
check "the user's desktop has no shortcut" test ! -e "$own_desktop/ZorvanellePanelV7.lnk"
types=$(record_types "$product_dir/uninstall.log")
check "the uninstall log records the HKLM value as its own kind (23), not as HKCU's (22)" \
    test "$(grep -cx 23 <<<"$types")" = 1 -a "$(grep -cx 22 <<<"$types")" = 0
# Only a LocalSystem run skips the launch: an administrator's /allusers run
# still starts the panel for the desktop's user.
check "the panel is started for the desktop's user" grep -q ' launch ok ' "$log"

echo "== QuietUninstallString"
quiet_cmd=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZorvanelleV7' \
    /v QuietUninstallString </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ *QuietUninstallString *REG_SZ *//p')
check "the entry names the quiet uninstall" test -n "$quiet_cmd"
check "it gives 0" test "$(exit_code /cmdline "$quiet_cmd")" = 0
same "the machine equals the snapshot" "$before" "$(snapshot)"
check "the HKLM Run value is gone" test -z "$(run_value HKLM)"
check "the common Programs group is gone" test ! -e "$common_programs/Zorvanelle"

wine taskkill /f /im ZorvanellePanelV7.exe </dev/null >/dev/null 2>&1
suite_end
