// The installer's one start-up path, after the command line, the log and the
// run mutex: it loads the program's package, reads script.ini, resolves the
// run's options once (option_resolution.h), writes each with its source to the
// run log, and then runs the window, the hidden run script.ini asks for, or
// the quiet installation.
#pragma once

#include "records/run_outcome.h"

// Runs the installation the way the resolved options choose and returns its
// exit code. A quiet run ends with BadPackage before script.ini is read when
// the package is missing, damaged or names no company or product.
ExitCode RunInstaller(const CommandLineOptions& commandLine);
