#!/usr/bin/env bash
# Links planted where the elevated installer opens folders and its log, under
# Wine (which reports a Unix symbolic link in the prefix as a reparse point by
# name): a base or product folder, or a folder above the base, that is a
# link is refused with 1603, named in the log, and nothing is written through
# it, also when the link holds the name of a missing base folder the
# installer is about to make; a log
# name that is a second name of another file leaves that file alone and the
# log goes to a fresh name, which standard error and the exit line name.
#
#   link_refusal_test.sh --template DIR --scratch DIR --installer EXE --exit-code-of EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/wine/wine-suite.sh"
suite_options installer exit-code-of -- "$@"
suite_start

inst="$C/inst"
mkdir -p "$inst" "$C/elsewhere"
cp "$installer" "$inst/TrovalisInstallV7.exe"
cp "$exit_code_of" "$inst/ExitCodeOf.exe"
Q='C:\inst\TrovalisInstallV7.exe'
log="$C/links.log"
nothing_elsewhere() { test -z "$(ls -A "$C/elsewhere")"; }

echo "== a base folder that is a link"
ln -s "$C/elsewhere" "$C/LinkedBase"
rc=$(run "$Q" /quiet /accept-license '/log=C:\links.log' '/dir=C:\LinkedBase')
check "it gives 1603" test "$rc" = 1603
check "its log names the folder" grep -q 'refused: a link (reparse point) stands in place of the folder C:\\LinkedBase$' \
    <(tr -d '\r' <"$log")
check "nothing was written through it" nothing_elsewhere

echo "== a link above the base folder"
# C:\Vendor, above /dir=C:\Vendor\Apps, sends everything below it elsewhere.
mkdir -p "$C/elsewhere/Apps"
ln -s "$C/elsewhere" "$C/Vendor"
rc=$(run "$Q" /quiet /accept-license '/log=C:\links.log' '/dir=C:\Vendor\Apps')
check "it gives 1603" test "$rc" = 1603
check "its log names the folder above" \
    grep -q 'refused: a link (reparse point) stands in place of the folder C:\\Vendor$' <(tr -d '\r' <"$log")
check "nothing was written through it" test -z "$(ls -A "$C/elsewhere/Apps")"
rm "$C/Vendor"
rmdir "$C/elsewhere/Apps"

echo "== a product folder that is a link"
mkdir -p "$C/Base/Zorvanelle"
ln -s "$C/elsewhere" "$C/Base/Zorvanelle/ZorvanelleV7"
rc=$(run "$Q" /quiet /accept-license '/log=C:\links.log' '/dir=C:\Base')
check "it gives 1603" test "$rc" = 1603
check "its log names the folder" grep -q 'stands in place of the folder C:\\Base\\Zorvanelle\\ZorvanelleV7' "$log"
check "nothing was written through it" nothing_elsewhere

echo "== a missing base folder whose name a link holds"
# Nothing to open at the check; the create then finds the name taken.
ln -s "$C/elsewhere/gone" "$C/DanglingBase"
rc=$(run "$Q" /quiet /accept-license '/log=C:\links.log' '/dir=C:\DanglingBase')
check "it gives 1603" test "$rc" = 1603
check "its log names the folder" grep -q 'refused: .* C:\\DanglingBase' "$log"
check "nothing was written through it" nothing_elsewhere

echo "== a log name that is a second name of another file"
echo keep >"$C/other.txt"
ln "$C/other.txt" "$C/hard.log"
timeout 120 wine "$Q" /quiet /accept-license '/log=C:\hard.log' '/dir=C:\Plain' </dev/null >/dev/null \
    2>"$WINEPREFIX/stderr"
fresh=$(ls "$C"/hard-*.log 2>/dev/null | head -n 1)
check "the other file is unchanged" test "$(cat "$C/other.txt")" = keep
check "the log went to a fresh name beside it" test -n "$fresh"
check "standard error names both" grep -q 'log written to C:\\hard-[0-9]*.log: C:\\hard.log was refused' \
    "$WINEPREFIX/stderr"
check "the exit line says so" grep -q '^exit 0 success (log written to C:\\hard-' <(last_line "$fresh")
wine taskkill /f /im ZorvanellePanelV7.exe </dev/null >/dev/null 2>&1

echo "== script.ini in a folder that is a link"
# Its rewrite goes by name through a temporary file: not in a folder others
# could change.
mkdir -p "$C/realinst"
cp "$installer" "$C/realinst/TrovalisInstallV7.exe"
ln -s "$C/realinst" "$C/linkinst"
printf '<Unattended Lang="English" />\r\n' >"$C/realinst/script.ini"
timeout 120 wine 'C:\linkinst\TrovalisInstallV7.exe' /quiet /accept-license '/log=C:\ini.log' '/dir=C:\Plain' \
    </dev/null >/dev/null 2>&1
check "script.ini is not completed" test "$(cat "$C/realinst/script.ini")" = "$(printf '<Unattended Lang="English" />\r\n')"
check "the log says why" grep -q 'config not completed: others can change the folder of C:\\linkinst\\script.ini' "$C/ini.log"
wine taskkill /f /im ZorvanellePanelV7.exe </dev/null >/dev/null 2>&1

echo "== a log name that is a file but no log"
# An administrator's own file named by mistake (Wine keeps no owners: every
# file passes as one) is not cut.
printf 'keep this\r\n' >"$C/boot.ini"
timeout 120 wine "$Q" /quiet /accept-license '/log=C:\boot.ini' '/dir=C:\Plain' </dev/null >/dev/null \
    2>"$WINEPREFIX/stderr"
check "the file is unchanged" test "$(cat "$C/boot.ini")" = "$(printf 'keep this\r\n')"
check "the log went to a fresh name beside it" test -n "$(ls "$C"/boot-*.ini 2>/dev/null)"
wine taskkill /f /im ZorvanellePanelV7.exe </dev/null >/dev/null 2>&1

suite_end
