// Entry point of the installer: the command line decides between the quiet
// installation and the window; both run under the product's run mutex and
// end with one of the documented exit codes.
#include <windows.h>

#include "system/dll_search_win.h"
#include "system/product_constants.h"
#include "system/run_log.h"
#include "ui/TrovalisInstallV7.h"
#include "ui/program_run_win.h"
#include "ui/quiet_install_win.h"

#ifndef INSTALLER_VERSION
#define INSTALLER_VERSION "0.0.0"
#endif

namespace {

constexpr char16_t kVersion[] = u"" INSTALLER_VERSION;
constexpr char16_t kProgramName[] = u"TrovalisInstallV7.exe";

// A bad command line may still have asked for quiet: then no message box.
bool AsksForQuiet(const std::vector<std::u16string>& args) {
    for (const std::u16string& arg : args) {
        CommandLineParse one = ParseCommandLine({arg}, InstallerSwitches());
        if (one.Ok && one.Options.Quiet)
            return true;
    }
    return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RestrictDllSearchToSystem32();
    const std::vector<std::u16string> args = ProgramArguments();
    const std::u16string usage = UsageText(kProgramName, InstallerSwitches());
    const CommandLineParse parse = ParseCommandLine(args, InstallerSwitches());
    if (!parse.Ok) {
        ShowUsage(u"Unknown switch, or a switch without its value: " + parse.Problem + u"\r\n\r\n" + usage,
                  AsksForQuiet(args), true);
        return static_cast<int>(ExitCode::InvalidCommandLine);
    }
    const CommandLineOptions& options = parse.Options;
    if (options.Help) {
        ShowUsage(usage, options.Quiet, false);
        return static_cast<int>(ExitCode::Success);
    }
    if (std::optional<std::u16string> logPath = RunLogPath(options.Log, options.Quiet, kInstallLogFileName))
        OpenRunLog(*logPath);
    LogProgramStart(kVersion);

    UniqueKernelHandle mutex = TakeRunMutex();
    if (!mutex) {
        WriteLogLine("error", u"another installation or removal of this product is running");
        return EndRun(ExitCode::AnotherRunInProgress);
    }
    if (options.Quiet)
        return EndRun(RunQuietInstall(options));
    CTrovalisInstallV7App app(options);
    return EndRun(static_cast<ExitCode>(RunApplication(app)));
}
