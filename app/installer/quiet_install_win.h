// The quiet installation that deployment tools start: no window, no message
// box, no fixed pause. The worker runs at once, its reports go to the run
// log, and the run ends as soon as the worker has finished.
#pragma once

#include <memory>
#include <optional>

#include "app/installer/option_resolution.h"
#include "records/installer_state.h"
#include "records/run_outcome.h"

// The refusals of a run that cannot ask (/quiet, /passive), written to the
// run log: InvalidCommandLine for a /dir that cannot hold the installation
// folder (Failed for such a folder from script.ini or the default),
// UserCancelled when the licence is not accepted; nothing when the run may go on.
std::optional<ExitCode> RefuseRunThatCannotAsk(const ResolvedOptions& options, const CommandLineOptions& commandLine);

// Installs the package loaded into `state` (which must name its company and
// product) with the resolved `options` and returns the exit code: Success,
// Failed after a rollback or when the thread cannot start, or the refusal of
// RefuseRunThatCannotAsk.
ExitCode RunQuietInstall(const std::shared_ptr<InstallerState>& state,
                         const ResolvedOptions& options,
                         const CommandLineOptions& commandLine);
