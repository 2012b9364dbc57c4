#include <gtest/gtest.h>

#include <vector>

#include "ui/skin_control_state.h"

namespace {

class SkinControlStateTest : public ::testing::Test {
  protected:
    SkinControlStateTest() {
        control_.Rect = {100, 50, 40, 20};
        control_.Colors = ButtonColorSet(kBase);
        control_.Notify = &Record;
        control_.NotifyContext = &notices_;
        SetNormal(control_);
        notices_.clear();
    }

    static void Record(void* context, ControlNotice notice) {
        static_cast<std::vector<ControlNotice>*>(context)->push_back(notice);
    }

    using Notices = std::vector<ControlNotice>;
    static constexpr Argb kBase = 0xfe141414;
    static constexpr int32_t kInX = 120, kInY = 60;    // inside
    static constexpr int32_t kOutX = 300, kOutY = 60;  // outside

    ControlCore control_;
    Notices notices_;
};

// Buttons: white text, the base colour as normal and disabled fill.
TEST_F(SkinControlStateTest, ButtonColorSetHoldsTheSkinColours) {
    const ControlColorSet set = ButtonColorSet(0xfe2d2d2d);
    EXPECT_EQ(set.Normal.Text, 0xfeffffffu);
    EXPECT_EQ(set.Normal.Fill, 0xfe2d2d2du);
    EXPECT_EQ(set.Normal.Outline, 0xfea0a0a0u);
    EXPECT_EQ(set.Disabled.Text, 0xfe585858u);
    EXPECT_EQ(set.Disabled.Fill, 0xfe2d2d2du);
    EXPECT_EQ(set.Disabled.Outline, 0xfe414141u);
    EXPECT_EQ(set.FillHover, 0xfe424242u);
    EXPECT_EQ(set.FillPressed, 0xfe343434u);
    EXPECT_EQ(set.OutlineHover, 0xfe27a0fdu);
    EXPECT_EQ(set.OutlinePressed, 0xfe3ca9fdu);
    const ControlColorSet option = OptionColorSet();
    EXPECT_EQ(option.Normal.Text, 0xfec8c8c8u);
    EXPECT_EQ(option.Normal.Fill, 0xfe2d2d2du);
    EXPECT_EQ(option.Disabled.Fill, 0xfe2d2d2du);
    EXPECT_EQ(option.OutlineHover, 0xfe27a0fdu);
    EXPECT_EQ(ControlColors{}.Fill, 0xff000000u);
}

// Entering gives the hover look once; moving inside again sends nothing;
// leaving restores the normal look. The text colour never changes.
TEST_F(SkinControlStateTest, HoverEntersOnceAndLeaves) {
    EXPECT_TRUE(HoverTest(control_, kInX, kInY));
    EXPECT_EQ(control_.State, ControlState::Hover);
    EXPECT_EQ(control_.Current.Fill, 0xfe424242u);
    EXPECT_EQ(control_.Current.Outline, 0xfe27a0fdu);
    EXPECT_EQ(control_.Current.Text, 0xfeffffffu);
    EXPECT_TRUE(HoverTest(control_, kInX + 1, kInY));
    EXPECT_EQ(notices_, Notices{ControlNotice::Redraw});
    EXPECT_FALSE(HoverTest(control_, kOutX, kOutY));
    EXPECT_EQ(control_.State, ControlState::Normal);
    EXPECT_EQ(control_.Current.Fill, kBase);
    EXPECT_EQ(control_.Current.Outline, 0xfea0a0a0u);
    EXPECT_FALSE(HoverTest(control_, kOutX, kOutY));
    EXPECT_EQ(notices_, (Notices{ControlNotice::Redraw, ControlNotice::Redraw}));
}

// Press inside, release inside: pressed look, then normal look and a click.
TEST_F(SkinControlStateTest, PressAndReleaseInsideClicks) {
    EXPECT_TRUE(PressTest(control_, kInX, kInY));
    EXPECT_EQ(control_.State, ControlState::Pressed);
    EXPECT_EQ(control_.Current.Fill, 0xfe343434u);
    EXPECT_EQ(control_.Current.Outline, 0xfe3ca9fdu);
    EXPECT_TRUE(ReleaseTest(control_, kInX, kInY));
    EXPECT_EQ(control_.State, ControlState::Normal);
    EXPECT_EQ(control_.Current.Fill, kBase);
    EXPECT_EQ(notices_, (Notices{ControlNotice::Redraw, ControlNotice::Redraw, ControlNotice::Clicked}));
}

// A pressed control keeps its look while the pointer is outside; releasing
// outside restores it without a click.
TEST_F(SkinControlStateTest, ReleaseOutsideAfterPressGivesNoClick) {
    PressTest(control_, kInX, kInY);
    EXPECT_FALSE(HoverTest(control_, kOutX, kOutY));
    EXPECT_EQ(control_.State, ControlState::Pressed);
    EXPECT_FALSE(ReleaseTest(control_, kOutX, kOutY));
    EXPECT_EQ(control_.State, ControlState::Normal);
    EXPECT_EQ(notices_, (Notices{ControlNotice::Redraw, ControlNotice::Redraw}));
}

// A release inside clicks whatever the press began on; a release outside an
// unpressed control does nothing.
TEST_F(SkinControlStateTest, ReleaseInsideClicksWithoutPress) {
    EXPECT_FALSE(ReleaseTest(control_, kOutX, kOutY));
    EXPECT_TRUE(notices_.empty());
    EXPECT_TRUE(ReleaseTest(control_, kInX, kInY));
    EXPECT_EQ(notices_, (Notices{ControlNotice::Redraw, ControlNotice::Clicked}));
    EXPECT_FALSE(PressTest(control_, kOutX, kOutY));
    EXPECT_EQ(notices_.size(), 2u);
}

// Disabled: hit inside, never changed, never notified.
TEST_F(SkinControlStateTest, DisabledControlIsHitButIgnoresThePointer) {
    SetDisabled(control_);
    EXPECT_EQ(control_.Current.Text, 0xfe585858u);
    EXPECT_EQ(control_.Current.Outline, 0xfe414141u);
    notices_.clear();
    EXPECT_TRUE(HoverTest(control_, kInX, kInY));
    EXPECT_TRUE(PressTest(control_, kInX, kInY));
    EXPECT_TRUE(ReleaseTest(control_, kInX, kInY));
    EXPECT_FALSE(HoverTest(control_, kOutX, kOutY));
    EXPECT_FALSE(PressTest(control_, kOutX, kOutY));
    EXPECT_FALSE(ReleaseTest(control_, kOutX, kOutY));
    EXPECT_EQ(control_.State, ControlState::Disabled);
    EXPECT_EQ(control_.Current.Fill, kBase);
    EXPECT_TRUE(notices_.empty());
}

// Invisible: never hit, never changed.
TEST_F(SkinControlStateTest, InvisibleControlIsNeverHit) {
    control_.Visible = false;
    EXPECT_FALSE(HoverTest(control_, kInX, kInY));
    EXPECT_FALSE(PressTest(control_, kInX, kInY));
    EXPECT_FALSE(ReleaseTest(control_, kInX, kInY));
    EXPECT_EQ(control_.State, ControlState::Normal);
    EXPECT_TRUE(notices_.empty());
}

// The rectangle's edges do not count as inside.
TEST_F(SkinControlStateTest, PointOnTheEdgeIsOutside) {
    EXPECT_FALSE(PressTest(control_, 100, 60));
    EXPECT_FALSE(PressTest(control_, 140, 60));
    EXPECT_FALSE(PressTest(control_, 120, 50));
    EXPECT_FALSE(PressTest(control_, 120, 70));
    EXPECT_TRUE(PressTest(control_, 101, 51));
}

// A hover after a press keeps the pressed look; the release brings it back
// to normal, and the next move inside hovers again.
TEST_F(SkinControlStateTest, HoverDoesNotOverridePressed) {
    PressTest(control_, kInX, kInY);
    EXPECT_TRUE(HoverTest(control_, kInX, kInY));
    EXPECT_EQ(control_.State, ControlState::Pressed);
    ReleaseTest(control_, kInX, kInY);
    notices_.clear();
    EXPECT_TRUE(HoverTest(control_, kInX, kInY));
    EXPECT_EQ(control_.State, ControlState::Hover);
    EXPECT_EQ(notices_, Notices{ControlNotice::Redraw});
}

// SetNormal and SetDisabled switch all three colours and notify; a control
// without a receiver works silently.
TEST_F(SkinControlStateTest, StateSettersSwitchAllColoursAndNotify) {
    SetDisabled(control_);
    EXPECT_EQ(control_.State, ControlState::Disabled);
    SetNormal(control_);
    EXPECT_EQ(control_.State, ControlState::Normal);
    EXPECT_EQ(control_.Current.Text, 0xfeffffffu);
    EXPECT_EQ(control_.Current.Outline, 0xfea0a0a0u);
    EXPECT_EQ(notices_, (Notices{ControlNotice::Redraw, ControlNotice::Redraw}));
    control_.Notify = nullptr;
    EXPECT_TRUE(ReleaseTest(control_, kInX, kInY));
}

// The keyboard: a focus change repaints once; Space or Enter clicks only a
// visible, enabled control.
TEST_F(SkinControlStateTest, KeyboardFocusRepaintsAndActivationClicksOnlyWhenEnabled) {
    SetFocused(control_, true);
    SetFocused(control_, true);
    EXPECT_TRUE(control_.Focused);
    EXPECT_TRUE(KeyActivate(control_));
    EXPECT_EQ(notices_, (Notices{ControlNotice::Redraw, ControlNotice::Clicked}));
    notices_.clear();
    SetDisabled(control_);
    EXPECT_FALSE(Focusable(control_));
    EXPECT_FALSE(KeyActivate(control_));
    SetNormal(control_);
    control_.Visible = false;
    EXPECT_FALSE(KeyActivate(control_));
    EXPECT_EQ(notices_, (Notices{ControlNotice::Redraw, ControlNotice::Redraw}));
}

}  // namespace
