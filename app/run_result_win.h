// Writes the run's result values (app/run_result.h) to the product key,
// HKEY_LOCAL_MACHINE\<kProductKeyPath> in this 32-bit program's registry view
// (Wow6432Node on a 64-bit system). Called by the process that holds the
// run mutex, once its work is done and before its log's exit line: a key
// that is missing (a first installation that failed, or a removal that
// deleted it) is made, with only these values.
#pragma once

#include "records/run_outcome.h"

// False when the key cannot be made or a value not written; a log line then
// names the Win32 error. Never changes the run's exit code.
bool WriteRunResult(ExitCode code, RunKind kind);
