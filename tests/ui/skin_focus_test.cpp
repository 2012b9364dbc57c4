#include <gtest/gtest.h>

#include <ostream>

#include "ui/skin_focus.h"

namespace {

using F = FocusTarget;
using K = FocusKey;

constexpr FocusMask kAll = FocusBit(F::ChineseOption) | FocusBit(F::EnglishOption) | FocusBit(F::BrowseButton) |
                           FocusBit(F::LicenseLink) | FocusBit(F::InstallButton) | FocusBit(F::CloseButton);
// While installing only the licence link and the close button take input.
constexpr FocusMask kInstalling = FocusBit(F::LicenseLink) | FocusBit(F::CloseButton);
// Cancelling: the close button is disabled too.
constexpr FocusMask kCancelling = FocusBit(F::LicenseLink);

struct KeyCase {
    const char* What;
    F Focus;
    K Key;
    FocusMask Available;
    FocusOutcome Expected;
};

void PrintTo(const KeyCase& c, std::ostream* out) {
    *out << c.What;
}

class SkinFocusTest : public ::testing::TestWithParam<KeyCase> {};

// Each key on the page: the focus afterwards, what is activated, whether the
// close action runs.
TEST_P(SkinFocusTest, KeyGivesItsOutcome) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(OnFocusKey(c.Focus, c.Key, c.Available), c.Expected) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Keys,
    SkinFocusTest,
    ::testing::Values(
        KeyCase{"Tab starts at the Chinese option", F::None, K::Tab, kAll, {F::ChineseOption, F::None, false}},
        KeyCase{"Shift+Tab starts at the close button", F::None, K::ShiftTab, kAll, {F::CloseButton, F::None, false}},
        KeyCase{"Tab goes from English to browse", F::EnglishOption, K::Tab, kAll, {F::BrowseButton, F::None, false}},
        KeyCase{"Tab goes from browse to the link", F::BrowseButton, K::Tab, kAll, {F::LicenseLink, F::None, false}},
        KeyCase{"Tab goes from the link to Install", F::LicenseLink, K::Tab, kAll, {F::InstallButton, F::None, false}},
        KeyCase{"Tab wraps from close to Chinese", F::CloseButton, K::Tab, kAll, {F::ChineseOption, F::None, false}},
        KeyCase{"Shift+Tab wraps from Chinese to close",
                F::ChineseOption,
                K::ShiftTab,
                kAll,
                {F::CloseButton, F::None, false}},
        KeyCase{"Shift+Tab goes from Install to the link",
                F::InstallButton,
                K::ShiftTab,
                kAll,
                {F::LicenseLink, F::None, false}},
        KeyCase{"Tab skips what is disabled", F::LicenseLink, K::Tab, kInstalling, {F::CloseButton, F::None, false}},
        KeyCase{"Tab with nothing available keeps no focus", F::None, K::Tab, 0, {F::None, F::None, false}},
        KeyCase{"Space activates the focused button",
                F::BrowseButton,
                K::Space,
                kAll,
                {F::BrowseButton, F::BrowseButton, false}},
        KeyCase{"Enter activates the link", F::LicenseLink, K::Enter, kAll, {F::LicenseLink, F::LicenseLink, false}},
        KeyCase{"Enter without focus does nothing", F::None, K::Enter, kAll, {F::None, F::None, false}},
        KeyCase{"Enter on a focus gone disabled activates the next one",
                F::InstallButton,
                K::Enter,
                kInstalling,
                {F::CloseButton, F::CloseButton, false}},
        KeyCase{"Space with nothing available does nothing", F::CloseButton, K::Space, 0, {F::None, F::None, false}},
        KeyCase{"Escape asks to close and keeps the focus",
                F::BrowseButton,
                K::Escape,
                kAll,
                {F::BrowseButton, F::None, true}},
        KeyCase{"Escape without focus asks to close", F::None, K::Escape, kCancelling, {F::None, F::None, true}},
        KeyCase{"Right on Chinese selects English",
                F::ChineseOption,
                K::Right,
                kAll,
                {F::EnglishOption, F::EnglishOption, false}},
        KeyCase{"Down on Chinese selects English",
                F::ChineseOption,
                K::Down,
                kAll,
                {F::EnglishOption, F::EnglishOption, false}},
        KeyCase{"Left on English selects Chinese",
                F::EnglishOption,
                K::Left,
                kAll,
                {F::ChineseOption, F::ChineseOption, false}},
        KeyCase{"Up on English selects Chinese",
                F::EnglishOption,
                K::Up,
                kAll,
                {F::ChineseOption, F::ChineseOption, false}},
        KeyCase{"Right on English wraps to Chinese",
                F::EnglishOption,
                K::Right,
                kAll,
                {F::ChineseOption, F::ChineseOption, false}},
        KeyCase{"Arrows do nothing on a button", F::InstallButton, K::Left, kAll, {F::InstallButton, F::None, false}},
        KeyCase{"Arrows do nothing without focus", F::None, K::Down, kAll, {F::None, F::None, false}}));

// The focus after the page changed: kept while available, else moved on in
// Tab order, else gone.
TEST(SkinFocusKeptTest, FocusMovesOnOnlyWhenItsControlWentAway) {
    EXPECT_EQ(KeptFocus(F::BrowseButton, kAll), F::BrowseButton);
    EXPECT_EQ(KeptFocus(F::InstallButton, kInstalling), F::CloseButton);
    EXPECT_EQ(KeptFocus(F::EnglishOption, kInstalling), F::LicenseLink);
    EXPECT_EQ(KeptFocus(F::CloseButton, kCancelling), F::LicenseLink);
    EXPECT_EQ(KeptFocus(F::CloseButton, 0), F::None);
    EXPECT_EQ(KeptFocus(F::None, kAll), F::None);
}

}  // namespace
