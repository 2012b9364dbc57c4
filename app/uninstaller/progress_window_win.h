// The uninstaller's progress window (see progress_window_win.cpp).
#pragma once

#include <windows.h>

#include "app/run_contract.h"
#include "app/uninstaller/temporary_copy_win.h"
#include "removal/previous_version_win.h"

// Shows the progress window and runs `remove` on a thread of its own while
// the window shows each stage (ShowStage) and then the result; returns
// `remove`'s code once the user closed the window, or it closed itself
// after a success. Without a window (it cannot be made) `remove` runs here.
ExitCode RemoveWithProgress(CopyRun& run, ExitCode (*remove)(CopyRun&));

// Adds the line of `stage` to the window of `run`, when it has one; callable
// from any thread.
void ShowStage(const CopyRun& run, RemovalStage stage);

// The window's pacing of the removal (a RemovalPacer, called on the removal's
// thread): sleeps `ms`, so that a person can follow the removal.
void PaceProgressWindow(uint32_t ms, void* context);
