// HoldFile.exe PATH FLAG: opens PATH for reading and shares nothing (as a
// program that has loaded it may), creates FLAG to say so, and holds PATH
// until FLAG is deleted (at most five minutes).
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3)
        return 2;
    HANDLE held = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return 3;
    HANDLE flag = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (flag == INVALID_HANDLE_VALUE)
        return 4;
    CloseHandle(flag);
    for (int i = 0; i < 3000 && GetFileAttributesW(argv[2]) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    CloseHandle(held);
    return 0;
}
