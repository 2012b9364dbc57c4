#include "platform/pending_renames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::u16string>;

TEST(PendingRenamesTest, MultiStringSplitsAtEachNulAndEndsAtTheFirstEmptyText) {
    struct Case {
        std::u16string Units;
        Texts Expected;
    };
    const Case cases[] = {
        {std::u16string(u"a\0b\0\0", 5), {u"a", u"b"}},
        {std::u16string(u"a\0\0b\0\0", 6), {u"a"}},
        {std::u16string(u"a\0b", 3), {u"a", u"b"}},  // the last text without its NUL
        {std::u16string(u"\0", 1), {}},
        {u"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitMultiString(c.Units), c.Expected);
}

TEST(PendingRenamesTest, MultiStringJoinsBackToWhatItSplitFrom) {
    const std::u16string units(u"\\??\\C:\\a.tmp\0!\\??\\C:\\a.dll\0\0", 28);
    EXPECT_EQ(JoinMultiString(SplitMultiString(units)), units);
    EXPECT_EQ(JoinMultiString({}), std::u16string(1, u'\0'));
}

TEST(PendingRenamesTest, OnlyThePairsOfTheSourceGoWhateverItsCase) {
    Texts pairs = {u"\\??\\C:\\P\\~tv0001.tmp", u"!\\??\\C:\\P\\a.dll", u"\\??\\C:\\Other.tmp",     u"",
                   u"\\??\\c:\\p\\~TV0001.TMP", u"!\\??\\C:\\P\\b.dll", u"\\??\\C:\\P\\~tv0001.tmp"};
    EXPECT_TRUE(HasRenameOf(pairs, u"C:\\P\\~tv0001.tmp"));
    EXPECT_EQ(RemoveRenamesOf(pairs, u"C:\\P\\~tv0001.tmp"), 2u);
    // The last source has no target: it is not a pair, and stays.
    EXPECT_EQ(pairs, (Texts{u"\\??\\C:\\Other.tmp", u"", u"\\??\\C:\\P\\~tv0001.tmp"}));
    EXPECT_FALSE(HasRenameOf(pairs, u"C:\\P\\~tv0001.tmp"));
    EXPECT_EQ(RemoveRenamesOf(pairs, u"C:\\Nothing"), 0u);
}

TEST(PendingRenamesTest, CopyNamesHaveOneFormThatTheCheckKnows) {
    EXPECT_EQ(ReplacementCopyName(0x0A1F), u"~tv0A1F.tmp");
    EXPECT_EQ(ReplacementCopyName(0), u"~tv0000.tmp");
    for (const char16_t* name : {u"~tv0A1F.tmp", u"~TVffff.TMP"})
        EXPECT_TRUE(IsReplacementCopyName(name)) << std::string(name, name + 11);
    for (const char16_t* name : {u"~tv0A1.tmp", u"~tv0A1G.tmp", u"~tv0A1F.tmpx", u"tv0A1F.tmp", u"~tv0A1F.exe", u""})
        EXPECT_FALSE(IsReplacementCopyName(name));
}

}  // namespace
