// The quiet installation that deployment tools start: no window, no message
// box, no fixed pause. The worker runs at once, its reports go to the run
// log, and the run ends as soon as the worker has finished.
#pragma once

#include "app/run_contract.h"

// Installs the program's own package with `options` (script.ini beside the
// program is still read, completed and written back; /dir wins over its
// Path) and returns the exit code: Success, UserCancelled when the licence is
// not accepted, Failed after a rollback, BadPackage when the package is
// missing or damaged, InvalidCommandLine for a /dir that cannot hold the
// installation folder.
ExitCode RunQuietInstall(const CommandLineOptions& options);
