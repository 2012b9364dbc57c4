// KnownImports.exe: imports the same KnownDLLs as the installer (one function
// of each) and does nothing else. What a planted-library test sees loaded by
// it comes from the platform itself, before any code of a program can run.
// KnownImports.exe NAME: also loads NAME as a careless program would, from
// its own folder first: the planted-library test's proof that a planted copy
// which is loaded does leave its marker. Exit code 1 when it cannot.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

int wmain(int argc, wchar_t** argv) {
    if (argc == 2)
        return LoadLibraryW(argv[1]) ? 0 : 1;
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
