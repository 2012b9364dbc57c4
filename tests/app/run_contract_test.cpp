// The command line and exit codes both programs share, and the run log's
// line format.
#include <gtest/gtest.h>

#include "app/run_contract.h"
#include "platform/run_log.h"

namespace {

struct ParseCase {
    std::vector<std::u16string> Args;
    bool Ok;
    bool Quiet, Accept, Help;
    std::u16string Dir, Log;
};

class RunContractTest : public ::testing::Test {};

TEST_F(RunContractTest, InstallerSwitchesParseAsDocumented) {
    const ParseCase cases[] = {
        {{}, true, false, false, false, u"", u""},
        {{u"/quiet", u"/accept-license"}, true, true, true, false, u"", u""},
        {{u"-QUIET", u"/Accept-License"}, true, true, true, false, u"", u""},
        {{u"/dir=C:\\A B", u"-log=C:\\x.log"}, true, false, false, false, u"C:\\A B", u"C:\\x.log"},
        {{u"/DIR=D:\\x=y"}, true, false, false, false, u"D:\\x=y", u""},
        {{u"/?"}, true, false, false, true, u"", u""},
        {{u"-help"}, true, false, false, true, u"", u""},
        {{u"/dir"}, false, false, false, false, u"", u""},
        {{u"/dir="}, false, false, false, false, u"", u""},
        {{u"/log"}, false, false, false, false, u"", u""},
        {{u"/quiet=yes"}, false, false, false, false, u"", u""},
        {{u"/silent"}, false, false, false, false, u"", u""},
        {{u"quiet"}, false, false, false, false, u"", u""},
        {{u"/"}, false, false, false, false, u"", u""},
        {{u"/quiet", u"extra"}, false, false, false, false, u"", u""},
    };
    for (const ParseCase& c : cases) {
        CommandLineParse parse = ParseCommandLine(c.Args, InstallerSwitches());
        SCOPED_TRACE(c.Args.empty() ? std::string("(none)") : std::string(c.Args[0].begin(), c.Args[0].end()));
        ASSERT_EQ(parse.Ok, c.Ok);
        if (!c.Ok) {
            EXPECT_FALSE(parse.Problem.empty());
            continue;
        }
        EXPECT_EQ(parse.Options.Quiet, c.Quiet);
        EXPECT_EQ(parse.Options.AcceptLicense, c.Accept);
        EXPECT_EQ(parse.Options.Help, c.Help);
        EXPECT_EQ(parse.Options.Dir.value_or(u""), c.Dir);
        EXPECT_EQ(parse.Options.Log.value_or(u""), c.Log);
    }
}

TEST_F(RunContractTest, UninstallerRefusesInstallOnlySwitches) {
    EXPECT_TRUE(ParseCommandLine({u"/quiet", u"/log=x"}, UninstallerSwitches()).Ok);
    EXPECT_FALSE(ParseCommandLine({u"/dir=C:\\x"}, UninstallerSwitches()).Ok);
    EXPECT_FALSE(ParseCommandLine({u"/accept-license"}, UninstallerSwitches()).Ok);
    EXPECT_FALSE(ParseCommandLine({u"/allusers"}, UninstallerSwitches()).Ok);
}

// The uninstaller reads the places from the log; only the installer asks.
TEST_F(RunContractTest, AllUsersIsAnInstallerSwitchWithoutValue) {
    EXPECT_TRUE(ParseCommandLine({u"-AllUsers", u"/quiet"}, InstallerSwitches()).Options.AllUsers);
    EXPECT_FALSE(ParseCommandLine({u"/quiet"}, InstallerSwitches()).Options.AllUsers);
    EXPECT_FALSE(ParseCommandLine({u"/allusers=yes"}, InstallerSwitches()).Ok);
    EXPECT_NE(UsageText(u"Setup.exe", InstallerSwitches()).find(u"/allusers"), std::u16string::npos);
}

// Deployment tools map exactly these numbers.
// /passive is a switch of both programs, and asks nothing as /quiet does.
TEST_F(RunContractTest, PassiveIsASwitchOfBothProgramsThatAsksNothing) {
    for (const auto* switches : {&InstallerSwitches(), &UninstallerSwitches()}) {
        CommandLineParse parse = ParseCommandLine({u"-PASSIVE"}, *switches);
        ASSERT_TRUE(parse.Ok);
        EXPECT_TRUE(parse.Options.Passive);
        EXPECT_FALSE(parse.Options.Quiet);
        EXPECT_TRUE(AsksNothing(parse.Options));
    }
    EXPECT_FALSE(ParseCommandLine({u"/passive=yes"}, InstallerSwitches()).Ok);
    EXPECT_FALSE(AsksNothing(ParseCommandLine({u"/accept-license"}, InstallerSwitches()).Options));
}

TEST_F(RunContractTest, ExitCodesKeepTheirValues) {
    const std::pair<ExitCode, int> codes[] = {
        {ExitCode::Success, 0},       {ExitCode::InvalidCommandLine, 87}, {ExitCode::UserCancelled, 1602},
        {ExitCode::Failed, 1603},     {ExitCode::NothingToRemove, 1605},  {ExitCode::AnotherRunInProgress, 1618},
        {ExitCode::BadPackage, 1620},
    };
    for (auto [code, value] : codes) {
        EXPECT_EQ(static_cast<int>(code), value);
        EXPECT_NE(ExitCodeMeaning(code), "unknown");
    }
    EXPECT_EQ(ExitCodeMeaning(ExitCode::Failed), "failed and rolled back");
    EXPECT_EQ(ExitCodeMeaning(ExitCode::Failed, RunKind::Removal), "failed; what could not be removed is named above");
}

TEST_F(RunContractTest, LogLineHasTimestampKindAndOneLineText) {
    const LogTime time{2026, 12, 8, 9, 5, 7, 42};
    EXPECT_EQ(FormatLogLine(time, "exit", u"0 success"), "2026-12-08 09:05:07.042 exit 0 success\r\n");
    EXPECT_EQ(FormatLogLine(time, "info", u"a\r\nb"), "2026-12-08 09:05:07.042 info a  b\r\n");
    EXPECT_EQ(FormatLogLine(time, "info", u""), "2026-12-08 09:05:07.042 info\r\n");
    EXPECT_EQ(FormatLogLine(time, "report", u"\u5b89"), "2026-12-08 09:05:07.042 report \xe5\xae\x89\r\n");
}

TEST_F(RunContractTest, ResultTextNamesTheErrorBeforeTheSubject) {
    EXPECT_EQ(ResultText("write-file", true, 5, u"C:\\a b.exe"), u"write-file ok C:\\a b.exe");
    EXPECT_EQ(ResultText("write-file", false, 5, u"C:\\a b.exe"), u"write-file failed error=5 C:\\a b.exe");
}

}  // namespace
