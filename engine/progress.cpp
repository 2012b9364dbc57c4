#include "engine/progress.h"

namespace {

// One row per report kind, in ReportKind order.
constexpr ReportRule kRules[] = {
    {ProgressCode::PreviousVersionFound, true, false, 0}, {ProgressCode::StoppingService, true, false, 50},
    {ProgressCode::CopyingFile, true, false, 50},         {ProgressCode::FileCreateFailed, true, true, 0},
    {ProgressCode::InstallingDrivers, true, false, 0},    {ProgressCode::RemovingService, true, false, 50},
    {ProgressCode::RemovingService, true, true, 0},       {ProgressCode::InstallingService, true, false, 50},
    {ProgressCode::ServiceCreateFailed, true, true, 0},   {ProgressCode::StartingService, true, false, 500},
    {ProgressCode::Completed, false, false, 3000},        {ProgressCode::DeletingFile, true, false, 0},
    {ProgressCode::UninstallingDriver, true, false, 0},   {ProgressCode::RolledBack, false, false, 2000},
    {ProgressCode::RestartNeeded, false, true, 0},        {ProgressCode::WorkerFinished, false, true, 0},
};
static_assert(sizeof(kRules) / sizeof(kRules[0]) == static_cast<size_t>(ReportKind::WorkerFinished) + 1,
              "one rule per report kind");

}  // namespace

const ReportRule& RuleOf(ReportKind kind) {
    return kRules[static_cast<size_t>(kind)];
}

std::string_view ProgressCodeName(ProgressCode code) {
    switch (code) {
        case ProgressCode::CopyingFile:
            return "CopyingFile";
        case ProgressCode::DeletingFile:
            return "DeletingFile";
        case ProgressCode::InstallingDrivers:
            return "InstallingDrivers";
        case ProgressCode::InstallingService:
            return "InstallingService";
        case ProgressCode::UninstallingDriver:
            return "UninstallingDriver";
        case ProgressCode::RemovingService:
            return "RemovingService";
        case ProgressCode::FileCreateFailed:
            return "FileCreateFailed";
        case ProgressCode::ServiceCreateFailed:
            return "ServiceCreateFailed";
        case ProgressCode::RolledBack:
            return "RolledBack";
        case ProgressCode::Completed:
            return "Completed";
        case ProgressCode::StartingService:
            return "StartingService";
        case ProgressCode::StoppingService:
            return "StoppingService";
        case ProgressCode::WorkerFinished:
            return "WorkerFinished";
        case ProgressCode::PreviousVersionFound:
            return "PreviousVersionFound";
        case ProgressCode::RestartNeeded:
            return "RestartNeeded";
    }
    return "Unknown";
}

bool ShouldSendReport(const ReportRule& rule, bool hasWindow, bool unattended) {
    return hasWindow && (!unattended || rule.SentWhenQuiet);
}

uint32_t ReportDataSize(const ReportRule& rule, std::u16string_view text) {
    return rule.CarriesText ? static_cast<uint32_t>((text.size() + 1) * 2) : 0;
}
