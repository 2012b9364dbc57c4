// TestWindow.exe: a program with top-level windows for the process-control
// tests.
//
//   TestWindow.exe [--windows N] [--ignore-close]
//
// Creates N (default 1) hidden top-level windows. Every WM_CLOSE and
// WM_DESTROY that arrives posted through its message queue is appended as
// "<window index> close" / "<window index> destroy" to
// <exe folder>\<base name>.log. Normally a window closes on WM_CLOSE and the
// program exits with code 7 once the last window is gone; with
// --ignore-close both messages are dropped and it runs until it is killed.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

constexpr int kExitCodeWhenClosed = 7;

std::vector<HWND> g_windows;
int g_liveWindows = 0;
std::wstring g_logPath;

std::wstring LogPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring base = path;
    size_t dot = base.find_last_of(L'.');
    return (dot == std::wstring::npos ? base : base.substr(0, dot)) + L".log";
}

void AppendLog(const std::string& line) {
    HANDLE file = CreateFileW(g_logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

int IndexOf(HWND window) {
    for (size_t i = 0; i < g_windows.size(); ++i)
        if (g_windows[i] == window)
            return static_cast<int>(i);
    return -1;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && --g_liveWindows == 0)
        PostQuitMessage(kExitCodeWhenClosed);
    return DefWindowProcW(window, message, wParam, lParam);
}

void CreateWindows(int count) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TestWindowClass";
    RegisterClassW(&windowClass);
    for (int i = 0; i < count; ++i) {
        g_windows.push_back(CreateWindowExW(0, L"TestWindowClass", L"Test Window", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        ++g_liveWindows;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int count = 1;
    bool ignoreClose = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--ignore-close")
            ignoreClose = true;
        else if (arg == L"--windows" && i + 1 < argc)
            count = _wtoi(argv[++i]);
    }
    g_logPath = LogPath();
    CreateWindows(count);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        bool closing = msg.message == WM_CLOSE || msg.message == WM_DESTROY;
        if (closing)
            AppendLog(std::to_string(IndexOf(msg.hwnd)) + (msg.message == WM_CLOSE ? " close" : " destroy"));
        // A posted WM_DESTROY destroys nothing (only DestroyWindow does), so
        // only WM_CLOSE needs dispatching for the window to go.
        if (closing && (ignoreClose || msg.message == WM_DESTROY))
            continue;
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
