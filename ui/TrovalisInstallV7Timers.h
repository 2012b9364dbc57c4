// The main dialog's three timers as a plain state machine: at most one timer
// is pending, each acts once, and a worker's finish report arms the closing
// timer only when no other timer is pending. A finish that arrives while the
// hide timer of an unattended run is still pending is remembered and arms
// the closing timer once the hide timer has acted, so a hidden run always
// ends. Portable; the dialog turns the results into SetTimer and KillTimer.
#pragma once

#include <cstdint>

enum class DialogTimer : uint32_t {
    None = 0,
    Start = 1,  // 33 ms after Install: start the worker
    Close = 2,  // 2000 ms after the finish report: end the dialog
    Hide = 3,   // 3 ms after an unattended start: hide the window
};

// Period of each timer in milliseconds.
uint32_t TimerPeriodMs(DialogTimer timer);

struct DialogTimerState {
    DialogTimer Active = DialogTimer::None;  // the pending timer
    bool FinishPending = false;              // a finish arrived while Hide was pending
};

// `timer` becomes the pending one (the caller arms it).
void ArmTimer(DialogTimerState& state, DialogTimer timer);

// A tick (or a kill) of `timer`: true when it is the pending one, which is
// then no longer pending (the caller kills it and lets it act once); false for
// any other timer, which must not act.
bool TakeTimer(DialogTimerState& state, DialogTimer timer);

// The worker's finish report. Returns Close when the closing timer is to be
// armed (it is then the pending one), else None: another timer is pending.
DialogTimer OnFinishReport(DialogTimerState& state);

// After the hide timer has acted: Close when a finish arrived meanwhile (the
// closing timer is then pending), else None.
DialogTimer AfterHideTimer(DialogTimerState& state);
