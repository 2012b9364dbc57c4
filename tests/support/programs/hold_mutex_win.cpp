// HoldMutex.exe NAME FILE: takes the named mutex, creates FILE to say so,
// and holds the mutex until FILE is deleted (at most two minutes).
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3)
        return 2;
    HANDLE mutex = CreateMutexW(nullptr, TRUE, argv[1]);
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS)
        return 3;
    HANDLE flag = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (flag == INVALID_HANDLE_VALUE)
        return 4;
    CloseHandle(flag);
    for (int i = 0; i < 1200 && GetFileAttributesW(argv[2]) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}
