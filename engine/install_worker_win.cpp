#include "engine/install_worker_win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/unique_handle_win.h"

namespace {

struct WorkerStart {
    std::shared_ptr<InstallerState> State;
    InstallSequence Sequence;
};

void CloseThreadHandle(void* handle) {
    CloseHandle(handle);
}

DWORD WINAPI InstallWorker(LPVOID argument) {
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(argument));
    start->Sequence(*start->State);
    return 0;
}

// The threads of workers the window has let go of, kept until the process
// ends. Only the thread that starts and stops workers touches the list.
std::vector<UniqueThread>& ReleasedWorkers() {
    static std::vector<UniqueThread> workers;
    return workers;
}

// Workers that have returned need no waiting for.
void ForgetReturnedWorkers() {
    std::vector<UniqueThread>& workers = ReleasedWorkers();
    auto returned = [](const UniqueThread& worker) { return WaitForSingleObject(worker.Get(), 0) == WAIT_OBJECT_0; };
    workers.erase(std::remove_if(workers.begin(), workers.end(), returned), workers.end());
}

void ReleaseWorkerHandle(InstallerState& state) {
    if (!state.WorkerThread)
        return;
    state.Running = false;
    ReleasedWorkers().emplace_back(static_cast<HANDLE>(state.WorkerThread.release()));
}

}  // namespace

bool StartInstallWorker(const std::shared_ptr<InstallerState>& state,
                        const InstallOptions& options,
                        InstallSequence sequence) {
    ReleaseWorkerHandle(*state);
    ForgetReturnedWorkers();
    state->Options = options;
    state->Running = true;
    auto start = std::make_unique<WorkerStart>(WorkerStart{state, sequence});
    HANDLE thread = CreateThread(nullptr, 0, InstallWorker, start.get(), 0, nullptr);
    if (!thread) {
        state->Running = false;
        return false;
    }
    start.release();  // the thread owns it now
    state->WorkerThread = WorkerThreadHandle(thread, CloseThreadHandle);
    return true;
}

void StopInstallWorker(InstallerState& state) {
    ReleaseWorkerHandle(state);
}

void ReleaseInstallerState(std::shared_ptr<InstallerState>& state) {
    if (!state)
        return;
    state->Running = false;
    ReleaseWorkerHandle(*state);
    state.reset();
}

void WaitForInstallWorkers() {
    std::vector<UniqueThread>& workers = ReleasedWorkers();
    for (const UniqueThread& worker : workers) {
        HANDLE thread = worker.Get();
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    workers.clear();
}

ReportOutcome SendReport(const InstallerState& state, ReportKind kind, std::u16string_view text) {
    return SinkOf(state.Options).Deliver(state.Options, RuleOf(kind), text);
}
