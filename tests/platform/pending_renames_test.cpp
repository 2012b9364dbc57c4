#include "platform/pending_renames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::u16string>;

TEST(PendingRenamesTest, MultiStringSplitsAtEachNulOverTheWholeDataKeepingEmptyTexts) {
    struct Case {
        std::u16string Units;
        Texts Expected;
    };
    const Case cases[] = {
        {std::u16string(u"a\0b\0\0", 5), {u"a", u"b"}},
        {std::u16string(u"a\0\0b\0\0", 6), {u"a", u"", u"b"}},  // a deletion, then a pair
        {std::u16string(u"a\0\0\0", 4), {u"a", u""}},           // a deletion last
        {std::u16string(u"a\0b", 3), {u"a", u"b"}},             // the last text without its NUL
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

// A list held in memory, read and written as the registry value would be;
// `Changes` are what other programs write before each read.
struct FakeList {
    std::u16string Units;
    std::vector<std::u16string> Changes;
    size_t Reads = 0;
    int Writes = 0;
    RenameListAccess Access() {
        return {[this]() -> std::optional<std::u16string> {
                    if (Reads < Changes.size())
                        Units = Changes[Reads];
                    ++Reads;
                    return Units;
                },
                [this](const std::u16string& units) {
                    Units = units;
                    ++Writes;
                    return true;
                }};
    }
};

std::u16string Entry(std::u16string_view source, std::u16string_view target) {
    return std::u16string(source).append(1, u'\0').append(target).append(1, u'\0');
}

TEST(PendingRenamesTest, CancellingOurPairsKeepsEveryOtherEntryByteForByte) {
    const std::u16string ours = Entry(u"\\??\\C:\\P\\~tv0001.tmp", u"!\\??\\C:\\P\\a.dll");
    const std::u16string deletion = Entry(u"\\??\\D:\\Other\\old.dll", u"");
    const std::u16string replacement = Entry(u"\\??\\D:\\Other\\new.tmp", u"!\\??\\D:\\Other\\x.sys");
    const std::u16string end(1, u'\0');
    struct Case {
        const char* Name;
        std::u16string Before;
        std::u16string Expected;
        size_t Removed;
    };
    const Case cases[] = {
        {"deletion before ours", deletion + ours + end, deletion + end, 1},
        {"ours before a deletion and a replacement", ours + deletion + replacement + end, deletion + replacement + end,
         1},
        {"deletions between ours", ours + deletion + deletion + ours + replacement + end,
         deletion + deletion + replacement + end, 2},
        {"deletion after ours", replacement + ours + deletion + end, replacement + deletion + end, 1},
        {"only ours", ours + end, u"", 1},
        {"none of ours", deletion + replacement + end, deletion + replacement + end, 0},
    };
    for (const Case& c : cases) {
        FakeList list{c.Before, {}};
        EXPECT_EQ(CancelRenamesOf(list.Access(), u"C:\\P\\~tv0001.tmp"), c.Removed) << c.Name;
        EXPECT_EQ(list.Units, c.Expected) << c.Name;
        EXPECT_EQ(list.Writes, c.Removed == 0 ? 0 : 1) << c.Name;
    }
}

TEST(PendingRenamesTest, AListChangedBetweenTheReadsIsReadAgainBeforeItIsWritten) {
    const std::u16string ours = Entry(u"\\??\\C:\\P\\~tv0001.tmp", u"!\\??\\C:\\P\\a.dll");
    const std::u16string added = Entry(u"\\??\\D:\\new.tmp", u"!\\??\\D:\\x.sys");
    const std::u16string end(1, u'\0');
    // Another installer appends its pair just after the first read.
    FakeList list{u"", {ours + end, ours + added + end}};
    EXPECT_EQ(CancelRenamesOf(list.Access(), u"C:\\P\\~tv0001.tmp"), 1u);
    EXPECT_EQ(list.Units, added + end);
    EXPECT_EQ(list.Writes, 1);
}

TEST(PendingRenamesTest, AListThatKeepsChangingIsNotWritten) {
    const std::u16string ours = Entry(u"\\??\\C:\\P\\~tv0001.tmp", u"");
    std::vector<std::u16string> changes;
    for (char16_t i = u'a'; i <= u'z'; ++i)
        changes.push_back(ours + Entry(std::u16string(1, i), u"") + u'\0');
    FakeList list{u"", changes};
    EXPECT_EQ(CancelRenamesOf(list.Access(), u"C:\\P\\~tv0001.tmp"), std::nullopt);
    EXPECT_EQ(list.Writes, 0);
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
