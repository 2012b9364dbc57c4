#include "platform/case_fold.h"

#include <gtest/gtest.h>

namespace {

struct CaseCase {
    std::u16string A, B;
    bool Equal;
};

// Windows' rule: each unit to its simple uppercase form, never a non-ASCII
// letter onto an ASCII one.
TEST(CaseFoldTest, TextsAreEqualAsWindowsIgnoresCase) {
    const CaseCase cases[] = {
        {u"Uninstall.BAT", u"uninstall.bat", true},
        {u"ÄÖÜ Été", u"äöü éTÉ", true},
        {u"ΣΊΣΥΦΟΣ", u"σίσυφος", true},
        {u"Привет", u"ПРИВЕТ", true},
        {u"ǅ", u"ǆ", true},
        {u"ı", u"i", false},
        {u"ſ", u"s", false},
        {u"ß", u"SS", false},
        {u"a", u"b", false},
    };
    for (const CaseCase& c : cases) {
        EXPECT_EQ(EqualIgnoringCase(c.A, c.B), c.Equal);
        EXPECT_EQ(CaseKey(c.A) == CaseKey(c.B), c.Equal);
    }
}

}  // namespace
