// KnownImports.exe: imports the same KnownDLLs as the installer (one function
// of each) and does nothing else. What a planted-library test sees loaded by
// it comes from the platform itself, before any code of a program can run.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

int wmain() {
    // Never true: the calls only have to be imported, not made.
    if (GetTickCount() == 0 && GetVersion() == 1) {
        RegCloseKey(nullptr);
        DeleteObject(nullptr);
        CoUninitialize();
        DragFinish(nullptr);
        MessageBeep(0);
    }
    return 0;
}
