#!/usr/bin/env bash
# The quiet installation as a deployment tool runs it, whole process, wall
# clock inside one warm Wine session, side by side and alternating:
#   ours          the installer with a package of the demo payload's files
#                 only (company, product, uninstaller: no services, batches,
#                 shortcuts or launch), /quiet
#   nsis-stored   NSIS from Debian installing the same folder, /S, stored
#   nsis-lzma     the same, solid lzma
#   floor         a trivial program built like the installer copying the files
# then the full demo package, quiet. Median and minimum of --runs runs each.
#
# --before EXE adds an earlier build of the installer with the same package
# (ours-before), to measure a change side by side.
#
#   quiet_install_bench.sh --template DIR --scratch DIR --bin DIR --payload DIR --pkgtool EXE [--runs N] [--before EXE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/support/wine/wine-suite.sh"
. "$here/files_installer.sh"
runs=9
before=
suite_options bin payload pkgtool runs before -- "$@"
command -v makensis >/dev/null || { echo "makensis is missing (Debian package nsis)" >&2; exit 2; }
suite_start
work="$C/bench"
mkdir -p "$work"
cp -r "$payload" "$work/payload"
cp "$bin/TrovalisInstallV7.exe" "$bin/copy_floor.exe" "$bin/time_process.exe" "$bin/replace_package.exe" "$work/"

# The same kind of program as the installer under test: 32- or 64-bit.
target=x86-unicode
case "$(objdump -f "$bin/TrovalisInstallV7.exe" 2>/dev/null)" in *pei-x86-64*) target=amd64-unicode ;; esac

# Our installer with the files-only package.
make_files_installer "$pkgtool"
if [ -n "$before" ]; then
    cp "$before" "$work/Before.exe"
    wine 'C:\bench\replace_package.exe' 'C:\bench\Before.exe' 'C:\bench\files.pkg' </dev/null >/dev/null 2>&1
fi

# NSIS: the same folder, an uninstaller and an Add/Remove Programs entry.
for kind in stored lzma; do
    if [ "$kind" = stored ]; then compression="SetCompress off"; else compression="SetCompressor /SOLID lzma"; fi
    cat >"$work/nsis-$kind.nsi" <<N
Unicode true
Target $target
$compression
Name "NsisBench"
OutFile "$work/nsis-$kind.exe"
RequestExecutionLevel admin
InstallDir "C:\\nsis"
Section
  SetOutPath "\$INSTDIR"
  File /r "$work/payload/*"
  WriteUninstaller "\$INSTDIR\\nsis-uninstall.exe"
  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NsisBench" "DisplayName" "NsisBench"
  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NsisBench" "UninstallString" "\$INSTDIR\\nsis-uninstall.exe"
SectionEnd
Section Uninstall
SectionEnd
N
    makensis -V1 "$work/nsis-$kind.nsi" >/dev/null
done

declare -A times
time_one() {  # NAME TARGET-DIR COMMAND...
    local name=$1 dir=$2; shift 2
    rm -rf "$C/t/$dir"; mkdir -p "$C/t"
    local out ms code
    out=$(wine 'C:\bench\time_process.exe' "$@" </dev/null 2>/dev/null | tr -d '\r' | tail -n 1)
    ms=${out% *}; code=${out#* }
    [ "$code" = 0 ] || { echo "$name exited with $code" >&2; exit 1; }
    times[$name]="${times[$name]:-} $ms"
}
ours() { time_one ours ours 'C:\bench\Files.exe' /quiet /accept-license '/dir=C:\t\ours' '/log=C:\bench\ours.log'; }
stored() { time_one nsis-stored nsis-stored 'C:\bench\nsis-stored.exe' /S '/D=C:\t\nsis-stored'; }
lzma() { time_one nsis-lzma nsis-lzma 'C:\bench\nsis-lzma.exe' /S '/D=C:\t\nsis-lzma'; }
floor() { time_one floor floor 'C:\bench\copy_floor.exe' 'C:\bench\payload' 'C:\t\floor'; }
earlier() { time_one ours-before ours-before 'C:\bench\Before.exe' /quiet /accept-license '/dir=C:\t\ours-before' '/log=C:\bench\before.log'; }
variants=(ours stored lzma floor)
[ -n "$before" ] && variants+=(earlier)
# One run of each first, unmeasured, so every program and file is warm.
for v in "${variants[@]}"; do $v; done
times=()
n=${#variants[@]}
for i in $(seq 1 "$runs"); do
    # The order rotates, so no variant always runs right after another.
    for j in $(seq 0 $((n - 1))); do ${variants[$(((i + j) % n))]}; done
done
full() { time_one full full 'C:\bench\TrovalisInstallV7.exe' /quiet /accept-license '/dir=C:\t\full' '/log=C:\bench\full.log'; }
full
for i in $(seq 1 "$runs"); do full; done

median() { tr ' ' '\n' | grep . | sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
minimum() { tr ' ' '\n' | grep . | sort -g | head -n 1; }
echo "quiet install of the demo payload's files ($target programs, $runs runs each, ms)"
names=(ours nsis-stored nsis-lzma floor full)
[ -n "$before" ] && names+=(ours-before)
for name in "${names[@]}"; do
    printf '  %-12s median %8s  min %8s\n' "$name" "$(median <<<"${times[$name]}")" "$(minimum <<<"${times[$name]}")"
done
o=$(median <<<"${times[ours]}"); s=$(median <<<"${times[nsis-stored]}"); f=$(median <<<"${times[floor]}")
awk -v o="$o" -v s="$s" -v f="$f" 'BEGIN { printf "  ours / nsis-stored %.2f (target <= 0.8), ours / floor %.2f (target <= 1.3)\n", o / s, o / f }'
if [ -n "$before" ]; then
    b=$(median <<<"${times[ours-before]}")
    awk -v o="$o" -v b="$b" 'BEGIN { printf "  ours / ours-before %.2f\n", o / b }'
fi
echo "  (full: the whole demo package with services and driver batches, quiet; its parts: install_bench)"
