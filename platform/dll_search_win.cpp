#include "platform/dll_search_win.h"

#include <windows.h>

bool RestrictDllSearchToSystem32() {
    const bool noCurrentDirectory = SetDllDirectoryW(L"") != FALSE;
    // Looked up rather than imported: a Windows 7 without KB2533623 lacks it,
    // and a static import would keep the program from starting there at all.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = kernel32 ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                           GetProcAddress(kernel32, "SetDefaultDllDirectories")))
                                     : nullptr;
    const bool systemOnly = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return noCurrentDirectory && systemOnly;
}
