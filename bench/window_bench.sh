#!/usr/bin/env bash
# Runs bench/window_bench under Wine in a scratch copy of the test template,
# with a private Xvfb and one warm Wine session for every run.
#
#   window_bench.sh --template DIR --scratch DIR --bin DIR [--runs N]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/wine/wine-env.sh"
runs=9
while [ $# -gt 0 ]; do
    case "$1" in
        --template) template=$2; shift 2 ;;
        --scratch) scratch=$2; shift 2 ;;
        --bin) bin=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
XVFB_PID=
cleanup() {
    stop_wine_session
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$scratch"
}
rm -rf "$scratch"
mkdir -p "$(dirname "$scratch")"
cp -a "$template" "$scratch"
export WINEPREFIX=$(cd "$scratch" && pwd)
trap cleanup EXIT
start_private_xvfb
start_wine_session
dir="$WINEPREFIX/drive_c/bench"
mkdir -p "$dir"
cp "$bin/TrovalisInstallV7.exe" "$bin/window_floor.exe" "$bin/window_bench.exe" "$dir/"
wine 'C:\bench\window_bench.exe' 'C:\bench\TrovalisInstallV7.exe' 'C:\bench\window_floor.exe' "$runs" </dev/null 2>/dev/null |
    tr -d '\r'
