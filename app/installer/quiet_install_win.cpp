#include "app/installer/quiet_install_win.h"

#include <windows.h>

#include "engine/install_sequence_win.h"
#include "engine/install_worker_win.h"
#include "engine/report_sink.h"
#include "platform/run_log.h"
#include "platform/text.h"

namespace {

ExitCode ExitCodeOf(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Completed:
            return ExitCode::Success;
        case RunOutcome::CompletedRestartNeeded:
            return ExitCode::RestartRequired;
        case RunOutcome::Cancelled:
            return ExitCode::UserCancelled;
        default:
            return ExitCode::Failed;
    }
}

// Runs the worker on this thread's behalf and waits for it to end.
ExitCode RunWorker(const std::shared_ptr<InstallerState>& state, const InstallOptions& options) {
    if (!StartInstallWorker(state, options, &InstallWorker)) {
        const std::u16string error = Utf8ToUtf16(std::to_string(GetLastError()));
        WriteLogLine("error", u"the installation's thread could not be started, error=" + error);
        return ExitCode::Failed;
    }
    WaitForSingleObject(static_cast<HANDLE>(state->WorkerThread.get()), INFINITE);
    return ExitCodeOf(state->Outcome.load());
}

}  // namespace

std::optional<ExitCode> RefuseRunThatCannotAsk(const ResolvedOptions& options, const CommandLineOptions& commandLine) {
    if (options.UnfitFolder) {
        WriteLogLine("error", UnfitFolderText(options));
        const bool refusedText = options.UnfitProblem == FolderProblem::NotAllowed;
        return commandLine.Dir || refusedText ? ExitCode::InvalidCommandLine : ExitCode::Failed;
    }
    if (!options.LicenseAccepted) {
        WriteLogLine("error",
                     u"the licence agreement was not accepted (/accept-license or "
                     u"EndUserLicense=\"Agree\" in script.ini): nothing installed");
        return ExitCode::UserCancelled;
    }
    return std::nullopt;
}

ExitCode RunQuietInstall(const std::shared_ptr<InstallerState>& state,
                         const ResolvedOptions& options,
                         const CommandLineOptions& commandLine) {
    if (std::optional<ExitCode> refused = RefuseRunThatCannotAsk(options, commandLine))
        return *refused;
    // No window: every report is a line of the run log, and nothing waits.
    InstallOptions install = options.Options;
    install.Reports = &LogReportSink();
    return RunWorker(state, install);
}
