#!/usr/bin/env bash
# The shipped 32-bit programs started on a machine whose kernel refuses
# 32-bit programs: Wine's 32-bit loader runs under qemu-i386, registered in a
# binfmt_misc of a private user and mount namespace, so the machine's own
# settings stay as they are. A quiet installation of a files-only package by
# the shipped installer (the package put into a copy of it by the benchmarks'
# replace_package.exe, itself a 32-bit program here), then its
# quiet removal by the shipped uninstaller: the exit codes, the files, and
# the machine as before.
#
# qemu 7 (Debian 12's own) ignores MAP_FIXED_NOREPLACE, and Wine's start-up
# then probes the whole address space in tens of thousands of mappings: about
# a minute and a half for each 32-bit process. The emulator from Debian's
# backports honours it, and a process starts in a second or two.
#
#   emulated_32bit_test.sh --win32 BUILD-DIR --pkgtool PKGTOOL --qemu QEMU-I386 --scratch DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

if [ -z "${IN_EMULATOR_NAMESPACE:-}" ]; then
    args=("$@")
    qemu=
    while [ $# -gt 1 ]; do [ "$1" = --qemu ] && qemu=$2; shift; done
    [ -x "$qemu" ] || { echo "no qemu-i386 at '$qemu'" >&2; exit 2; }
    # The magic and mask of a 32-bit x86 ELF executable; F opens the emulator
    # now, so it is found whatever the namespace later sees.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    exec env IN_EMULATOR_NAMESPACE=1 unshare --user --map-root-user --mount bash -c '
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || { echo "no private binfmt_misc" >&2; exit 1; }
        printf "%s" ":qemu-i386:M::$1:$2:$3:FOC" >/proc/sys/fs/binfmt_misc/register ||
            { echo "cannot register $3" >&2; exit 1; }
        shift 3
        exec "$@"' _ "$magic" "$mask" "$qemu" "$0" "${args[@]}"
fi

. "$here/../support/wine/wine-suite.sh"
suite_options win32 pkgtool qemu -- "$@"
template="$scratch-template"

echo "== a prefix made under the emulator"
# One made by the 64-bit loader alone has no 32-bit system libraries.
started=$SECONDS
check "the prefix is made" "$root/tests/support/wine/make-template" "$template"
echo "     $((SECONDS - started)) s"
suite_start

echo "== a files-only package in a copy of the shipped installer"
payload="$WINEPREFIX/payload/ZorvanelleV7"
mkdir -p "$payload/data"
cp "$win32/payload/bin/Uninstall.exe" "$win32/payload/ZorvanelleV7/License.txt" "$payload/"
head -c 300000 /dev/urandom >"$payload/data/table.bin"
printf 'files only\r\n' >"$payload/data/readme.txt"
cat >"$WINEPREFIX/files-only.manifest" <<'MANIFEST'
company "Zorvanelle"
product "ZorvanelleV7"
uninstaller "Uninstall.exe"
license english "License.txt"
MANIFEST
mkdir -p "$C/inst"
cp "$win32/bin/machine_snapshot.exe" "$win32/bin/replace_package.exe" "$win32/bin/TrovalisInstallV7.exe" "$C/inst/"
check "the package is built" quiet "$pkgtool" build "$WINEPREFIX/files-only.manifest" "$payload" \
    -o "$C/inst/files-only.pkg"
check "it goes into a copy of the shipped installer" quiet wine 'C:\inst\replace_package.exe' \
    'C:\inst\TrovalisInstallV7.exe' 'C:\inst\files-only.pkg' </dev/null
installer="$C/inst/TrovalisInstallV7.exe"
check "the copy is a 32-bit program" test "$(pe_bits "$installer")" = 32

product='C:\Emu\Zorvanelle\ZorvanelleV7'
product_dir="$C/Emu/Zorvanelle/ZorvanelleV7"
snapshot() { drive_snapshot 'C:\install.log' 'C:\uninstall.log' "C:\\users\\$(id -un)\\Temp"; }
timed() {  # LABEL COMMAND...: runs it, prints its seconds, returns its status
    local started=$SECONDS status
    "${@:2}" </dev/null >/dev/null 2>&1
    status=$?
    echo "     $1: exit $status after $((SECONDS - started)) s"
    return $status
}

echo "== the quiet installation"
before=$(snapshot)
timed "shipped installer" timeout 300 wine 'C:\inst\TrovalisInstallV7.exe' /quiet /accept-license \
    '/log=C:\install.log' '/dir=C:\Emu'
check "the shipped installer gives 0" test $? = 0
check "its log ends with the exit code" test "$(last_line "$C/install.log")" = "exit 0 success"
check "it installed the package's files" cmp -s "$payload/data/table.bin" "$product_dir/data/table.bin"
check "and the shipped uninstaller" cmp -s "$payload/Uninstall.exe" "$product_dir/Uninstall.exe"
check "and its log" test -s "$product_dir/uninstall.log"
check "the product key is in the 32-bit view" test -n "$(product_value LastInstallerResult)"

echo "== the quiet removal"
timed "shipped uninstaller" timeout 300 wine "$product\\Uninstall.exe" /quiet '/log=C:\uninstall.log'
check "the shipped uninstaller gives 0" test $? = 0
check "the installation folder is gone" test ! -e "$product_dir"
same "the machine is as before" "$before" "$(snapshot)"

suite_end
