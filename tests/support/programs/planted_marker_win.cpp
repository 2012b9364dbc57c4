// PlantedMarker.dll: stands in for a library planted beside a program. The
// tests copy it under the names of system libraries; when a process loads
// it, it leaves C:\planted-NAME.txt (NAME: its own file name) naming the
// process, so a test sees which planted copy was loaded, and by whom.
#include <windows.h>

namespace {

void LeaveMarker(HMODULE self) {
    wchar_t own[MAX_PATH] = {};
    wchar_t loader[MAX_PATH] = {};
    if (!GetModuleFileNameW(self, own, MAX_PATH) || !GetModuleFileNameW(nullptr, loader, MAX_PATH))
        return;
    const wchar_t* name = own;
    for (const wchar_t* p = own; *p; ++p)
        if (*p == L'\\' || *p == L'/')
            name = p + 1;
    wchar_t marker[MAX_PATH + 16] = L"C:\\planted-";
    lstrcatW(marker, name);
    lstrcatW(marker, L".txt");
    HANDLE file = CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, loader, lstrlenW(loader) * sizeof(wchar_t), &written, nullptr);
    WriteFile(file, L"\r\n", 4, &written, nullptr);
    CloseHandle(file);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMarker(self);
    return TRUE;
}
