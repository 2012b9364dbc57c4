#include "ui/window_report_sink_win.h"

#include <windows.h>

#include <string>

namespace {

ReportOutcome SendToWindow(const InstallOptions& options, const ReportRule& rule, std::u16string_view text) {
    LogReportSink().Deliver(options, rule, text);
    HWND owner = static_cast<HWND>(options.OwnerWindow);
    ReportOutcome outcome;
    if (!ShouldSendReport(rule, owner != nullptr, options.Unattended))
        return outcome;
    // The text travels with its terminator; a std::u16string guarantees one.
    std::u16string terminated(rule.CarriesText ? text : std::u16string_view());
    COPYDATASTRUCT data{};
    data.dwData = static_cast<ULONG_PTR>(rule.Code);
    data.cbData = ReportDataSize(rule, terminated);
    data.lpData = rule.CarriesText ? terminated.data() : nullptr;
    // Synchronous: the worker goes on only after the window has handled it,
    // which for the failure reports includes the user closing a message box.
    SendMessageW(owner, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    outcome.Sent = true;
    if (rule.PauseMs > 0) {
        Sleep(rule.PauseMs);
        outcome.PausedMs = rule.PauseMs;
    }
    return outcome;
}

void PaceUnlessUnattended(const InstallOptions& options, uint32_t ms) {
    if (!options.Unattended)
        Sleep(ms);
}

constexpr ReportSink kWindowSink{SendToWindow, PaceUnlessUnattended};

}  // namespace

const ReportSink& WindowReportSink() {
    return kWindowSink;
}
