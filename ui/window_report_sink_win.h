// The window's report sink: the worker's reports reach the window that the
// run's options name (OwnerWindow) as WM_COPYDATA messages, and the run is
// paced so that a person can follow it.
#pragma once

#include "engine/report_sink.h"

// Each report becomes its run-log line first (as with LogReportSink); then,
// when its rule lets it reach a window (ShouldSendReport: a window is named,
// and in an unattended run only the reports sent when quiet), it is sent
// with SendMessageW (dwData the code, the text with its terminator unless
// the report carries none) and the rule's pause follows. Returns after the
// window has handled it. Pace sleeps unless the run is unattended.
const ReportSink& WindowReportSink();
