// ZorvanellePanelV7.exe of the demo payload: a stand-in for the product's
// control panel that exits at once with success. It accepts, and ignores,
// the " -h" the installer adds when the panel is to start hidden.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return 0;
}
