// Uninstall.exe: removes the installation it lies in, through the
// uninstall.log beside it, with the same removal code (and the same checks on
// what a log may name) as the installer's removal of an earlier version. It
// names no product: the log's header gives the base folder, company and
// product, the product key the language. A vendor ships it unchanged.
//
// One program, two processes: the first (first_process_win.h) and its
// temporary copy (temporary_copy_win.h), told apart by the copy's switch.
#include <windows.h>

#include <string>
#include <vector>

#include "app/program_run_win.h"
#include "app/uninstaller/first_process_win.h"
#include "app/uninstaller/temporary_copy_win.h"
#include "platform/dll_search_win.h"

#ifndef INSTALLER_VERSION
#define INSTALLER_VERSION "0.0.0"
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Both processes, and the temporary copy above all (it runs elevated from
    // a temporary folder), load libraries only from the system folder.
    const bool librariesFromSystem32 = RestrictDllSearchToSystem32();
    const std::vector<std::u16string> args = ProgramArguments();
    if (!librariesFromSystem32)
        return RefuseUnrestrictedLibrarySearch(args, UninstallerSwitches());
    if (!args.empty() && args[0] == kRemovalCopySwitch)
        return RunCopy(args);
    return RunFirstProcess(args, u"" INSTALLER_VERSION);
}
