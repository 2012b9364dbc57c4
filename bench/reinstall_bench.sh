#!/usr/bin/env bash
# A quiet installation over an earlier installation of the same package
# against a fresh one, whole process, side by side and alternating in one warm
# Wine session. The package holds the uninstaller and --files files of 4 KB
# (no services, batches, shortcuts or launch), so the difference is the
# removal of the earlier installation: its records undone, its files deleted.
#   fresh   into a folder where nothing is installed
#   over    into the folder of the previous run's installation
# Median and minimum of --runs runs each.
#
#   reinstall_bench.sh --template DIR --scratch DIR --bin DIR --payload DIR --pkgtool EXE [--runs N] [--files N]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/support/wine/wine-suite.sh"
. "$here/files_installer.sh"
runs=9
files=2000
suite_options bin payload pkgtool runs files -- "$@"
suite_start
work="$C/bench"
mkdir -p "$work/payload/data"
cp "$payload/Uninstall.exe" "$work/payload/"
cp "$bin/TrovalisInstallV7.exe" "$bin/time_process.exe" "$bin/replace_package.exe" "$work/"
head -c 4096 /dev/urandom >"$work/block"
for i in $(seq 1 "$files"); do cp "$work/block" "$work/payload/data/file$i.bin"; done
make_files_installer "$pkgtool"

declare -A times
n=0
time_one() {  # NAME BASE-FOLDER
    local out ms code
    out=$(wine 'C:\bench\time_process.exe' 'C:\bench\Files.exe' /quiet /accept-license "/dir=$2" \
        '/log=C:\bench\last.log' </dev/null 2>/dev/null | tr -d '\r' | tail -n 1)
    ms=${out% *}; code=${out#* }
    [ "$code" = 0 ] || { echo "$1 exited with $code" >&2; tail -n 5 "$work/last.log" >&2; exit 1; }
    times[$1]="${times[$1]:-} $ms"
}
# Each fresh run gets a folder of its own. A package without services writes
# no service path into the product key, so no run finds another folder's
# installation through it.
fresh() { n=$((n + 1)); time_one fresh "C:\\t\\fresh$n"; }
over() {
    time_one over 'C:\t\over'
    grep -q 'previous version found' "$work/last.log" || { echo "an over run found no earlier installation" >&2; exit 1; }
}
time_one warm 'C:\t\over'
for i in $(seq 1 "$runs"); do
    if [ $((i % 2)) -eq 0 ]; then fresh; over; else over; fresh; fi
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
minimum() { tr ' ' '\n' | grep . | sort -g | head -n 1; }
echo "quiet install of $files files of 4 KB, fresh and over an earlier installation ($runs runs each, ms)"
for name in fresh over; do
    printf '  %-6s median %8s  min %8s\n' "$name" "$(median <<<"${times[$name]}")" "$(minimum <<<"${times[$name]}")"
done
f=$(median <<<"${times[fresh]}"); o=$(median <<<"${times[over]}")
awk -v o="$o" -v f="$f" 'BEGIN { printf "  over / fresh %.2f (target <= 1.3)\n", o / f }'
