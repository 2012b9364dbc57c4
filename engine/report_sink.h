// Where the worker's reports and its pacing waits go. The sink is chosen
// once, by whoever starts the run, and travels in the run's options; the
// install sequence, its rollback and the removal before it only name the
// report (SendReport) or the wait (PaceRun), and never know which sink they
// have.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/progress.h"
#include "records/installer_state.h"

struct ReportOutcome {
    bool Sent = false;
    uint32_t PausedMs = 0;
};

struct ReportSink {
    // Takes one report with its rule on the worker's thread, and returns
    // whether it went further than the log and the pause made after it.
    ReportOutcome (*Deliver)(const InstallOptions& options, const ReportRule& rule, std::u16string_view text);
    // A wait of `ms` that lets a person follow the run (after a driver batch,
    // an undone record, a launch, at a removal's end); a sink whose runs
    // nobody watches returns at once.
    void (*Pace)(const InstallOptions& options, uint32_t ms);
};

// The sink of a run without a window (/quiet): every report becomes a line
// of the run log ("report", or "error" for the two failures) when the log is
// open, and nothing ever waits.
const ReportSink& LogReportSink();

// The sink the options name; the log sink when they name none.
const ReportSink& SinkOf(const InstallOptions& options);
