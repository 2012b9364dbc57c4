// Plays the desktop's shell for the whole-program suites: an elevated
// installation starts its programs as the user whose shell owns the desktop,
// and a test machine runs none. Registers a window of its own as the shell
// window and keeps it until the window is closed or the Wine session ends.
//
//   TestShell.exe READY-FILE
//     creates READY-FILE once its window is the shell window; exit code 0 once
//     the window closed, 1 when it could not become the shell window (one is
//     there already)
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    using SetShellWindowFunction = BOOL(WINAPI*)(HWND);
    auto setShellWindow = reinterpret_cast<SetShellWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
    HWND shell = CreateWindowExW(0, L"STATIC", L"test shell", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!setShellWindow || !shell || !setShellWindow(shell))
        return 1;
    if (argc > 1)
        CloseHandle(CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
