// Entry point of the installer: the command line, the run log and the
// product's run mutex, then the one start-up path (installer_start_win.h);
// every run ends with one of the documented exit codes.
#include <windows.h>

#include "app/installer/installer_start_win.h"
#include "app/program_run_win.h"
#include "app/run_contract.h"
#include "app/run_result_win.h"
#include "platform/dll_search_win.h"
#include "platform/product_constants.h"
#include "platform/run_log.h"

#ifndef INSTALLER_VERSION
#define INSTALLER_VERSION "0.0.0"
#endif

namespace {

constexpr char16_t kVersion[] = u"" INSTALLER_VERSION;
constexpr char16_t kProgramName[] = u"TrovalisInstallV7.exe";

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (!RestrictDllSearchToSystem32())
        return RefuseUnrestrictedLibrarySearch(ProgramArguments(), InstallerSwitches());
    std::optional<ExitCode> endNow;
    const CommandLineOptions options =
        ReadProgramCommandLine(ProgramArguments(), InstallerSwitches(), kProgramName, &endNow);
    if (endNow)
        return static_cast<int>(*endNow);
    if (std::optional<std::u16string> logPath = RunLogPath(options.Log, AsksNothing(options), kInstallLogFileName))
        OpenRunLog(*logPath);
    LogProgramStart(kVersion);

    UniqueKernelHandle mutex = TakeRunMutex();
    if (!mutex) {
        WriteLogLine("error", u"another installation or removal of this product is running");
        return EndRun(ExitCode::AnotherRunInProgress);
    }
    const ExitCode code = RunInstaller(options);
    WriteRunResult(code, RunKind::Installation);
    return EndRun(code);
}
