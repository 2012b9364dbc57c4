#!/usr/bin/env bash
# The kill matrix: quiet installations of the demo package killed (with
# TerminateProcess, as a deployment tool's time limit or Task Manager would)
# at many points, under Wine. After each kill the installer runs again and
# must succeed, and the machine must then equal a single clean installation;
# the uninstaller must then bring it back to the machine before anything was
# installed. Also a killed rollback, a killed removal of an earlier version
# and a killed uninstaller.
#
#   kill_matrix_test.sh --template DIR --scratch DIR --installer EXE --exit-code-of EXE --killer EXE --snapshot EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/wine/wine-suite.sh"
suite_options installer exit-code-of killer snapshot -- "$@"
suite_start

mkdir -p "$C/inst"
cp "$installer" "$C/inst/TrovalisInstallV7.exe"
cp "$exit_code_of" "$C/inst/ExitCodeOf.exe"
cp "$killer" "$C/inst/KillAtLogLine.exe"
cp "$snapshot" "$C/inst/machine_snapshot.exe"
log="$C/kill.log"
folder="$C/Kill/Zorvanelle/ZorvanelleV7"
install=('C:\inst\TrovalisInstallV7.exe' /quiet /accept-license '/log=C:\kill.log' '/dir=C:\Kill')
uninstall=('C:\Kill\Zorvanelle\ZorvanelleV7\Uninstall.exe' /quiet '/log=C:\kill.log')

kill_at() {  # [--tree] TEXT N EXE ARGS... : prints "killed" or the exit code of a run that ended first
    local tree=()
    [ "$1" = --tree ] && { tree=(--tree); shift; }
    local text=$1 n=$2; shift 2
    timeout 120 wine 'C:\inst\KillAtLogLine.exe' "${tree[@]}" 'C:\kill.log' "$text" "$n" "$@" </dev/null 2>/dev/null |
        tr -d '\r' | tail -n 1
}
# What an installation can leave, without this test's log and Wine's own
# temporary folder. The logs that the payload's programs write beside
# themselves are theirs, not the installation's, and are left out with their
# folders. Files are compared by name and size: the shortcuts of two
# installations hold different times.
snapshot() { drive_snapshot --no-contents 'C:\kill.log' "C:\\users\\$(id -un)\\Temp"; }
# The panel that a quiet installation starts is closed between the steps, as
# a user logging off would; the uninstaller closes it too.
close_panel() { wine taskkill /f /im ZorvanellePanelV7.exe </dev/null >/dev/null 2>&1; sleep 0.2; }

echo "== a clean installation and its removal"
before=$(snapshot)
check "a clean installation gives 0" test "$(run "${install[@]}")" = 0
close_panel
installed=$(snapshot)
check "the uninstaller gives 0" test "$(run "${uninstall[@]}")" = 0
same "the uninstaller leaves the machine as before" "$before" "$(snapshot)"

# Runs the installer again after a kill, then the uninstaller, comparing the
# machine with the clean installation and with the machine before.
recover() {  # CASE
    local rc
    rc=$(run "${install[@]}")
    check "$1: the next installation gives 0" test "$rc" = 0
    close_panel
    same "$1: the machine equals a clean installation" "$installed" "$(snapshot)"
    rc=$(run "${uninstall[@]}")
    check "$1: the uninstaller then gives 0" test "$rc" = 0
    same "$1: the machine equals the one before" "$before" "$(snapshot)"
}

kill_case() {  # CASE TEXT N
    echo "== killed $1"
    check "$1: the installer was killed" test "$(kill_at "$2" "$3" "${install[@]}")" = killed
    close_panel
    recover "$1"
}

kill_case "after the first file" "action write-file" 1
kill_case "after the second file" "action write-file" 2
kill_case "after the middle file" "action write-file" 15
kill_case "after the last file" "Uninstall.exe" 2
kill_case "during the driver batches" "report InstallingDrivers" 1
kill_case "after the service was created" "action create-service" 1
kill_case "during the shell steps" "action create-shortcut" 2
kill_case "before the final save" "action start-service" 1
kill_case "after the final save" "action save-uninstall-log" 1

echo "== the uninstaller on a killed run"
check "uninstaller on a journal: the installer was killed" \
    test "$(kill_at "action create-service" 1 "${install[@]}")" = killed
check "uninstaller on a journal: gives 0" test "$(run "${uninstall[@]}")" = 0
same "uninstaller on a journal: the machine equals the one before" "$before" "$(snapshot)"

echo "== killed during a rollback"
# A foreign service whose display name is the product service's name: the
# product's service cannot be created beside it, and the run rolls back.
wine sc create ForeignService binPath= 'C:\windows\system32\notepad.exe' DisplayName= ZorvanelleServiceV7 \
    </dev/null >/dev/null 2>&1
check "rollback: the installer was killed" test "$(kill_at "rollback undo" 4 "${install[@]}")" = killed
wine sc delete ForeignService </dev/null >/dev/null 2>&1
recover "rollback"

echo "== killed during the removal of an earlier version"
check "earlier version installed" test "$(run "${install[@]}")" = 0
close_panel
check "removal: the installer was killed" test "$(kill_at "removal undo" 6 "${install[@]}")" = killed
recover "removal"

echo "== killed uninstaller"
check "installed for the uninstaller" test "$(run "${install[@]}")" = 0
close_panel
rc=$(kill_at --tree "removal undo" 6 "${uninstall[@]}")
check "uninstaller: killed midway" test "$rc" = killed
check "uninstaller: run again gives 0" test "$(run "${uninstall[@]}")" = 0
same "uninstaller: the machine equals the one before" "$before" "$(snapshot)"

suite_end
