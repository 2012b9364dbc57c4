// The result values a run leaves in the product key for a fleet to read.
#include <gtest/gtest.h>

#include "app/run_result.h"

namespace {

class RunResultTest : public ::testing::Test {};

const LogTime kTime{2026, 12, 9, 3, 4, 5, 678};

TEST_F(RunResultTest, ValuesFollowTheExitCodeAndTheFirstFailure) {
    const LogFailure write{true, 32, u"action write-file failed error=32 C:\\A\\x.dll"};
    const LogFailure plain{true, 0, u"error the package inside the program is missing or damaged"};
    const LogFailure none{false, 0, u""};
    struct Case {
        ExitCode Code;
        RunKind Kind;
        LogFailure Failure;
        uint32_t Error;
        std::u16string Text;
    } cases[] = {
        {ExitCode::Success, RunKind::Installation, none, 0, u"exit 0 success"},
        // A tolerated failure on the way does not make a success a failure.
        {ExitCode::Success, RunKind::Installation, write, 0, u"exit 0 success"},
        {ExitCode::Failed, RunKind::Installation, write, 32, write.Line},
        {ExitCode::BadPackage, RunKind::Installation, plain, 0, plain.Line},
        {ExitCode::UserCancelled, RunKind::Installation, none, 0, u"exit 1602 cancelled or declined"},
        // 3010 is a success too.
        {ExitCode::RestartRequired, RunKind::Installation, write, 0,
         u"exit 3010 success; files in use are replaced at the next restart"},
        {ExitCode::RestartRequired, RunKind::Removal, none, 0,
         u"exit 3010 success; files in use are deleted at the next restart"},
    };
    for (const Case& c : cases) {
        const RunResultValues values = RunResultOf(c.Code, c.Kind, c.Failure, kTime);
        SCOPED_TRACE(static_cast<int>(c.Code));
        EXPECT_EQ(values.Result, static_cast<uint32_t>(c.Code));
        EXPECT_EQ(values.Error, c.Error);
        EXPECT_EQ(values.Text, c.Text);
        EXPECT_EQ(values.Time, u"2026-12-09T03:04:05Z");
    }
}

TEST_F(RunResultTest, ALongLineIsCutAtTheLimitButNeverInsideASurrogatePair) {
    std::u16string line(kResultTextLimit - 1, u'a');
    line += u"\U0001F600tail";  // its high surrogate is the limit's last unit
    const RunResultValues values = RunResultOf(ExitCode::Failed, RunKind::Installation, {true, 5, line}, kTime);
    EXPECT_EQ(values.Text, std::u16string(kResultTextLimit - 1, u'a'));
    const RunResultValues plain =
        RunResultOf(ExitCode::Failed, RunKind::Installation, {true, 5, std::u16string(1000, u'b')}, kTime);
    EXPECT_EQ(plain.Text.size(), kResultTextLimit);
}

}  // namespace
