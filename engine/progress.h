// The worker's reports to the window: codes, texts and the rule for each
// report (whether it is sent, what it carries, the pause after it). The rules
// live here once; the install sequence and the removal only name the report.
#pragma once

#include <cstdint>
#include <string_view>

// The code a report goes out as; the window's sink sends it as the message's
// dwData, and the window matches on these values.
enum class ProgressCode : uint32_t {
    CopyingFile = 0,
    DeletingFile = 1,
    InstallingDrivers = 3,
    InstallingService = 4,
    UninstallingDriver = 5,
    RemovingService = 6,
    FileCreateFailed = 11,
    ServiceCreateFailed = 13,
    RolledBack = 14,
    Completed = 15,
    StartingService = 16,
    StoppingService = 17,
    WorkerFinished = 18,
    PreviousVersionFound = 23,
    RestartNeeded = 24,  // after Completed: files in use are replaced at the next restart (exit 3010)
};

// The situations in which the worker reports. RemovingService is sent in two
// situations with different rules, so the kinds outnumber the codes by one.
enum class ReportKind {
    PreviousVersionFound,
    StoppingService,
    CopyingFile,
    FileCreateFailed,
    InstallingDrivers,
    RemovingService,          // an existing service deleted before it is created again
    RollbackRemovingService,  // a created service deleted by a rollback
    InstallingService,
    ServiceCreateFailed,
    StartingService,
    Completed,
    DeletingFile,
    UninstallingDriver,
    RolledBack,
    RestartNeeded,
    WorkerFinished,
};

struct ReportRule {
    ProgressCode Code;
    bool CarriesText;    // false: cbData 0 and no text
    bool SentWhenQuiet;  // also sent in an unattended run
    uint32_t PauseMs;    // made after the report, and only when it was sent
};

const ReportRule& RuleOf(ReportKind kind);

// The code's name as the run log writes it, e.g. "CopyingFile".
std::string_view ProgressCodeName(ProgressCode code);

// A report is sent only to a window, and in an unattended run only when its
// rule says so.
bool ShouldSendReport(const ReportRule& rule, bool hasWindow, bool unattended);

// cbData of a report: the UTF-16 text with its terminator, in bytes; 0 for
// reports without text.
uint32_t ReportDataSize(const ReportRule& rule, std::u16string_view text);
