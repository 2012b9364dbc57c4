// The worker thread and its report protocol, against a real owner window:
// reports arrive synchronously with the texts, sizes and conditions of their
// rules, and the worker sees a stop request between its steps.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "engine/install_worker_win.h"
#include "ui/window_report_sink_win.h"

namespace {

struct Received {
    ProgressCode Code;
    DWORD Size;
    std::u16string Text;
};

// Lives on the test's (window's) thread; the worker reaches it only through
// SendMessageW, which runs the window procedure on this thread.
struct Recorder {
    std::vector<Received> Reports;
    bool Finished = false;
    std::shared_ptr<InstallerState>* State = nullptr;
    int StopAtCopy = 0;           // call StopInstallWorker at this CopyingFile report (0: never)
    bool ReleaseAtFirst = false;  // let go of the state while handling the first report
    DWORD BlockMs = 0;            // how long handling FileCreateFailed takes
    std::atomic<bool> FailureHandled{false};
};

Recorder* g_recorder = nullptr;
std::atomic<bool> g_sawHandledAfterReport{false};
std::atomic<bool> g_sawRunningCleared{false};

int CountOf(ProgressCode code) {
    int count = 0;
    for (const Received& r : g_recorder->Reports)
        count += r.Code == code;
    return count;
}

void OnReport(Recorder& recorder, const COPYDATASTRUCT& data) {
    Received r{static_cast<ProgressCode>(data.dwData), data.cbData, {}};
    if (data.cbData >= 2)
        r.Text.assign(static_cast<const char16_t*>(data.lpData), data.cbData / 2 - 1);
    recorder.Reports.push_back(r);
    if (recorder.ReleaseAtFirst && recorder.Reports.size() == 1)
        ReleaseInstallerState(*recorder.State);
    if (r.Code == ProgressCode::CopyingFile && CountOf(ProgressCode::CopyingFile) == recorder.StopAtCopy)
        StopInstallWorker(**recorder.State);
    if (r.Code == ProgressCode::FileCreateFailed && recorder.BlockMs) {
        Sleep(recorder.BlockMs);
        recorder.FailureHandled = true;
    }
    if (r.Code == ProgressCode::WorkerFinished)
        recorder.Finished = true;
}

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA && g_recorder) {
        OnReport(*g_recorder, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Sequences run on the worker thread.
void SendEveryReport(InstallerState& state) {
    for (int kind = 0; kind <= static_cast<int>(ReportKind::WorkerFinished); ++kind)
        SendReport(state, static_cast<ReportKind>(kind), u"C:\\Program Files\\Zorvanelle\\file.exe");
}

void CopyUntilStopped(InstallerState& state) {
    for (int i = 0; i < 100 && state.Running; ++i)
        SendReport(state, ReportKind::CopyingFile, u"file " + std::u16string(1, u'a' + i % 26));
    g_sawRunningCleared = !state.Running;
    SendReport(state, ReportKind::WorkerFinished);
}

void FailAndCheckHandled(InstallerState& state) {
    SendReport(state, ReportKind::FileCreateFailed, u"C:\\locked.dll");
    g_sawHandledAfterReport = g_recorder->FailureHandled.load();
    SendReport(state, ReportKind::WorkerFinished);
}

// A run that takes a while to undo itself once stopped; its last report
// reaches the window while the process waits for it.
std::atomic<bool> g_rolledBack{false};
void RollBackSlowlyWhenStopped(InstallerState& state) {
    while (state.Running)
        Sleep(10);
    Sleep(300);
    g_rolledBack = true;
    SendReport(state, ReportKind::WorkerFinished);
}

class InstallWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = RecorderProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ReportRecorder";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"ReportRecorder", L"recorder", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr) << "error " << GetLastError();
        recorder_.State = &state_;
        g_recorder = &recorder_;
        state_ = std::make_shared<InstallerState>();
        options_.OwnerWindow = window_;
        options_.Reports = &WindowReportSink();
    }

    void TearDown() override {
        g_recorder = nullptr;
        DestroyWindow(window_);
    }

    // Handles messages (and so the worker's reports) until WorkerFinished.
    void PumpUntilFinished() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!recorder_.Finished && std::chrono::steady_clock::now() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
        }
        ASSERT_TRUE(recorder_.Finished) << "the worker never reported WorkerFinished";
    }

    // The worker drops its reference when its thread returns.
    bool WorkerLetGo(const std::weak_ptr<InstallerState>& state) {
        for (int i = 0; i < 200 && !state.expired(); ++i)
            Sleep(10);
        return state.expired();
    }

    HWND window_ = nullptr;
    Recorder recorder_;
    std::shared_ptr<InstallerState> state_;
    InstallOptions options_;
};

TEST_F(InstallWorkerTest, AttendedRunDeliversEveryReportWithItsCodeAndSize) {
    ASSERT_TRUE(StartInstallWorker(state_, options_, SendEveryReport));
    PumpUntilFinished();
    const std::u16string text = u"C:\\Program Files\\Zorvanelle\\file.exe";
    ASSERT_EQ(recorder_.Reports.size(), static_cast<size_t>(ReportKind::WorkerFinished) + 1);
    for (size_t i = 0; i < recorder_.Reports.size(); ++i) {
        const Received& r = recorder_.Reports[i];
        const ReportRule& rule = RuleOf(static_cast<ReportKind>(i));
        EXPECT_EQ(r.Code, rule.Code) << "report " << i;
        EXPECT_EQ(r.Size, rule.CarriesText ? (text.size() + 1) * 2 : 0u) << "report " << i;
        if (rule.CarriesText) {
            EXPECT_EQ(r.Text, text) << "report " << i;
        }
    }
}

// RestartNeeded too: the hidden window of a script.ini run ends with 3010 by it.
TEST_F(InstallWorkerTest, UnattendedRunSendsOnlyFailuresRollbackServiceRemovalRestartAndFinish) {
    options_.Unattended = true;
    ASSERT_TRUE(StartInstallWorker(state_, options_, SendEveryReport));
    PumpUntilFinished();
    std::vector<ProgressCode> codes;
    for (const Received& r : recorder_.Reports)
        codes.push_back(r.Code);
    EXPECT_EQ(codes, (std::vector<ProgressCode>{ProgressCode::FileCreateFailed, ProgressCode::RemovingService,
                                                ProgressCode::ServiceCreateFailed, ProgressCode::RestartNeeded,
                                                ProgressCode::WorkerFinished}));
}

TEST_F(InstallWorkerTest, WorkerWaitsUntilTheWindowHasHandledAReport) {
    recorder_.BlockMs = 300;
    g_sawHandledAfterReport = false;
    ASSERT_TRUE(StartInstallWorker(state_, options_, FailAndCheckHandled));
    PumpUntilFinished();
    EXPECT_TRUE(g_sawHandledAfterReport);
}

TEST_F(InstallWorkerTest, StopRequestIsSeenAtTheNextStep) {
    recorder_.StopAtCopy = 3;
    g_sawRunningCleared = false;
    ASSERT_TRUE(StartInstallWorker(state_, options_, CopyUntilStopped));
    PumpUntilFinished();
    EXPECT_EQ(CountOf(ProgressCode::CopyingFile), 3);
    EXPECT_TRUE(g_sawRunningCleared);
    EXPECT_FALSE(state_->WorkerThread) << "a stop request releases the thread handle";
}

TEST_F(InstallWorkerTest, ReleasingTheStateDuringARunLeavesItToTheWorker) {
    recorder_.ReleaseAtFirst = true;
    std::weak_ptr<InstallerState> watch = state_;
    ASSERT_TRUE(StartInstallWorker(state_, options_, CopyUntilStopped));
    PumpUntilFinished();
    EXPECT_FALSE(state_);
    EXPECT_EQ(CountOf(ProgressCode::CopyingFile), 1) << "the release also stops the run";
    EXPECT_TRUE(WorkerLetGo(watch)) << "the state must be freed once the worker has returned";
}

TEST_F(InstallWorkerTest, ProcessEndWaitsUntilAReleasedRunHasEnded) {
    g_rolledBack = false;
    ASSERT_TRUE(StartInstallWorker(state_, options_, RollBackSlowlyWhenStopped));
    ReleaseInstallerState(state_);
    WaitForInstallWorkers();
    EXPECT_TRUE(g_rolledBack);
    EXPECT_TRUE(recorder_.Finished) << "the report sent during the wait was answered";
}

TEST_F(InstallWorkerTest, StopWithoutAWorkerChangesNothing) {
    state_->Running = true;
    StopInstallWorker(*state_);
    EXPECT_TRUE(state_->Running);
}

TEST_F(InstallWorkerTest, NoWindowMeansNoReportAndNoPause) {
    options_.OwnerWindow = nullptr;
    state_->Options = options_;
    ReportOutcome outcome = SendReport(*state_, ReportKind::StartingService, u"svc");
    EXPECT_FALSE(outcome.Sent);
    EXPECT_EQ(outcome.PausedMs, 0u);
}

TEST_F(InstallWorkerTest, SentReportIsFollowedByItsPause) {
    state_->Options = options_;
    auto start = std::chrono::steady_clock::now();
    ReportOutcome outcome = SendReport(*state_, ReportKind::CopyingFile, u"x");
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(outcome.Sent);
    EXPECT_EQ(outcome.PausedMs, 50u);
    EXPECT_GE(elapsed, std::chrono::milliseconds(45));
}

// A run without a window never waits: not after a report whose rule pauses
// (Completed: 3000 ms), and not for the pacing of an attended run.
TEST_F(InstallWorkerTest, LogSinkNeverWaits) {
    state_->Options = options_;
    state_->Options.Reports = &LogReportSink();
    const ReportSink& sink = SinkOf(state_->Options);
    auto start = std::chrono::steady_clock::now();
    for (int kind = 0; kind <= static_cast<int>(ReportKind::WorkerFinished); ++kind) {
        ReportOutcome outcome = SendReport(*state_, static_cast<ReportKind>(kind), u"C:\\file.exe");
        EXPECT_FALSE(outcome.Sent);
        sink.Pace(state_->Options, 3000);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_TRUE(recorder_.Reports.empty()) << "the window named in the options is never sent to";
}

// Options that name no sink report to the run log only.
TEST_F(InstallWorkerTest, OptionsWithoutASinkUseTheLogSink) {
    EXPECT_EQ(&SinkOf(InstallOptions{}), &LogReportSink());
}

}  // namespace
