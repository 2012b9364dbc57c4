// ZorvanelleServiceV7.exe of the demo payload: a stand-in for the product's
// background service program that exits at once with success.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return 0;
}
