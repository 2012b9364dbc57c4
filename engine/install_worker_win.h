// The installation's worker thread and its report function.
//
// The worker shares the state with the window's thread: it holds its own
// reference, so a window that lets go of the state while a run is still going
// never frees what the worker uses. The only datum both threads write or read
// while the worker runs is Running.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/progress.h"
#include "engine/report_sink.h"
#include "records/installer_state.h"

// The body of one run, executed on the worker thread.
using InstallSequence = void (*)(InstallerState& state);

// Releases a handle still held from an earlier run (as StopInstallWorker
// does), copies `options` into the state, sets Running and starts a thread
// that runs `sequence` on the state. Returns false when the thread cannot be
// created; Running is then clear and no handle is held.
bool StartInstallWorker(const std::shared_ptr<InstallerState>& state,
                        const InstallOptions& options,
                        InstallSequence sequence);

// Asks a running worker to stop: clears Running and lets go of the thread
// handle without waiting (the state no longer holds it; the process keeps it
// for WaitForInstallWorkers). Does nothing when no handle is held.
void StopInstallWorker(InstallerState& state);

// What the window does when it is done with the state: the same as a stop
// request, then it drops its reference. A worker still running keeps the
// state alive until it returns.
void ReleaseInstallerState(std::shared_ptr<InstallerState>& state);

// For the end of the process, once the window is gone: returns when every
// worker whose handle a stop or a release let go of has returned, so that no
// installation is cut off half way (it finishes or rolls back first).
// Messages sent to this thread are answered meanwhile, so a worker's report
// in flight cannot hold it up. Call on the thread that starts and stops the
// workers.
void WaitForInstallWorkers();

// Hands one report with its rule to the sink of the state's options (see
// report_sink.h): the run log's line, and for the window's sink the report
// itself when its rule allows, with the rule's pause. Returns once the sink
// has taken it (a window has handled it).
ReportOutcome SendReport(const InstallerState& state, ReportKind kind, std::u16string_view text = {});
