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
        {{false, 1, true}, true, true, "an administrator's file of one name"},
        {{true, 1, true}, true, false, "a symbolic link or junction"},
        {{false, 2, true}, true, false, "a hard link to another file"},
        {{false, 1, false}, true, false, "a file someone else owns"},
        {{false, 1, false}, false, true, "owners count only where permissions are kept"},
        {{false, 2, true}, false, false, "a hard link is refused everywhere"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MayWriteLogThrough(c.Facts, c.PermissionsEnforced), c.May) << c.Why;
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
