#!/usr/bin/env bash
# A file in use, quietly, under Wine: a program holds one of the
# installation's files open and shares nothing. Installing the newer version
# over the older then exits 3010 with the replacement waiting in
# PendingFileRenameOperations, and Wine's restart (wineboot -r) puts the new
# file in place; so does a run through script.ini, whose hidden window gives
# the exit code. A quiet uninstall with the file held again exits 3010, and
# the restart deletes the file and the folders it kept.
#
# An installation killed right after it scheduled a replacement leaves a
# journal from which the next installation cancels it.
#
#   restart_test.sh --template DIR --scratch DIR --installer EXE --older EXE --exit-code-of EXE --holder EXE
#                   --killer EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/wine/wine-suite.sh"
suite_options installer older exit-code-of holder killer -- "$@"
[ -f "$older" ] || { echo "no installer of the older version at $older" >&2; exit 2; }
suite_start

mkdir -p "$C/inst" "$C/v-old" "$C/v-new"
cp "$exit_code_of" "$C/inst/ExitCodeOf.exe"
cp "$holder" "$C/inst/HoldFile.exe"
cp "$killer" "$C/inst/KillAtLogLine.exe"
cp "$older" "$C/v-old/TrovalisInstallV7.exe"
cp "$installer" "$C/v-new/TrovalisInstallV7.exe"
product='C:\Rst\Zorvanelle\ZorvanelleV7'
product_dir="$C/Rst/Zorvanelle/ZorvanelleV7"
held='C:\Rst\Zorvanelle\ZorvanelleV7\ZorvanellePanelV7.exe'
held_file="$product_dir/ZorvanellePanelV7.exe"
log="$C/restart.log"

pending() {  # the rename list, one text a line; 1 when the key cannot be read
    local key
    # The whole key, which always exists: an absent value then means no list,
    # not a query that failed.
    key=$(set -o pipefail; wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
        </dev/null 2>/dev/null | tr -d '\r') || return 1
    sed -n 's/^ *PendingFileRenameOperations *REG_MULTI_SZ *//p' <<<"$key" | sed 's/\\0/\n/g' | sed '/^$/d'
}
pending_lacks() {  # TEXT: the rename list could be read and does not name TEXT
    local list
    list=$(pending) || return 1
    ! grep -qiF "$1" <<<"$list"
}
hold() {  # holds the file until release; 1 when the holder did not start
    rm -f "$C/holding"
    wine 'C:\inst\HoldFile.exe' "$held" 'C:\holding' </dev/null >/dev/null 2>&1 &
    BACKGROUND_PIDS+=" $!"
    for _ in $(seq 100); do [ -f "$C/holding" ] && return 0; sleep 0.1; done
    return 1
}
release() {
    rm -f "$C/holding"
    for _ in $(seq 100); do pgrep -f HoldFile.exe >/dev/null || return 0; sleep 0.1; done
}
restart() {  # every program ended, then Wine's restart, which carries out the pending renames
    stop_wine_session
    timeout 120 wine wineboot -r </dev/null >/dev/null 2>&1
    start_wine_session
}
md5() { md5sum "$1" 2>/dev/null | cut -d' ' -f1; }

echo "== the newer version over the older one, a file in use"
check "the older version installs" test "$(run 'C:\v-old\TrovalisInstallV7.exe' /quiet /accept-license '/dir=C:\Rst')" = 0
old_md5=$(md5 "$held_file")
check "the file is held" hold
rc=$(run 'C:\v-new\TrovalisInstallV7.exe' /quiet /accept-license '/log=C:\restart.log' '/dir=C:\Rst')
same "the installation exits 3010" 3010 "$rc"
check "its log names the file replaced at the restart" grep -qF "action replace-at-restart ok $held" "$log"
same "its last line" "exit 3010 success; files in use are replaced at the next restart" "$(last_line "$log")"
same "the product key's result is 3010" 0xbc2 "$(product_value LastInstallerResult)"
list=$(pending)
copy=$(grep -B1 -xiF "!\\??\\$held" <<<"$list" | head -n 1)
check "the rename list holds the pair: a copy beside the file, then the file" \
    grep -qi '^\\??\\C:\\Rst\\Zorvanelle\\ZorvanelleV7\\~tv[0-9A-F]\{4\}\.tmp$' <<<"$copy"
copy_file="$product_dir/${copy##*\\}"
new_md5=$(md5 "$copy_file")
check "the copy holds the newer file" test -n "$new_md5" -a "$new_md5" != "$old_md5"
same "the held file is still the older one" "$old_md5" "$(md5 "$held_file")"
release
restart
same "after the restart the file is the newer one" "$new_md5" "$(md5 "$held_file")"
check "the copy is gone" test ! -e "$copy_file"
check "the rename list no longer names the file" pending_lacks "$held"

echo "== the same version again through script.ini (the hidden window), the file in use"
check "the file is held" hold
printf '<Unattended Lang="English" EndUserLicense="Agree" ShowPanel="No" HID="1" Path="C:\\Rst" />\n' \
    >"$C/v-new/script.ini"
rc=$(run 'C:\v-new\TrovalisInstallV7.exe' '/log=C:\restart.log')
rm -f "$C/v-new/script.ini"
same "the installation exits 3010" 3010 "$rc"
check "the window was told that a restart is needed" grep -q ' report RestartNeeded' "$log"
check "the rename list holds the file again" grep -qixF "!\\??\\$held" <<<"$(pending)"
release
restart

echo "== a quiet uninstall, the file in use"
check "the file is held" hold
rc=$(run "$product\\Uninstall.exe" /quiet '/log=C:\restart.log')
same "the uninstall exits 3010" 3010 "$rc"
same "its last line" "exit 3010 success; files in use are deleted at the next restart" "$(last_line "$log")"
list=$(pending)
check "the rename list deletes the file" grep -qixF "\\??\\$held" <<<"$list"
check "and the installation folder after it" grep -qixF "\\??\\$product" <<<"$list"
check "the product key keeps only the result values" test "$(product_value_names)" = "$RESULT_VALUE_NAMES"
release
restart
check "after the restart the installation folder is gone" test ! -e "$product_dir"
check "and so is the company folder" test ! -e "$C/Rst/Zorvanelle"

echo "== an installation killed once it scheduled a replacement"
check "the older version installs" test "$(run 'C:\v-old\TrovalisInstallV7.exe' /quiet /accept-license '/dir=C:\Rst')" = 0
check "the file is held" hold
killed=$(timeout 300 wine 'C:\inst\KillAtLogLine.exe' 'C:\restart.log' 'replace-at-restart ok' 1 \
    'C:\v-new\TrovalisInstallV7.exe' /quiet /accept-license '/log=C:\restart.log' '/dir=C:\Rst' </dev/null 2>/dev/null |
    tr -d '\r' | tail -n 1)
same "it is killed" killed "$killed"
check "the kill left the pair in the rename list" grep -qixF "!\\??\\$held" <<<"$(pending)"
release
rc=$(run 'C:\v-new\TrovalisInstallV7.exe' /quiet /accept-license '/log=C:\restart.log' '/dir=C:\Rst')
same "the next installation exits 0" 0 "$rc"
check "it found the interrupted installation" grep -q 'removal interrupted installation found' "$log"
check "and cancelled the replacement" pending_lacks "$held"
check "no copy is left beside the file" test -z "$(find "$product_dir" -maxdepth 1 -iname '~tv*.tmp')"
check "the uninstaller then gives 0" test "$(run "$product\\Uninstall.exe" /quiet)" = 0

suite_end
