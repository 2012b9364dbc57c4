// Timing helpers shared by the Windows tests: how long an action took, and
// polling for a condition with a limit instead of fixed sleeps.
#pragma once

#include <windows.h>

namespace test_timing {

// Milliseconds `action` took.
template <typename Action>
DWORD Elapsed(Action&& action) {
    DWORD start = GetTickCount();
    action();
    return GetTickCount() - start;
}

// Polls `done` every 50 ms for up to `limitMs`; its last answer.
template <typename Condition>
bool WaitFor(Condition&& done, DWORD limitMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs)
            return false;
        Sleep(50);
    }
    return true;
}

}  // namespace test_timing
