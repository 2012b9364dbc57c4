#!/usr/bin/env bash
# The compressed package against the stored one, side by side in one Wine
# session, for one payload folder: installer sizes (ours compressed, ours
# stored, and NSIS zlib and NSIS LZMA solid built by makensis for 32-bit
# Windows, sizes only: they run only where 32-bit programs do), and the
# quiet installation's wall clock and peak working set, whole process,
# alternating: ours compressed, ours stored, and a program built like the
# installer that only copies the same files (the floor). Median of --runs.
#
#   package_size_bench.sh --template DIR --scratch DIR --bin DIR --payload DIR --pkgtool EXE
#                         --label TEXT [--runs N]
# PAYLOAD must hold Uninstall.exe (the files-only package names it).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/support/wine/wine-suite.sh"
runs=7
suite_options bin payload pkgtool label runs -- "$@"
command -v makensis >/dev/null || { echo "makensis is missing (Debian package nsis)" >&2; exit 2; }
suite_start
work="$C/bench"
mkdir -p "$work"
cp -r "$payload" "$work/payload"
cp "$bin/TrovalisInstallV7.exe" "$bin/copy_floor.exe" "$bin/time_process.exe" "$bin/replace_package.exe" "$work/"

cat >"$work/files.manifest" <<'M'
root ZorvanelleV7
company "Zorvanelle"
product "ZorvanelleV7"
uninstaller "Uninstall.exe"
M
for form in packed stored; do
    option=; [ "$form" = stored ] && option=--store
    "$pkgtool" build $option "$work/files.manifest" "$work/payload" -o "$work/$form.pkg" >/dev/null
    cp "$work/TrovalisInstallV7.exe" "$work/$form.exe"
    wine 'C:\bench\replace_package.exe' "C:\\bench\\$form.exe" "C:\\bench\\$form.pkg" </dev/null >/dev/null 2>&1
done
for kind in zlib lzma; do
    if [ "$kind" = zlib ]; then compression="SetCompressor zlib"; else compression="SetCompressor /SOLID lzma"; fi
    cat >"$work/nsis-$kind.nsi" <<N
Unicode true
Target x86-unicode
$compression
Name "NsisBench"
OutFile "$work/nsis-$kind.exe"
RequestExecutionLevel admin
InstallDir "C:\\nsis"
Section
  SetOutPath "\$INSTDIR"
  File /r "$work/payload/*"
  WriteUninstaller "\$INSTDIR\\nsis-uninstall.exe"
SectionEnd
Section Uninstall
SectionEnd
N
    makensis -V1 "$work/nsis-$kind.nsi" >/dev/null
done

declare -A times peaks
time_one() {  # NAME COMMAND...
    local name=$1; shift
    rm -rf "$C/t"; mkdir -p "$C/t"
    local out ms code peak
    out=$(wine 'C:\bench\time_process.exe' --memory "$@" </dev/null 2>/dev/null | tr -d '\r' | tail -n 1)
    read -r ms code peak <<<"$out"
    [ "$code" = 0 ] || { echo "$name exited with $code" >&2; exit 1; }
    times[$name]="${times[$name]:-} $ms"
    peaks[$name]="${peaks[$name]:-} $peak"
}
packed() { time_one packed 'C:\bench\packed.exe' /quiet /accept-license '/dir=C:\t' '/log=C:\bench\packed.log'; }
stored() { time_one stored 'C:\bench\stored.exe' /quiet /accept-license '/dir=C:\t' '/log=C:\bench\stored.log'; }
floor() { time_one floor 'C:\bench\copy_floor.exe' 'C:\bench\payload' 'C:\t\floor'; }
variants=(packed stored floor)
for v in "${variants[@]}"; do $v; done
times=(); peaks=()
for i in $(seq 1 "$runs"); do
    for j in 0 1 2; do ${variants[$(((i + j) % 3))]}; done
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
payload_bytes=$(find "$work/payload" -type f -printf '%s\n' | awk '{s+=$1} END {print s}')
stored_package=$(stat -c %s "$work/stored.pkg")
echo "$label: payload $payload_bytes bytes in $(find "$work/payload" -type f | wc -l) files, stored package $stored_package bytes"
echo "  installer size                    bytes   / stored installer"
s=$(stat -c %s "$work/stored.exe")
for f in packed stored nsis-zlib nsis-lzma; do
    b=$(stat -c %s "$work/$f.exe")
    awk -v n="$f" -v b="$b" -v s="$s" 'BEGIN { printf "    %-28s %10d   %.3f\n", n, b, b / s }'
done
awk -v p="$(stat -c %s "$work/packed.exe")" -v l="$(stat -c %s "$work/nsis-lzma.exe")" \
    'BEGIN { printf "    ours compressed / NSIS LZMA solid: %.2f\n", p / l }'
awk -v p="$(stat -c %s "$work/packed.pkg")" -v s="$stored_package" \
    'BEGIN { printf "    package alone: compressed %d bytes, %.3f of stored\n", p, p / s }'
echo "  quiet install ($runs runs)     median ms   peak working set KB (median)"
for name in packed stored floor; do
    printf '    %-26s %10s   %s\n' "$name" "$(median <<<"${times[$name]}")" "$(median <<<"${peaks[$name]}")"
done
p=$(median <<<"${times[packed]}"); s=$(median <<<"${times[stored]}"); f=$(median <<<"${times[floor]}")
awk -v p="$p" -v s="$s" -v f="$f" 'BEGIN { printf "    compressed / stored %.2f, compressed / floor %.2f\n", p / s, p / f }'
echo "  (NSIS installers are 32-bit: their install times need a machine that runs 32-bit programs)"
