#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/path_compaction.h"

namespace {

class PathCompactionTest : public ::testing::Test {
  protected:
    // Every unit is 7 pixels wide; each measured text is recorded.
    TextWidthMeasure measure_ = [this](std::u16string_view text) {
        measured_.emplace_back(text);
        return static_cast<int32_t>(text.size()) * 7;
    };
    std::vector<std::u16string> measured_;

    static int32_t WidthOf(size_t units) { return static_cast<int32_t>(units) * 7; }
};

// A path that fits is returned whole after one measurement.
TEST_F(PathCompactionTest, FittingPathStaysWhole) {
    const std::u16string path = u"C:\\Program Files\\Zorvanelle\\ZorvanelleV7";
    EXPECT_EQ(CompactPath(path, WidthOf(path.size()), measure_), path);
    EXPECT_EQ(measured_, std::vector<std::u16string>{path});
}

// The candidates drop one folder at a time from the end of the prefix, always
// keeping the first part and the last component; the first that fits wins.
TEST_F(PathCompactionTest, CandidatesDropFoldersFromTheEndOfThePrefix) {
    const std::u16string path = u"D:\\PPPPPPPP\\AAAAAAAA\\BBBBBBBB\\L";
    struct Case {
        std::u16string Fits;  // the candidate whose width is the limit
        std::u16string Expected;
    };
    const std::u16string first = u"D:\\PPPPPPPP\\AAAAAAAA\\...\\L";
    const std::u16string second = u"D:\\PPPPPPPP\\...\\L";
    const std::u16string third = u"D:\\...\\L";
    for (const Case& c : {Case{first, first}, Case{second, second}, Case{third, third}}) {
        measured_.clear();
        EXPECT_EQ(CompactPath(path, WidthOf(c.Fits.size()), measure_), c.Expected);
    }
    EXPECT_EQ(measured_, (std::vector<std::u16string>{path, first, second, third}));
}

// When not even "first\...\last" fits, the full text is kept.
TEST_F(PathCompactionTest, PathThatNeverFitsStaysWhole) {
    const std::u16string path = u"D:\\P\\A\\B\\LastComponent";
    EXPECT_EQ(CompactPath(path, WidthOf(3), measure_), path);
    EXPECT_EQ(measured_.size(), 4u);
}

// Without a backslash, or with only one, there is nothing to drop.
TEST_F(PathCompactionTest, PathWithFewerThanTwoBackslashesIsNeverShortened) {
    for (const std::u16string path : {u"NoSeparatorsAtAllHere", u"D:\\OnlyOneSeparatorHere", u"", u"\\"}) {
        measured_.clear();
        EXPECT_EQ(CompactPath(path, 0, measure_), path);
        EXPECT_LE(measured_.size(), 1u);
    }
}

// Leading and doubled separators give empty parts, which are kept as parts.
TEST_F(PathCompactionTest, EmptyPartsAreKeptAsParts) {
    EXPECT_EQ(CompactPath(u"\\\\server\\share\\dir\\file", WidthOf(17), measure_), u"\\\\server\\...\\file");
    EXPECT_EQ(CompactPath(u"\\\\server\\share\\dir\\file", WidthOf(9), measure_), u"\\...\\file");
}

// Replacing a one-letter folder by the ellipsis lengthens the text; a
// candidate beyond the box's 259 units is skipped unmeasured, never returned.
TEST_F(PathCompactionTest, CandidateBeyondTheFieldIsSkipped) {
    const std::u16string last(252, u'x');
    const std::u16string path = u"D:\\a\\W\\" + last;  // 259 units; W is wide
    ASSERT_EQ(path.size(), kPathBoxTextUnits);
    const TextWidthMeasure wideW = [this](std::u16string_view text) {
        measured_.emplace_back(text);
        int32_t width = 0;
        for (char16_t unit : text)
            width += unit == u'W' ? 50 : 7;
        return width;
    };
    const std::u16string shortest = u"D:\\...\\" + last;  // 259 units
    EXPECT_EQ(CompactPath(path, WidthOf(kPathBoxTextUnits), wideW), shortest);
    // "D:\a\...\" + last would be 261 units.
    EXPECT_EQ(measured_, (std::vector<std::u16string>{path, shortest}));
}

}  // namespace
