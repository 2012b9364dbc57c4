// TestService.exe: an own-process service for the service-control tests.
//
// It appends "start" and "stop" lines to <exe folder>\<base name>.log as it
// starts and stops. A file <exe folder>\<base name>.mode may make it
// misbehave:
//   "stay-start-pending"  reports START_PENDING and never RUNNING (a stop
//                         request still stops it);
//   "ignore-stop"         runs, but answers stop requests without stopping.
// Otherwise it reports RUNNING at once and, on a stop request, STOPPED from
// inside its control handler.
#include <windows.h>

#include <string>

namespace {

enum class Mode { Normal, StayStartPending, IgnoreStop };

SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stopEvent = nullptr;
Mode g_mode = Mode::Normal;
std::wstring g_base;  // exe path without its extension

std::wstring ExeBase() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring base = path;
    size_t dot = base.find_last_of(L'.');
    return dot == std::wstring::npos ? base : base.substr(0, dot);
}

Mode ReadMode() {
    HANDLE file =
        CreateFileW((g_base + L".mode").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Mode::Normal;
    char text[64] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof(text) - 1, &read, nullptr);
    CloseHandle(file);
    std::string mode(text, read);
    if (mode.find("stay-start-pending") != std::string::npos)
        return Mode::StayStartPending;
    if (mode.find("ignore-stop") != std::string::npos)
        return Mode::IgnoreStop;
    return Mode::Normal;
}

void AppendLog(const char* line) {
    HANDLE file =
        CreateFileW((g_base + L".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
}

void Report(DWORD state) {
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_STOPPED ? 0 : SERVICE_ACCEPT_STOP;
    status.dwWaitHint = state == SERVICE_START_PENDING ? 60000 : 0;
    SetServiceStatus(g_statusHandle, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP && g_mode != Mode::IgnoreStop) {
        AppendLog("stop");
        Report(SERVICE_STOPPED);
        SetEvent(g_stopEvent);
    }
    return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
    g_statusHandle = RegisterServiceCtrlHandlerExW(L"", Handler, nullptr);
    if (!g_statusHandle)
        return;
    AppendLog("start");
    Report(g_mode == Mode::StayStartPending ? SERVICE_START_PENDING : SERVICE_RUNNING);
    WaitForSingleObject(g_stopEvent, INFINITE);
}

}  // namespace

int wmain() {
    g_base = ExeBase();
    g_mode = ReadMode();
    g_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    wchar_t name[] = L"";
    SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
