// HoldMutex.exe NAME FILE: takes the named mutex, creates FILE to say so,
// and holds the mutex until FILE is deleted (at most two minutes). The
// product's run mutex (its global name as NAME) is taken the way the
// programs take it, in its private namespace where the system has one.
#include <windows.h>

#include <cwchar>

#include "platform/product_constants.h"
#include "platform/run_mutex_win.h"

namespace {

// The mutex, held; empty when another holds it or it cannot be made.
RunMutex TakeMutex(const wchar_t* name) {
    RunMutex held;
    if (std::wcscmp(name, reinterpret_cast<const wchar_t*>(kRunMutexName)) == 0)
        held = CreateRunMutex();
    else
        held.Mutex.Reset(CreateMutexW(nullptr, FALSE, name));
    if (!held.Mutex || GetLastError() == ERROR_ALREADY_EXISTS ||
        WaitForSingleObject(held.Mutex.Get(), 0) != WAIT_OBJECT_0)
        held.Mutex.Reset();
    return held;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3)
        return 2;
    RunMutex held = TakeMutex(argv[1]);
    if (!held.Mutex)
        return 3;
    HANDLE flag = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (flag == INVALID_HANDLE_VALUE)
        return 4;
    CloseHandle(flag);
    for (int i = 0; i < 1200 && GetFileAttributesW(argv[2]) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    ReleaseMutex(held.Mutex.Get());
    return 0;
}
