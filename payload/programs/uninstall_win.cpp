// Uninstall.exe of the demo payload: a windowless stand-in for the product's
// uninstaller. It does nothing yet and reports success, so the installer's
// shortcut and Add/Remove Programs entry have a real program to point at.
#include <windows.h>

#include "system/dll_search_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RestrictDllSearchToSystem32();
    return 0;
}
