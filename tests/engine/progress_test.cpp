#include <gtest/gtest.h>

#include <cstdint>

#include "engine/progress.h"

namespace {

class ProgressTest : public ::testing::Test {};

// The window matches on these values, and so does a window of an earlier or
// later build: each code is pinned as the literal it goes out as.
TEST_F(ProgressTest, EveryProgressCodeHasItsFixedValue) {
    const struct {
        ProgressCode code;
        uint32_t value;
    } cases[] = {
        {ProgressCode::CopyingFile, 0},        {ProgressCode::DeletingFile, 1},
        {ProgressCode::InstallingDrivers, 3},  {ProgressCode::InstallingService, 4},
        {ProgressCode::UninstallingDriver, 5}, {ProgressCode::RemovingService, 6},
        {ProgressCode::FileCreateFailed, 11},  {ProgressCode::ServiceCreateFailed, 13},
        {ProgressCode::RolledBack, 14},        {ProgressCode::Completed, 15},
        {ProgressCode::StartingService, 16},   {ProgressCode::StoppingService, 17},
        {ProgressCode::WorkerFinished, 18},    {ProgressCode::PreviousVersionFound, 23},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<uint32_t>(c.code), c.value);
}

// Every report kind: the code it sends, whether it carries a text, whether an
// unattended run still sends it, and the pause after it.
TEST_F(ProgressTest, EveryReportHasItsCodeTextConditionAndPause) {
    const struct {
        ReportKind kind;
        uint32_t code;
        bool carriesText;
        bool sentWhenQuiet;
        uint32_t pauseMs;
    } cases[] = {
        {ReportKind::PreviousVersionFound, 23, true, false, 0},  {ReportKind::StoppingService, 17, true, false, 50},
        {ReportKind::CopyingFile, 0, true, false, 50},           {ReportKind::FileCreateFailed, 11, true, true, 0},
        {ReportKind::InstallingDrivers, 3, true, false, 0},      {ReportKind::RemovingService, 6, true, false, 50},
        {ReportKind::RollbackRemovingService, 6, true, true, 0}, {ReportKind::InstallingService, 4, true, false, 50},
        {ReportKind::ServiceCreateFailed, 13, true, true, 0},    {ReportKind::StartingService, 16, true, false, 500},
        {ReportKind::Completed, 15, false, false, 3000},         {ReportKind::DeletingFile, 1, true, false, 0},
        {ReportKind::UninstallingDriver, 5, true, false, 0},     {ReportKind::RolledBack, 14, false, false, 2000},
        {ReportKind::WorkerFinished, 18, false, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const ReportRule& rule = RuleOf(c.kind);
        EXPECT_EQ(static_cast<uint32_t>(rule.Code), c.code);
        EXPECT_EQ(rule.CarriesText, c.carriesText);
        EXPECT_EQ(rule.SentWhenQuiet, c.sentWhenQuiet);
        EXPECT_EQ(rule.PauseMs, c.pauseMs);
    }
}

}  // namespace
