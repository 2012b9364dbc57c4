#!/usr/bin/env bash
# The quiet installation as deployment tools run it, under Wine on a private
# Xvfb: exit codes, the install log's last line and failing path, the machine
# after a rollback compared with the machine before, and no window mapped at
# any time.
#   bad switch 87, /? 0, licence not accepted 1602, damaged package 1620,
#   run mutex held 1618, a service that cannot be created 1603 with its
#   missing base folder made and removed again, a file in the way 1603,
#   and a success.
#
#   quiet_install_test.sh --template DIR --scratch DIR --installer EXE --holder EXE --exit-code-of EXE
#                         --snapshot EXE --package PKG
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/wine/wine-suite.sh"
suite_options installer holder exit-code-of snapshot package -- "$@"
suite_start

inst="$C/inst"
mkdir -p "$inst"
cp "$installer" "$inst/TrovalisInstallV7.exe"
cp "$holder" "$inst/HoldMutex.exe"
cp "$exit_code_of" "$inst/ExitCodeOf.exe"
cp "$snapshot" "$inst/machine_snapshot.exe"
log="$C/quiet.log"

# Every window mapped on the display during the whole test, one name a line.
mapped="$WINEPREFIX/mapped-windows"
: >"$mapped"
(while true; do xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null >>"$mapped"; sleep 0.1; done) &
BACKGROUND_PIDS=$!

# What an installation can leave, without this test's own files. The logs
# the payload's tools write beside themselves, which no installation records,
# are left out with their folders: they stay after a rollback.
snapshot() { drive_snapshot 'C:\quiet.log' 'C:\holding'; }

Q='C:\inst\TrovalisInstallV7.exe'

echo "== command line"
check "an unknown switch gives 87" test "$(run "$Q" /quiet /frobnicate)" = 87
check "/log without its value gives 87" test "$(run "$Q" /quiet /log)" = 87
check "/? gives 0" test "$(run "$Q" /?)" = 0
timeout 60 wine "$Q" /? </dev/null >"$WINEPREFIX/stdout" 2>/dev/null
check "/? prints the usage" grep -q '/accept-license' "$WINEPREFIX/stdout"

echo "== a base folder whose text is refused"
# Each would reach the service manager or cmd, which resolve it elsewhere:
# relative, %VAR%, a cmd special character, a network path.
for dir in 'Relative\Apps' '%ProgramData%\x' 'C:\A&B' '\\server\share'; do
    rc=$(run "$Q" /quiet /accept-license "/log=C:\\quiet.log" "/dir=$dir")
    check "/dir=$dir gives 87" test "$rc" = 87
    check "its log names it" grep -qF "the base folder is refused (an absolute path on a local fixed drive is required, of plain names without & ^ ( ) ! %): $dir" "$log"
done
check "nothing was installed for them" test ! -e "$C/ProgramData/x" -a ! -e "$C/A&B" -a ! -e "$C/inst/Relative"

echo "== licence"
rc=$(run "$Q" /quiet "/log=C:\\quiet.log" '/dir=C:\NoLicence')
check "a quiet run without the licence gives 1602" test "$rc" = 1602
check "its log ends with the exit code" test "$(last_line "$log")" = "exit 1602 cancelled or declined"
check "nothing was installed" test ! -e "$C/NoLicence"

echo "== damaged package"
python3 - "$inst/TrovalisInstallV7.exe" "$package" "$inst/Damaged.exe" <<'PY'
import sys
exe = bytearray(open(sys.argv[1], 'rb').read())
pkg = open(sys.argv[2], 'rb').read()
at = exe.find(pkg[:4096])
assert at >= 0, 'package not found in the installer'
exe[at:at + 4] = (int.from_bytes(pkg[:4], 'little') + 1).to_bytes(4, 'little')  # TotalSize off by one
open(sys.argv[3], 'wb').write(exe)
PY
rc=$(run 'C:\inst\Damaged.exe' /quiet /accept-license "/log=C:\\quiet.log" '/dir=C:\Damaged')
check "a damaged package gives 1620" test "$rc" = 1620
check "its log says so" test "$(last_line "$log")" = "exit 1620 the package is missing or damaged"

echo "== run mutex"
flag="$C/holding"
(wine 'C:\inst\HoldMutex.exe' 'Global\TrovalisServerV7.InstallOrRemove' 'C:\holding' </dev/null >/dev/null 2>&1 &)
for i in $(seq 1 100); do [ -e "$flag" ] && break; sleep 0.1; done
rc=$(run "$Q" /quiet /accept-license "/log=C:\\quiet.log" '/dir=C:\Busy')
check "a run while another holds the mutex gives 1618" test "$rc" = 1618
check "nothing was installed meanwhile" test ! -e "$C/Busy"
rm -f "$flag"
sleep 0.5

echo "== a path too long for the deepest file, into a missing base folder"
long=$(printf 'L%.0s' $(seq 1 200))
before=$(snapshot)
rc=$(run "$Q" /quiet /accept-license "/log=C:\\quiet.log" "/dir=C:\\Quiet Made\\$long")
check "the file that does not fit gives 1603" test "$rc" = 1603
check "its log made the missing base folders" grep -q "create-base-folder ok C:\\\\Quiet Made\\\\$long" "$log"
check "its log names the failing file with its error" grep -q 'write-file failed error=206 C:\\Quiet Made' "$log"
same "the rollback removed the base folders it made" "$before" "$(snapshot)"

echo "== a service that cannot be created, into a missing base folder"
# A foreign service whose display name is the product service's name: the
# product's service cannot be created beside it.
wine sc create ForeignService binPath= 'C:\windows\system32\notepad.exe' DisplayName= ZorvanelleServiceV7 \
    </dev/null >/dev/null 2>&1
before=$(snapshot)
rc=$(run "$Q" /quiet /accept-license "/log=C:\\quiet.log" '/dir=C:\Quiet Made\Two Levels')
check "the failed service gives 1603" test "$rc" = 1603
check "its log names the service program" grep -q 'create-service failed error=[0-9]* ZorvanelleServiceV7 .*ZorvanelleServiceV7.exe' "$log"
check "its log made the missing base folders" grep -q 'create-base-folder ok C:\\Quiet Made\\Two Levels' "$log"
check "its log ends with the exit code" test "$(last_line "$log")" = "exit 1603 failed and rolled back"
same "the machine is as before (the made base folders are gone)" "$before" "$(snapshot)"
same "the product key holds only the run's result values" "$RESULT_VALUE_NAMES" "$(product_value_names)"
check "LastInstallerResult is 1603" test "$(product_value LastInstallerResult)" = 0x643
error=$(grep -o 'create-service failed error=[0-9]*' "$log" | head -n 1 | cut -d= -f2)
check "LastInstallerError is the service's error" test "$(product_value LastInstallerError)" = "$(printf '0x%x' "$error")"
check "LastInstallerResultText is its log line" \
    grep -q '^action create-service failed error=[0-9]* ZorvanelleServiceV7 ' <<<"$(product_value LastInstallerResultText)"
wine sc delete ForeignService </dev/null >/dev/null 2>&1

echo "== a file in the way"
mkdir -p "$C/Blocked/Zorvanelle/ZorvanelleV7/ZorvanelleServiceV7.exe"
echo blocker >"$C/Blocked/Zorvanelle/ZorvanelleV7/ZorvanelleServiceV7.exe/keep"
before=$(snapshot)
rc=$(run "$Q" /quiet /accept-license "/log=C:\\quiet.log" '/dir=C:\Blocked')
check "a file that cannot be written gives 1603" test "$rc" = 1603
check "its log names the failing path" grep -q 'write-file failed error=[0-9]* C:\\Blocked\\Zorvanelle\\ZorvanelleV7\\ZorvanelleServiceV7.exe' "$log"
same "the machine is as before" "$before" "$(snapshot)"
rm -rf "$C/Blocked"

echo "== success"
start=$(date +%s%N)
rc=$(run "$Q" /QUIET -Accept-License "/log=C:\\quiet.log" '/dir=C:\Quiet Base')
took=$(( ($(date +%s%N) - start) / 1000000 ))
echo "     took ${took} ms"
check "a quiet installation gives 0" test "$rc" = 0
check "its log ends with the exit code" test "$(last_line "$log")" = "exit 0 success"
check "the files are installed" test -f "$C/Quiet Base/Zorvanelle/ZorvanelleV7/uninstall.log"
check "LastInstallerResult and LastInstallerError are 0" \
    test "$(product_value LastInstallerResult) $(product_value LastInstallerError)" = "0x0 0x0"
check "LastInstallerResultText is the exit line" test "$(product_value LastInstallerResultText)" = "exit 0 success"
check "LastInstallerTime is UTC in ISO 8601" \
    grep -qE "^$(date -u +%Y-%m-%d)T[0-9]{2}:[0-9]{2}:[0-9]{2}Z$" <<<"$(product_value LastInstallerTime)"
check "the log lists each file written" grep -q 'write-file ok C:\\Quiet Base\\Zorvanelle\\ZorvanelleV7\\Uninstall.exe' "$log"
# This machine runs no desktop shell: an elevated run has no signed-in user
# to start the panel for, and never starts it with its own rights.
check "without a desktop shell nothing is launched" grep -q 'info launch skipped: no interactive session' "$log"
check "and the panel was not started" test -z "$(grep ' launch ok ' "$log")"
rc=$(run "$Q" /quiet /accept-license '/dir=C:\Quiet Base')
# Wine runs every program elevated: the log goes where only administrators write.
check "without /log the log goes to %ProgramData%\\Zorvanelle\\Logs" \
    test -f "$C/ProgramData/Zorvanelle/Logs/TrovalisInstallV7.log"
wine taskkill /f /im ZorvanellePanelV7.exe </dev/null >/dev/null 2>&1

sleep 0.3
kill $BACKGROUND_PIDS 2>/dev/null; BACKGROUND_PIDS=
# Wine maps its virtual desktop itself once a program of the session (the
# payload's batch consoles and hidden panel among them) uses the desktop;
# anything else would be a window of the run.
grep -v -x 'Default - Wine desktop' "$mapped" | sort -u >"$mapped.own"
# The desktop is what proves the watcher could see mapped windows at all.
check "the watcher saw the Wine desktop mapped" grep -qx 'Default - Wine desktop' "$mapped"
check "no window was ever mapped" test ! -s "$mapped.own"
[ -s "$mapped.own" ] && head "$mapped.own"
suite_end
