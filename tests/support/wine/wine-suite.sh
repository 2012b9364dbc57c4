# Shared by the shell suites and benchmarks that run Windows programs under
# Wine on a private Xvfb: their options, a scratch prefix copied from the
# template, the clean-up at exit, the Wine session and the counted checks.
# Sourced after wine-env.sh has set up the environment.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# Parses "--OPTION VALUE" pairs: --template, --scratch and each OPTION named
# before "--", whose value goes to the variable OPTION with dashes as
# underscores. Anything else ends the script with 2.
suite_options() {  # OPTION... -- ARGS...
    local known=" template scratch " option
    while [ "$1" != -- ]; do known+="$1 "; shift; done
    shift
    while [ $# -gt 0 ]; do
        option=${1#--}
        [ "$option" != "$1" ] && [[ "$known" == *" $option "* ]] && [ $# -ge 2 ] ||
            { echo "unknown option or missing value: $1" >&2; exit 2; }
        printf -v "${option//-/_}" '%s' "$2"
        shift 2
    done
}

# Replaces the scratch prefix with a fresh copy of the template, exports it as
# WINEPREFIX (C is its drive C:), starts a private Xvfb and the Wine session,
# and ends them at exit. Ends the script with 2 when the template is not
# ready, with 1 when no display can be had.
XVFB_PID= BACKGROUND_PIDS=
suite_start() {
    [ -f "$template/.template-ready" ] || { echo "template $template is not ready" >&2; exit 2; }
    rm -rf "$scratch"
    mkdir -p "$(dirname "$scratch")"
    cp -a "$template" "$scratch"
    export WINEPREFIX=$(cd "$scratch" && pwd)
    C="$WINEPREFIX/drive_c"
    trap suite_cleanup EXIT
    start_private_xvfb || exit 1
    start_wine_session
}

# Stops what the script started in the background (BACKGROUND_PIDS), the
# session and the Xvfb; the scratch prefix stays when KEEP_SCRATCH is set.
suite_cleanup() {
    local pid
    for pid in $BACKGROUND_PIDS; do kill "$pid" 2>/dev/null; done
    stop_wine_session
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    [ -n "${KEEP_SCRATCH:-}" ] || rm -rf "$scratch"
}

failures=0
check() {  # DESCRIPTION COMMAND...: prints "ok" or "FAIL" with DESCRIPTION, counts the failures
    local what=$1; shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
same() {  # DESCRIPTION EXPECTED ACTUAL: a check that shows the difference when it fails
    # Two snapshots that both failed are equal, and prove nothing.
    if [[ "$2$3" == *"$SNAPSHOT_FAILED"* ]]; then
        check "$1 (a snapshot could not be taken)" false
        return
    fi
    check "$1" test "$2" = "$3"
    [ "$2" = "$3" ] || diff <(echo "$2") <(echo "$3") | head -20
}
# The summary line and, as the script's last command, its exit status.
suite_end() {
    echo "$failures failure(s)"
    [ "$failures" -eq 0 ]
}

# The programs below are the test programs the script copied into C:\inst.
run() {  # EXE ARGS...: runs within 120 s through ExitCodeOf.exe, prints the whole exit code
    timeout 120 wine 'C:\inst\ExitCodeOf.exe' "$@" </dev/null 2>/dev/null | tr -d '\r' | tail -n 1
}
probe() {  # window_probe.exe's answer, and its exit status
    wine 'C:\inst\window_probe.exe' "$@" </dev/null 2>/dev/null | tr -d '\r'
    return "${PIPESTATUS[0]}"
}
# machine_snapshot.exe's lines; a run that fails or sees nothing at all (not
# even the services every prefix has) prints SNAPSHOT_FAILED instead, which
# fails any comparison (same).
SNAPSHOT_FAILED="machine snapshot failed"
machine_snapshot() {  # [--skip PATH]... [--no-contents] BASE-FOLDER
    local lines rc
    lines=$(set -o pipefail; wine 'C:\inst\machine_snapshot.exe' "$@" </dev/null 2>/dev/null | tr -d '\r')
    rc=$?
    if [ "$rc" -ne 0 ] || ! grep -q '^service|' <<<"$lines"; then
        echo "$SNAPSHOT_FAILED (exit $rc, $(grep -c . <<<"$lines") lines)"
        return 1
    fi
    echo "$lines"
}
# 32 or 64: the bitness of the Windows program EXE, from its PE header's
# machine field; empty when EXE is no PE image.
pe_bits() {  # EXE
    local at machine
    at=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$at" ] || return 1
    machine=$(od -An -tx2 -j$((at + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
    case "$machine" in 014c) echo 32 ;; 8664) echo 64 ;; *) return 1 ;; esac
}
# The registry view the programs under test write HKLM\SOFTWARE in: the
# shipped 32-bit programs' Wow6432Node, or the 64-bit stand-in's own view.
product_reg_view() { echo "/reg:$(pe_bits "${installer:?}")"; }
# The product key of the programs under test, one "NAME TYPE DATA" line a
# value, sorted; and the data of one of its values.
product_key_values() {
    wine reg query 'HKLM\SOFTWARE\TrovalisServerV7' "$(product_reg_view)" </dev/null 2>/dev/null | tr -d '\r' |
        sed -n 's/^    //p' | LC_ALL=C sort
}
product_value() { product_key_values | sed -n "s/^$1 *REG_[A-Z_]* *//p"; }  # NAME
# The value names when the key holds nothing but a run's result values.
RESULT_VALUE_NAMES='LastInstallerError LastInstallerResult LastInstallerResultText LastInstallerTime'
product_value_names() { product_key_values | awk '{print $1}' | tr '\n' ' ' | sed 's/ $//'; }
quiet() { "$@" >/dev/null; }  # COMMAND...: its status without its output
last_line() { tail -n 1 "$1" | tr -d '\r' | cut -d' ' -f3-; }  # LOG: its last line without the time
# Drive C: as machine_snapshot.exe sees it, without Windows, the test
# programs in C:\inst, the user's temporary folder, the Templates folder
# (Wine's link to the Linux home, which a walk would follow) and each PATH;
# --no-contents compares files by name and size only.
drive_snapshot() {  # [--no-contents] [PATH]...
    local path user="C:\\users\\$(id -un)" args=()
    if [ "${1:-}" = --no-contents ]; then args=(--no-contents); shift; fi
    for path in 'C:\windows' 'C:\inst' "$user\\AppData\\Local\\Temp" \
        "$user\\AppData\\Roaming\\Microsoft\\Windows\\Templates" "$@"; do
        args+=(--skip "$path")
    done
    machine_snapshot "${args[@]}" 'C:\'
}

# Starts TestShell.exe as the desktop's shell for the rest of the suite: an
# elevated installation starts the panel as the user of that shell, and
# starts nothing on a desktop without one. Returns 1 when it did not start.
start_test_shell() {  # TESTSHELL-EXE
    mkdir -p "$C/testshell"
    cp "$1" "$C/testshell/TestShell.exe"
    wine 'C:\testshell\TestShell.exe' 'C:\testshell\ready' </dev/null >/dev/null 2>&1 &
    BACKGROUND_PIDS+=" $!"
    for _ in $(seq 100); do [ -f "$C/testshell/ready" ] && return 0; sleep 0.1; done
    echo "     the test shell did not start" >&2
    return 1
}
