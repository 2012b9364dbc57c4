#include "engine/install_sequence_win.h"

#include <optional>

#include "engine/install_run_win.h"
#include "engine/install_worker_win.h"
#include "platform/case_fold.h"
#include "platform/com_win.h"
#include "platform/path_names.h"
#include "platform/run_log.h"
#include "removal/previous_version_win.h"

namespace {

void ReportPreviousVersion(const InstallerState& state, std::u16string_view folder) {
    SendReport(state, ReportKind::PreviousVersionFound, folder);
}

void PaceThroughSink(const InstallerState& state, uint32_t ms) {
    SinkOf(state.Options).Pace(state.Options, ms);
}

// Formed before the run renames RootName, so that an earlier installation
// into the same place is found by the name the package gives its root.
std::optional<std::u16string> LogPathOf(const InstallerState& state) {
    std::optional<std::u16string> folder = JoinPath(state.Options.BaseFolder, state.Company, state.Tree->RootName);
    return folder ? JoinPath(*folder, u"uninstall.log") : std::nullopt;
}

// Without a tree there is nothing to install, and without Company or Product
// every path of the run would be formed from an empty name.
bool HasPackage(const InstallerState& state) {
    return state.Tree && !state.Company.empty() && !state.Product.empty();
}

// The folder checks look at Company\Product, and the uninstall log is found
// and written under Company\RootName: a package whose two names differ (not
// only in case, which names the same folder) would put the log where no
// check looked.
bool RootFolderIsProductFolder(const InstallerState& state) {
    return EqualIgnoringCase(state.Tree->RootName, state.Product);
}

// Steps 12 to 15. Each shortcut initialises COM itself; holding the
// worker's apartment open across the shortcut steps turns those into
// reference counts, instead of setting the apartment up and tearing it down
// again for every link. Without it (the initialisation failed) every
// shortcut simply does the whole work itself.
void RunShellSteps(InstallRun& run) {
    // Setting up the apartment costs about half a second under Wine; a
    // package without shortcuts never needs it.
    const bool linksToMake = !run.State.ProgramsShortcutList.empty() || !run.State.DesktopShortcutList.empty();
    std::optional<ComInitialization> apartment;
    if (linksToMake)
        apartment.emplace();
    CreateProgramsShortcuts(run);
    AddDesktopMenuEntries(run);
    WriteSystemFolderFiles(run);
    CreateDesktopShortcuts(run);
}

void RunSteps(InstallRun& run) {
    StartLog(run);
    if (!CreateInstallFolders(run))
        return;  // refused: nothing is done there
    StopPackageServices(run);
    CloseRunningCopies(run);
    WritePackageFiles(run);
    RecordProductKey(run);
    RunDriverBatches(run);
    CreatePackageServices(run);
    RunShellSteps(run);
    AddUninstallEntryOf(run);
    AddRunEntries(run);
}

}  // namespace

bool StillRunning(const InstallRun& run) {
    return run.State.Running.load();
}

void PaceRun(const InstallRun& run, uint32_t ms) {
    PaceThroughSink(run.State, ms);
}

void RecordAction(InstallRun& run, uint8_t type, const std::vector<uint8_t>& data) {
    RecordedAction(run, type, data, [] { return true; });
}

void RecordAction(InstallRun& run, uint8_t type, std::u16string_view text) {
    RecordAction(run, type, TextRecordData(text));
}

void LogAction(std::string_view what, bool ok, DWORD error, std::u16string_view subject) {
    WriteLogResult("action", what, ok, ok ? 0 : error, subject);
}

void InstallWorker(InstallerState& state) {
    RunOutcome outcome = RunOutcome::Failed;
    if (HasPackage(state) && !RootFolderIsProductFolder(state)) {
        WriteLogLine("error", u"the package's root folder " + state.Tree->RootName +
                                  u" is not named after its product " + state.Product + u": nothing installed");
    } else if (HasPackage(state)) {
        InstallRun run{state, *state.Tree, {}, LogPathOf(state)};
        // Before anything else, the removal of an earlier copy included: the
        // programs of this folder will run with administrator rights.
        if (!InstallFolderIsAdministratorsOnly(state)) {
            state.Outcome = RunOutcome::Failed;
            SendReport(state, ReportKind::WorkerFinished);
            return;
        }
        run.InheritedFolders = RemovePreviousVersion(state, ReportPreviousVersion, PaceThroughSink);
        RunSteps(run);
        if (StillRunning(run)) {
            FinishInstallation(run);
            outcome = run.ReplacedAtRestart.empty() ? RunOutcome::Completed : RunOutcome::CompletedRestartNeeded;
        } else {
            WriteLogLine("info", run.Failed ? u"rolling back after a failure" : u"rolling back: the run was stopped");
            RollBackInstallation(run);
            outcome = run.Failed ? RunOutcome::Failed : RunOutcome::Cancelled;
        }
        ClearUninstallLog(run.Log);
    } else {
        WriteLogLine("error", u"no package to install: a tree, a company and a product are needed");
    }
    state.Outcome = outcome;
    SendReport(state, ReportKind::WorkerFinished);
}
