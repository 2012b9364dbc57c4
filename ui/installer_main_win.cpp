// Entry point of the installer. The program locates the package it carries
// and checks it; the window that drives the installation is built on top of
// this entry point.
#include <windows.h>

#include "engine/installer_state.h"
#include "engine/package_resource_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!FindPackageResource(nullptr, &data, &size))
        return 1;
    InstallerState state;
    return LoadPackage(state, data, size) ? 0 : 1;
}
