#include "ui/TrovalisInstallV7Timers.h"

uint32_t TimerPeriodMs(DialogTimer timer) {
    switch (timer) {
        case DialogTimer::Start:
            return 33;
        case DialogTimer::Close:
            return 2000;
        case DialogTimer::Hide:
            return 3;
        case DialogTimer::None:
            break;
    }
    return 0;
}

void ArmTimer(DialogTimerState& state, DialogTimer timer) {
    state.Active = timer;
}

bool TakeTimer(DialogTimerState& state, DialogTimer timer) {
    if (timer == DialogTimer::None || state.Active != timer)
        return false;
    state.Active = DialogTimer::None;
    return true;
}

DialogTimer OnFinishReport(DialogTimerState& state) {
    if (state.Active != DialogTimer::None) {
        // Only an unattended run's hide timer can still be pending when a
        // worker finishes; its tick takes the finish up again.
        if (state.Active == DialogTimer::Hide)
            state.FinishPending = true;
        return DialogTimer::None;
    }
    state.FinishPending = false;
    state.Active = DialogTimer::Close;
    return DialogTimer::Close;
}

DialogTimer AfterHideTimer(DialogTimerState& state) {
    if (!state.FinishPending)
        return DialogTimer::None;
    return OnFinishReport(state);
}
