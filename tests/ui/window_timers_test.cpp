// The main dialog's timers: one pending at a time, each acting once, and the
// finish report's rules (a hidden run always ends).
#include <gtest/gtest.h>

#include "ui/TrovalisInstallV7Timers.h"

namespace {

class WindowTimersTest : public ::testing::Test {
  protected:
    DialogTimerState state_;
};

// The periods the dialog arms: 33 ms to start, 2000 ms to close, 3 ms to hide.
TEST_F(WindowTimersTest, PeriodsAreThoseOfTheThreeTimers) {
    EXPECT_EQ(TimerPeriodMs(DialogTimer::Start), 33u);
    EXPECT_EQ(TimerPeriodMs(DialogTimer::Close), 2000u);
    EXPECT_EQ(TimerPeriodMs(DialogTimer::Hide), 3u);
}

// A finish with no timer pending arms the closing timer.
TEST_F(WindowTimersTest, FinishWithNoTimerPendingArmsTheCloseTimer) {
    EXPECT_EQ(OnFinishReport(state_), DialogTimer::Close);
    EXPECT_EQ(state_.Active, DialogTimer::Close);
}

// A second finish while the closing timer is pending changes nothing.
TEST_F(WindowTimersTest, SecondFinishIsIgnored) {
    OnFinishReport(state_);
    EXPECT_EQ(OnFinishReport(state_), DialogTimer::None);
    EXPECT_EQ(state_.Active, DialogTimer::Close);
    EXPECT_TRUE(TakeTimer(state_, DialogTimer::Close));
    EXPECT_EQ(AfterHideTimer(state_), DialogTimer::None);
}

// A timer acts once: its first tick is taken, a later one is not.
TEST_F(WindowTimersTest, EachTimerActsOnce) {
    ArmTimer(state_, DialogTimer::Start);
    EXPECT_TRUE(TakeTimer(state_, DialogTimer::Start));
    EXPECT_EQ(state_.Active, DialogTimer::None);
    EXPECT_FALSE(TakeTimer(state_, DialogTimer::Start));
}

// A tick of a timer other than the pending one does not act and leaves the
// pending one armed.
TEST_F(WindowTimersTest, TickOfAnotherTimerIsNotTaken) {
    ArmTimer(state_, DialogTimer::Hide);
    EXPECT_FALSE(TakeTimer(state_, DialogTimer::Start));
    EXPECT_FALSE(TakeTimer(state_, DialogTimer::None));
    EXPECT_EQ(state_.Active, DialogTimer::Hide);
}

// The race of a very short hidden run: the finish arrives before the hide
// timer's tick; it arms nothing then, and the closing timer once the hide
// timer has acted.
TEST_F(WindowTimersTest, FinishDuringHideTimerClosesAfterTheHide) {
    ArmTimer(state_, DialogTimer::Hide);
    EXPECT_EQ(OnFinishReport(state_), DialogTimer::None);
    EXPECT_EQ(state_.Active, DialogTimer::Hide);
    ASSERT_TRUE(TakeTimer(state_, DialogTimer::Hide));
    EXPECT_EQ(AfterHideTimer(state_), DialogTimer::Close);
    EXPECT_EQ(state_.Active, DialogTimer::Close);
    EXPECT_FALSE(state_.FinishPending);
}

// A hide tick without an earlier finish arms nothing; the finish that comes
// later arms the closing timer as usual.
TEST_F(WindowTimersTest, HideWithoutFinishArmsNothing) {
    ArmTimer(state_, DialogTimer::Hide);
    ASSERT_TRUE(TakeTimer(state_, DialogTimer::Hide));
    EXPECT_EQ(AfterHideTimer(state_), DialogTimer::None);
    EXPECT_EQ(state_.Active, DialogTimer::None);
    EXPECT_EQ(OnFinishReport(state_), DialogTimer::Close);
}

// A finish while the start timer is pending (it cannot come from a worker
// that has not started) is ignored and not remembered.
TEST_F(WindowTimersTest, FinishDuringStartTimerIsNotRemembered) {
    ArmTimer(state_, DialogTimer::Start);
    EXPECT_EQ(OnFinishReport(state_), DialogTimer::None);
    EXPECT_FALSE(state_.FinishPending);
    ASSERT_TRUE(TakeTimer(state_, DialogTimer::Start));
    EXPECT_EQ(AfterHideTimer(state_), DialogTimer::None);
}

}  // namespace
