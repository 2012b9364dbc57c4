#!/usr/bin/env bash
# Runs bench/window_bench under Wine in a scratch copy of the test template,
# with a private Xvfb and one warm Wine session for every run.
#
#   window_bench.sh --template DIR --scratch DIR --bin DIR [--runs N]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/support/wine/wine-suite.sh"
runs=9
suite_options bin runs -- "$@"
suite_start
dir="$C/bench"
mkdir -p "$dir"
cp "$bin/TrovalisInstallV7.exe" "$bin/window_floor.exe" "$bin/window_bench.exe" "$dir/"
wine 'C:\bench\window_bench.exe' 'C:\bench\TrovalisInstallV7.exe' 'C:\bench\window_floor.exe' "$runs" </dev/null 2>/dev/null |
    tr -d '\r'
