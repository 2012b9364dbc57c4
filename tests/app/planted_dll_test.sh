#!/usr/bin/env bash
# Libraries planted beside the shipped programs are never loaded: copies of
# PlantedMarker.dll named like each system library that is not a KnownDLL lie
# beside the installer and the uninstaller, with Wine set to Windows' search
# order for them (NAME=n,b, the program's folder before System32). A quiet
# installation, an interactive start closed with the close button, and the
# uninstaller each succeed, and no planted copy leaves its marker.
#
# A library that Wine itself loads for a program that only imports KnownDLLs
# (KnownImports.exe) before its first instruction (Wine's own advapi32
# imports version.dll; Windows' does not) is out of any program's reach: it
# is reported, and not planted for the programs' runs.
#
#   planted_dll_test.sh --template DIR --scratch DIR --installer EXE --uninstaller EXE
#                       --marker DLL --known-imports EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/wine/wine-suite.sh"
suite_options installer uninstaller marker known-imports -- "$@"
suite_start

# The installer's one static import that is not a KnownDLL (before it was
# delay-loaded), and what the system libraries load later on its behalf.
PLANTED=(gdiplus uxtheme dwmapi version propsys cryptbase comctl32 windowscodecs)

inst="$C/inst"
mkdir -p "$inst"
cp "$installer" "$inst/TrovalisInstallV7.exe"
cp "$uninstaller" "$inst/Uninstall.exe"
cp "$known_imports" "$inst/KnownImports.exe"
plant() {  # NAME...: planted copies of exactly these, and Windows' search order for them
    rm -f "$inst"/*.dll
    WINEDLLOVERRIDES=$base_overrides
    local name
    for name in "$@"; do
        cp "$marker" "$inst/$name.dll"
        WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$name=n,b"
    done
    export WINEDLLOVERRIDES
}
base_overrides=$WINEDLLOVERRIDES

# Names of the planted copies that were loaded since the last call; their
# markers are removed.
loaded_planted() {
    local file name
    for file in "$C"/planted-*.txt; do
        [ -e "$file" ] || continue
        name=${file##*/planted-}
        echo "${name%.dll.txt} ($(tr -d '\0\r' <"$file" | sort -u | tr '\n' ' '))"
        rm -f "$file"
    done
}
none_loaded() {  # WHAT: no planted copy was loaded
    local loaded
    loaded=$(loaded_planted)
    [ -z "$loaded" ] || { echo "     $1 loaded: $loaded" >&2; return 1; }
}

echo "== what Wine loads before a program runs"
plant "${PLANTED[@]}"
timeout 60 wine 'C:\inst\KnownImports.exe' </dev/null >/dev/null 2>&1
by_platform=" $(loaded_planted | cut -d' ' -f1 | tr '\n' ' ') "
to_plant=()
for name in "${PLANTED[@]}"; do
    case "$by_platform" in
        *" $name "*) echo "skip $name.dll: Wine loads it for its own system libraries before any code of a program runs" ;;
        *) to_plant+=("$name") ;;
    esac
done
check "some libraries are left to plant" test ${#to_plant[@]} -gt 0
plant "${to_plant[@]}"

# The proof that the checks below can fail: a planted copy that a program
# does load (here by a careless load by name) leaves its marker.
timeout 60 wine 'C:\inst\KnownImports.exe' "${to_plant[0]:-version}.dll" </dev/null >/dev/null 2>&1
check "a planted copy that is loaded leaves its marker" test -n "$(loaded_planted)"

echo "== quiet installation"
timeout 300 wine 'C:\inst\TrovalisInstallV7.exe' /quiet /accept-license '/log=C:\quiet.log' '/dir=C:\Quiet' \
    </dev/null >/dev/null 2>&1
check "a quiet installation beside planted libraries gives 0" test $? = 0
check "it installed the product" test -f "$C/Quiet/Zorvanelle/ZorvanelleV7/uninstall.log"
check "it loaded no planted library" none_loaded "the quiet installation"

echo "== interactive start"
rm -f "$WINEPREFIX/installer.rc"
(timeout 120 wine 'C:\inst\TrovalisInstallV7.exe' </dev/null >/dev/null 2>&1; echo $? >"$WINEPREFIX/installer.rc") &
window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Zorvanelle Driver Installation' 2>/dev/null | head -n 1)
check "the window appears beside planted libraries" test -n "$window"
if [ -n "$window" ]; then
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # The close button: 34 pixels from the right edge, 12 down and in.
    xdotool mousemove --window "$window" $((WIDTH - 22)) 22 click 1
fi
for i in $(seq 1 200); do [ -f "$WINEPREFIX/installer.rc" ] && break; sleep 0.1; done
check "the close button ends it with 0" test "$(cat "$WINEPREFIX/installer.rc" 2>/dev/null)" = 0
check "it loaded no planted library" none_loaded "the interactive start"

echo "== uninstaller"
# The installed uninstaller, with the same planted copies beside it, removes
# the quiet installation (its temporary copy runs with the same overrides).
for name in "${to_plant[@]}"; do cp "$marker" "$C/Quiet/Zorvanelle/ZorvanelleV7/$name.dll"; done
timeout 120 wine 'C:\Quiet\Zorvanelle\ZorvanelleV7\Uninstall.exe' /quiet '/log=C:\uninstall.log' </dev/null >/dev/null 2>&1
check "the uninstaller beside planted libraries gives 0" test $? = 0
check "it loaded no planted library" none_loaded "the uninstaller"

suite_end
