// Entry point of the installer: the application object does everything.
#include <windows.h>

#include "ui/TrovalisInstallV7.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CTrovalisInstallV7App app;
    return RunApplication(app);
}
