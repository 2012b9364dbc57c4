// ZorvanelleServiceV7.exe of the demo payload: the product's background
// service, an own-process Win32 service that does no work of its own. It
// records every start and stop as a line "YYYY-MM-DD hh:mm:ss start" or
// "... stop" in ZorvanelleServiceV7.log beside itself, so installs, removals
// and tests can see what the service manager did with it.
//
// Started by the service manager it reports START_PENDING, then RUNNING, and
// on a stop or shutdown request STOP_PENDING, then STOPPED. Started any other
// way (from a console) it prints a one-line usage to stderr and exits with 2.
#include <windows.h>

#include <string>

#include "payload/programs/program_files_win.h"
#include "platform/dll_search_win.h"
#include "platform/unique_handle_win.h"

namespace {

constexpr wchar_t kLogName[] = L"ZorvanelleServiceV7.log";
constexpr char kUsage[] =
    "usage: ZorvanelleServiceV7.exe is a Windows service; install it with the service manager and start it "
    "there\r\n";
constexpr int kNotStartedAsService = 2;

// The state one service run shares between ServiceMain and the control
// handler, which the service manager calls on another thread.
struct ServiceRun {
    SERVICE_STATUS_HANDLE status = nullptr;
    UniqueKernelHandle stopRequested;
    DWORD checkPoint = 0;
};

ServiceRun g_run;

void AppendLogLine(const char* event) {
    AppendToFile(PathBesideExe(kLogName), LocalTimestamp() + " " + event + "\r\n");
}

// Tells the service manager the service is now in `state`. Pending states
// carry a growing check point and a wait hint so the manager keeps waiting.
void ReportState(DWORD state) {
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = NO_ERROR;
    status.dwCheckPoint = pending ? ++g_run.checkPoint : 0;
    status.dwWaitHint = pending ? 3000 : 0;
    SetServiceStatus(g_run.status, &status);
}

// Control handler: a stop or shutdown request wakes ServiceMain, which
// records the stop and reports STOPPED.
DWORD WINAPI HandleControl(DWORD control, DWORD, void*, void*) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
            ReportState(SERVICE_STOP_PENDING);
            SetEvent(g_run.stopRequested.Get());
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD argc, wchar_t** argv) {
    // The event exists before the handler does, so no request finds it missing.
    g_run.stopRequested.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const wchar_t* name = argc > 0 ? argv[0] : L"";
    g_run.status = RegisterServiceCtrlHandlerExW(name, HandleControl, nullptr);
    if (!g_run.status)
        return;
    ReportState(SERVICE_START_PENDING);
    if (!g_run.stopRequested) {
        ReportState(SERVICE_STOPPED);
        return;
    }
    AppendLogLine("start");
    ReportState(SERVICE_RUNNING);
    WaitForSingleObject(g_run.stopRequested.Get(), INFINITE);
    AppendLogLine("stop");
    ReportState(SERVICE_STOPPED);
}

void PrintUsage() {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), kUsage, sizeof(kUsage) - 1, &written, nullptr);
}

}  // namespace

int wmain() {
    // Runs as LocalSystem: it does not start at all rather than load what
    // anyone could plant beside it (the service manager reports the failed
    // start).
    if (!RestrictDllSearchToSystem32())
        return kLibrarySearchRefusedExitCode;
    wchar_t name[] = L"";  // ignored for an own-process service
    SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherW(table))
        return 0;
    PrintUsage();
    return kNotStartedAsService;
}
