#include "platform/text.h"

#include <gtest/gtest.h>

namespace {

class TextTest : public ::testing::Test {};

struct RoundTripCase {
    std::string utf8;
    std::u16string utf16;
};

TEST_F(TextTest, ConvertsValidTextBothWays) {
    const RoundTripCase cases[] = {
        {"", u""},
        {"Zorvanelle V7", u"Zorvanelle V7"},
        {"caf\xC3\xA9", u"caf\u00E9"},
        {"\xE4\xB8\xAD\xE6\x96\x87", u"\u4E2D\u6587"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const RoundTripCase& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
    }
}

// Each malformed sequence becomes one U+FFFD and decoding resumes after it.
TEST_F(TextTest, ReplacesMalformedUtf8) {
    const RoundTripCase cases[] = {
        {"a\x80z", u"a\uFFFDz"},          // stray continuation byte
        {"a\xC3", u"a\uFFFD"},            // truncated at the end
        {"a\xE4\xB8z", u"a\uFFFDz"},      // truncated before another character
        {"\xC0\xAF", u"\uFFFD\uFFFD"},    // overlong lead byte
        {"\xE0\x80\xAF", u"\uFFFD"},      // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD"},      // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD"},  // above U+10FFFF
        {"\xFF", u"\uFFFD"},              // never a lead byte
    };
    for (const RoundTripCase& c : cases)
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
}

TEST_F(TextTest, ReplacesUnpairedSurrogates) {
    const std::u16string lone = {u'a', 0xD800, u'b', 0xDC00};
    EXPECT_EQ(Utf16ToUtf8(lone),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    const std::u16string trailingHigh = {0xD83D};
    EXPECT_EQ(Utf16ToUtf8(trailingHigh), "\xEF\xBF\xBD");
}

}  // namespace
