#include "platform/run_log.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

// A file found at a log's name takes the log only when it is no link, has a
// single name, and (where permissions are kept) belongs to an administrator,
// SYSTEM or the writer.
TEST(RunLogFileTest, FoundFileTakesTheLogOnlyWhenNothingElseCanBeReachedThroughIt) {
    struct Case {
        LogFileFacts Facts;
        bool PermissionsEnforced;
        bool May;
        const char* Why;
    };
    const Case cases[] = {
        {{false, 1, true, true}, true, true, "an administrator's log of one name"},
        {{true, 1, true, true}, true, false, "a symbolic link or junction"},
        {{false, 2, true, true}, true, false, "a hard link to another file"},
        {{false, 1, false, true}, true, false, "a file someone else owns"},
        {{false, 1, false, true}, false, true, "owners count only where permissions are kept"},
        {{false, 2, true, true}, false, false, "a hard link is refused everywhere"},
        {{false, 1, true, false}, true, false, "an administrator's file that is no log (a system file)"},
        {{false, 1, true, false}, false, false, "a file that is no log, everywhere"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MayWriteLogThrough(c.Facts, c.PermissionsEnforced), c.May) << c.Why;
}

// Only an empty file or one that starts with a log line's date and time is
// taken for a log.
TEST(RunLogFileTest, OnlyAFileThatBeginsAsARunLogIsOne) {
    EXPECT_TRUE(IsRunLogStart(""));
    EXPECT_TRUE(IsRunLogStart("2026-12-10 00:05:54.123 "));
    EXPECT_TRUE(IsRunLogStart(FormatLogLine({2026, 1, 2, 3, 4, 5, 6}, "info", u"x").substr(0, kRunLogStartBytes)));
    for (const char* head : {"MZ\x90", "2026-12-10 00:05:54.12", "2026-12-10 00:05:54.123x", "[boot loader]\r\n"})
        EXPECT_FALSE(IsRunLogStart(head)) << head;
}

// A refused log goes to its name with the process id before the extension.
TEST(RunLogFileTest, FreshNamePutsTheProcessIdBeforeTheExtension) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\Logs\\install.log", u"C:\\Logs\\install-42.log"},
        {u"C:\\Logs.d\\install", u"C:\\Logs.d\\install-42"},
        {u"C:\\Logs\\a.b.log", u"C:\\Logs\\a.b-42.log"},
        {u"install.log", u"install-42.log"},
    };
    for (const auto& [path, fresh] : cases)
        EXPECT_EQ(FreshLogName(path, 42), fresh) << Utf16ToUtf8(path);
}
