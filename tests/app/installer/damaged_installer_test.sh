#!/usr/bin/env bash
# An installer whose package resource was damaged after it was built refuses
# to run before it touches the machine: a quiet run exits 1620, its log says
# the installer is damaged and must be downloaded again, and the machine is
# exactly as before. Damage: one byte changed in the package's script, in a
# file name and in a file's data (each repacked under the digest the intact
# package carries, as a change after the build would leave it), one byte of
# the digest and one of the compressed bytes flipped in place, and the
# resource cut short. Started without /quiet, it shows a message box and
# exits 1620 once it is dismissed. An installer carrying the stored
# (uncompressed) package still installs.
#
#   damaged_installer_test.sh --template DIR --scratch DIR --installer EXE --exit-code-of EXE
#                             --snapshot EXE --replace EXE --package PKG --packed PKZ
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/wine/wine-suite.sh"
suite_options installer exit-code-of snapshot replace package packed -- "$@"
suite_start

inst="$C/inst"
mkdir -p "$inst"
cp "$installer" "$inst/TrovalisInstallV7.exe"
cp "$exit_code_of" "$inst/ExitCodeOf.exe"
cp "$snapshot" "$inst/machine_snapshot.exe"
cp "$replace" "$inst/replace_package.exe"
work="$WINEPREFIX/damage"
mkdir -p "$work"
log="$C/damaged.log"

# The snapshot holds the product key without the result values, which every
# run that held the run mutex leaves there on purpose, a refused one too.
snapshot() { drive_snapshot 'C:\damaged.log'; }

# Copies of the packed package, each damaged one way, as NAME.pkz files.
python3 - "$package" "$packed" "$work" <<'PY'
import struct, subprocess, sys
stored, packed, out = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read(), sys.argv[3]
digest = packed[12:20]
def write(name, data): open(f'{out}/{name}.pkz', 'wb').write(data)
def repack(name, at):
    changed = bytearray(stored); changed[at] ^= 0x01
    # zstd from a pipe declares no size; the frame header must, so say it.
    frame = subprocess.run(['zstd', '-q', '-19', '-c', f'--stream-size={len(changed)}'], input=bytes(changed),
                           capture_output=True, check=True).stdout
    write(name, packed[:4] + struct.pack('<II', len(changed), len(frame)) + digest + frame)
name = 'ZorvanelleUsb.sys'.encode('utf-16-le')
assert stored.find(name) > 0, 'no file name to damage'
repack('script', 10)
repack('name', stored.find(name) + 2)
repack('data', len(stored) * 9 // 10)
flipped = bytearray(packed); flipped[12] ^= 0x80; write('digest', flipped)
flipped = bytearray(packed); flipped[len(packed) // 2] ^= 0x10; write('frame', flipped)
write('truncated', packed[:len(packed) - 4096])
PY
check "six damaged packages were made" test "$(ls "$work"/*.pkz 2>/dev/null | wc -l)" = 6

# A snapshot that could not be taken fails the comparison (same).
before=$(snapshot)
for damage in script name data digest frame truncated; do
    echo "== damaged: $damage"
    cp "$inst/TrovalisInstallV7.exe" "$inst/Damaged.exe"
    cp "$work/$damage.pkz" "$inst/damage.pkz"
    check "the damaged package replaced the resource" \
        quiet wine 'C:\inst\replace_package.exe' 'C:\inst\Damaged.exe' 'C:\inst\damage.pkz'
    rm -f "$inst/damage.pkz" "$log"
    rc=$(run 'C:\inst\Damaged.exe' /quiet /accept-license "/log=C:\\damaged.log" '/dir=C:\Damaged')
    check "a quiet run exits 1620" test "$rc" = 1620
    check "its log says the installer is damaged" \
        grep -q 'error The installer is damaged. Please download it again.' "$log"
    check "its log ends with the exit code" test "$(last_line "$log")" = "exit 1620 the package is missing or damaged"
    same "the machine is unchanged" "$before" "$(snapshot)"
done

echo "== damaged, with the window"
# Started without /quiet: a message box instead of the page; once it is
# dismissed the run ends with 1620, the machine untouched.
(run 'C:\inst\Damaged.exe' >"$work/window-rc") &
box=$(timeout 60 xdotool search --sync --onlyvisible --name 'Zorvanelle Driver Installation' 2>/dev/null | head -n 1)
check "a message box is shown" test -n "$box"
[ -n "$box" ] && { xdotool windowactivate --sync "$box" 2>/dev/null; xdotool key --window "$box" Return; }
for i in $(seq 1 100); do [ -s "$work/window-rc" ] && break; sleep 0.2; done
check "dismissed, the run exits 1620" test "$(cat "$work/window-rc")" = 1620
same "the machine is unchanged" "$before" "$(snapshot)"
rm -f "$inst/Damaged.exe"

echo "== the stored package"
cp "$inst/TrovalisInstallV7.exe" "$inst/Stored.exe"
cp "$package" "$inst/stored.pkg"
check "the stored package replaced the resource" \
    quiet wine 'C:\inst\replace_package.exe' 'C:\inst\Stored.exe' 'C:\inst\stored.pkg'
rc=$(run 'C:\inst\Stored.exe' /quiet /accept-license "/log=C:\\damaged.log" '/dir=C:\Stored')
check "an installer with the stored package installs" test "$rc" = 0
check "its files are in place" test -s "$C/Stored/Zorvanelle/ZorvanelleV7/License.txt"

suite_end
