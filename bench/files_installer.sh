# Shared by the quiet-installation benchmarks, sourced after wine-suite.sh has
# started the session: the installer with a package of a folder's files only
# (company, product, uninstaller: no services, batches, shortcuts or launch).

# Builds C:\bench\files.pkg from $work/payload (which holds Uninstall.exe) and
# makes C:\bench\Files.exe, the installer of $work/TrovalisInstallV7.exe with
# that package embedded instead of its own.
make_files_installer() {  # PKGTOOL
    cat >"$work/files.manifest" <<'M'
root ZorvanelleV7
company "Zorvanelle"
product "ZorvanelleV7"
uninstaller "Uninstall.exe"
M
    "$1" build "$work/files.manifest" "$work/payload" -o "$work/files.pkg" >/dev/null
    cp "$work/TrovalisInstallV7.exe" "$work/Files.exe"
    wine 'C:\bench\replace_package.exe' 'C:\bench\Files.exe' 'C:\bench\files.pkg' </dev/null >/dev/null 2>&1
}
