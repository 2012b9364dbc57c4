#!/usr/bin/env bash
# The same package at two versions, installed over each other as a fleet
# upgrades (and downgrades): 7.0 then 7.1, 7.1 then 7.0, 7.1 then 7.1, each
# pair quietly and through script.ini. After each pair the machine equals a
# single clean installation of the second, and the second's log names the
# version it replaced. Nothing refuses a downgrade: whatever is installed is
# removed first.
#
#   version_change_test.sh --template DIR --scratch DIR --installer EXE --older EXE
#                          --exit-code-of EXE --snapshot EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/wine/wine-suite.sh"
suite_options installer older exit-code-of snapshot -- "$@"
[ -f "$older" ] || { echo "no installer of the older version at $older" >&2; exit 2; }
suite_start

newer_version=$(strings -el "$installer" | grep -A1 -x -m1 ProductVersion | tail -n 1)
older_version=$(strings -el "$older" | grep -A1 -x -m1 ProductVersion | tail -n 1)
echo "     versions: older $older_version, newer $newer_version"
check "the two installers carry two versions" test -n "$older_version" -a "$older_version" != "$newer_version"

mkdir -p "$C/inst" "$C/v-old" "$C/v-new"
cp "$exit_code_of" "$C/inst/ExitCodeOf.exe"
cp "$snapshot" "$C/inst/machine_snapshot.exe"
cp "$older" "$C/v-old/TrovalisInstallV7.exe"
cp "$installer" "$C/v-new/TrovalisInstallV7.exe"
log="$C/version.log"
uninstall='C:\Ver\Zorvanelle\ZorvanelleV7\Uninstall.exe'

# Files by name and size (the shortcuts of two installations hold different
# times); the installers' folders, with the script.ini each writes back, this
# test's log and the temporary folder (where the uninstaller's copy of itself
# goes away once it has ended) are not the installation's.
snapshot() { drive_snapshot --no-contents 'C:\v-old' 'C:\v-new' 'C:\version.log' "C:\\users\\$(id -un)\\Temp"; }
uninstall_quietly() { run "$uninstall" /quiet '/log=C:\version.log'; }

install() {  # MODE VERSION-FOLDER: prints the exit code
    local exe="C:\\$2\\TrovalisInstallV7.exe"
    rm -f "$log"
    if [ "$1" = quiet ]; then
        run "$exe" /quiet /accept-license '/log=C:\version.log' '/dir=C:\Ver'
    else
        printf '<Unattended Lang="English" EndUserLicense="Agree" ShowPanel="No" HID="1" Path="C:\\Ver" />\n' \
            >"$C/$2/script.ini"
        run "$exe" '/log=C:\version.log'
        rm -f "$C/$2/script.ini"
    fi
}
folder_of() { [ "$1" = "$older_version" ] && echo v-old || echo v-new; }

echo "== clean installations"
before=$(snapshot)
declare -A clean
for version in "$older_version" "$newer_version"; do
    check "$version alone installs" test "$(install quiet "$(folder_of "$version")")" = 0
    clean[$version]=$(snapshot)
    check "$version's uninstaller gives 0" test "$(uninstall_quietly)" = 0
    same "$version's uninstaller leaves the machine as before" "$before" "$(snapshot)"
done

for mode in quiet script.ini; do
    for pair in "$older_version $newer_version" "$newer_version $older_version" "$newer_version $newer_version"; do
        read -r first second <<<"$pair"
        echo "== $mode: $first then $second"
        check "$first installs" test "$(install "$mode" "$(folder_of "$first")")" = 0
        check "$second installs over it" test "$(install "$mode" "$(folder_of "$second")")" = 0
        check "its log names the version it replaced" \
            grep -q "previous version found: .* (version $first)" "$log"
        same "the machine equals a clean installation of $second" "${clean[$second]}" "$(snapshot)"
        check "the uninstaller gives 0" test "$(uninstall_quietly)" = 0
    done
done
same "the last uninstaller leaves the machine as before" "$before" "$(snapshot)"
suite_end
