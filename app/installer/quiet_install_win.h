// The quiet installation that deployment tools start: no window, no message
// box, no fixed pause. The worker runs at once, its reports go to the run
// log, and the run ends as soon as the worker has finished.
#pragma once

#include <memory>

#include "app/installer/option_resolution.h"
#include "records/installer_state.h"
#include "records/run_outcome.h"

// Installs the package loaded into `state` (which must name its company and
// product) with the resolved `options` and returns the exit code: Success,
// UserCancelled when the licence is not accepted, Failed after a rollback or
// when the thread cannot start, InvalidCommandLine for a /dir that cannot
// hold the installation folder (Failed for such a folder from script.ini or
// the default). Refusals are written to the run log.
ExitCode RunQuietInstall(const std::shared_ptr<InstallerState>& state,
                         const ResolvedOptions& options,
                         const CommandLineOptions& commandLine);
