// The outcome of a run as a deployment tool reads it without parsing the
// log: the product key's "LastInstallerResult", "LastInstallerError",
// "LastInstallerResultText" and "LastInstallerTime". Each run that held the
// product's run mutex writes them at its end, so a fleet's inventory sees the
// last installation, rollback or removal of every machine.
#pragma once

#include <cstdint>
#include <string>

#include "platform/run_log.h"
#include "records/run_outcome.h"

struct RunResultValues {
    uint32_t Result = 0;        // "LastInstallerResult": the exit code
    uint32_t Error = 0;         // "LastInstallerError": the first failure's Win32 error, 0 when none
    std::u16string Text;        // "LastInstallerResultText": that failure's log line, else the exit line
    std::u16string Time;        // "LastInstallerTime": ISO 8601 UTC, "2026-12-09T13:52:08Z"
};

// The longest "LastInstallerResultText" written, in UTF-16 units: a line
// naming a long path is cut there, never inside a surrogate pair.
inline constexpr size_t kResultTextLimit = 259;

// The TEXT of the log's exit line without its note: "1603 failed and rolled
// back".
std::u16string ExitLineText(ExitCode code, RunKind kind);

// The values of a run that ends with `code`. A run that succeeded (0 or a
// restart still needed) reports no error and its exit line, whatever it
// logged on the way; any other reports the first failure the log recorded
// (`failure`), or, when it recorded none, its exit line with error 0.
RunResultValues RunResultOf(ExitCode code, RunKind kind, const LogFailure& failure, const LogTime& utc);
