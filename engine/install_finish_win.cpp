// The end of an installation that was not stopped: the panel's
// configuration, the legacy service, the service starts, the saved log, the
// Completed report and the launches. No step here looks at Running: once the
// last install step is done the installation is complete.
#include <windows.h>

#include "engine/install_run_win.h"
#include "engine/install_worker_win.h"
#include "engine/launch_rule.h"
#include "engine/panel_config.h"
#include "platform/file_ops_win.h"
#include "platform/folder_security_win.h"
#include "platform/path_names.h"
#include "platform/process_control_win.h"
#include "platform/product_constants.h"
#include "platform/run_log.h"
#include "platform/service_control_win.h"
#include "platform/signed_in_user_win.h"
#include "platform/text.h"
#include "removal/uninstall_log_file_win.h"

namespace {

// Pause after each launch, so programs started one after the other settle.
constexpr DWORD kAfterLaunchMs = 500;

// A fresh panel configuration folder holding only the new file.
void WritePanelConfiguration(const InstallRun& run) {
    std::optional<std::u16string> folder = PanelConfigFolder();
    std::optional<std::u16string> file = folder ? JoinPath(*folder, kPanelConfigFileName) : std::nullopt;
    if (!file)
        return;
    DeleteDirectoryTree(*folder);
    EnsureDirectory(*folder);
    const PanelConfig config{static_cast<uint16_t>(run.State.Options.LangId & 0xFFFF), kPanelLoopbackAddress,
                             kPanelPort};
    const bool written = WritePanelConfig(config, *file);
    LogAction("write-panel-config", written, GetLastError(), *file);
}

void RemoveLegacyService() {
    if (!ServiceExists(kLegacyServiceName))
        return;
    StopServiceByName(kLegacyServiceName);
    const bool deleted = StopAndDeleteService(kLegacyServiceName);
    LogAction("remove-legacy-service", deleted, GetLastError(), kLegacyServiceName);
}

// Recorded also when the service could not be started or opened.
void StartPackageServices(InstallRun& run) {
    for (const ServiceEntry& entry : run.State.ServiceList) {
        const std::u16string name = BaseNameOfPath(entry.File->Name);
        SendReport(run.State, ReportKind::StartingService, name);
        StartServiceByName(name);
        LogAction("start-service", true, 0, name);
        RecordAction(run, ServiceStartedRecord, name);
    }
}

// Whom the programs are started for, decided once for the whole list; the
// token, when it is the signed-in user's, is held until the last has started.
struct Launcher {
    LaunchMode Mode = LaunchMode::OwnToken;
    UniqueKernelHandle UserToken;
};

Launcher ChooseLauncher() {
    Launcher launcher;
    const bool elevated = IsElevatedProcess();
    SignedInUser user = SignedInUser::None;
    if (elevated)
        launcher.UserToken = SignedInUserToken();
    // Where the system keeps no permissions (Wine, whose shell's token reads
    // as elevated) an elevated token grants nothing more: not judged there.
    if (launcher.UserToken)
        user = SystemEnforcesPermissions() && IsElevatedToken(launcher.UserToken.Get()) ? SignedInUser::Elevated
                                                                                        : SignedInUser::Limited;
    launcher.Mode = ChooseLaunchMode(elevated, user, RunsAsLocalSystem());
    return launcher;
}

bool Start(const Launcher& launcher, const CommandLine& command) {
    if (launcher.Mode == LaunchMode::SignedInUser)
        return StartProcessWithToken(launcher.UserToken.Get(), command);
    return RunProcess(command, 0);
}

void LaunchPrograms(const InstallRun& run) {
    if (run.State.LaunchList.empty())
        return;
    const Launcher launcher = ChooseLauncher();
    if (launcher.Mode == LaunchMode::Skip) {
        WriteLogLine("info", u"launch skipped: no interactive session");
        return;
    }
    if (launcher.Mode == LaunchMode::SkipElevatedUser) {
        WriteLogLine("info", u"launch skipped: the signed-in user's token is elevated (User Account Control is off)");
        return;
    }
    const bool hidden = !run.State.Options.ShowPanel;
    for (const PackageFile* file : run.State.LaunchList) {
        std::optional<std::u16string> program = FullPathOfPackageFile(*file);
        // The command line, " -h" included, must fit as a whole.
        if (!program || program->size() + (hidden ? 3 : 0) > kMaxPathUnits)
            continue;
        const bool started = Start(launcher, CommandLine{*program, hidden ? u"-h" : u""});
        LogAction("launch", started, GetLastError(), *program);
        PaceRun(run, kAfterLaunchMs);
    }
}

}  // namespace

void FinishInstallation(InstallRun& run) {
    WritePanelConfiguration(run);
    RemoveLegacyService();
    StartPackageServices(run);
    if (run.LogPath) {
        // The complete log replaces the journal in one step.
        CloseJournal(run.Journal, false);
        const bool saved = SaveUninstallLog(run.Log, *run.LogPath);
        LogAction("save-uninstall-log", saved, GetLastError(), *run.LogPath);
    }
    SendReport(run.State, ReportKind::Completed);
    if (!run.ReplacedAtRestart.empty()) {
        WriteLogLine("info", u"restart needed: " + Utf8ToUtf16(std::to_string(run.ReplacedAtRestart.size())) +
                                 u" file(s) in use are replaced at the next restart");
        SendReport(run.State, ReportKind::RestartNeeded);
    }
    LaunchPrograms(run);
}
