#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "app/program_run_win.h"
#include "platform/log_folder_win.h"
#include "platform/run_log.h"
#include "platform/text_win.h"
#include "tests/support/scratch_files_win.h"
#include "tests/support/test_files_win.h"

namespace {

std::string ReadAll(const std::u16string& path) {
    return test_files::ReadTextFile(ToWide(path));
}

}  // namespace

// A log whose name is a second name of another file leaves that file as it
// was: the log goes to a fresh name beside it, and its exit line says so.
TEST(ProgramRunTest, LogAtAHardLinkGoesToAFreshName) {
    ScratchFolder scratch;
    const std::u16string other = scratch / u"other.txt";
    const std::u16string log = scratch / u"install.log";
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(other), "keep"));
    ASSERT_TRUE(CreateHardLinkW(WidePtr(log), WidePtr(other), nullptr)) << GetLastError();
    ASSERT_TRUE(OpenRunLog(log));
    EndRun(ExitCode::Success);
    const std::u16string fresh = FreshLogName(log, GetCurrentProcessId());
    EXPECT_EQ(RunLogPathInUse(), fresh);
    EXPECT_EQ(ReadAll(other), "keep");
    const std::string written = ReadAll(fresh);
    EXPECT_NE(written.find("exit 0 success (log written to "), std::string::npos) << written;
}

// A second run while the first holds the run mutex gets none (exit 1618).
TEST(ProgramRunTest, SecondRunDoesNotGetTheRunMutex) {
    UniqueKernelHandle first = TakeRunMutex();
    ASSERT_TRUE(first);
    std::thread([] { EXPECT_FALSE(TakeRunMutex()); }).join();
}

// The default log of an elevated quiet run lies in the administrators' log
// folder under %ProgramData%.
TEST(ProgramRunTest, ElevatedQuietRunLogsBelowProgramData) {
    if (!ProcessIsElevated())
        GTEST_SKIP() << "this test process is not elevated";
    const std::optional<std::u16string> path = RunLogPath(std::nullopt, true, u"x.log");
    ASSERT_TRUE(path);
    EXPECT_NE(path->find(u"\\Zorvanelle\\Logs\\x.log"), std::u16string::npos);
}

// A program whose library search is not restricted ends with 1603.
TEST(ProgramRunTest, UnrestrictedLibrarySearchEndsWith1603) {
    EXPECT_EQ(RefuseUnrestrictedLibrarySearch({u"/quiet"}, InstallerSwitches()), 1603);
}
