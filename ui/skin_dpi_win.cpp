#include "ui/skin_dpi_win.h"

#include "ui/skin_layout.h"

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Null where user32 has no such function.
GetDpiForWindowFunction GetDpiForWindowOfUser32() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32)
        return nullptr;
    return reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
}

}  // namespace

int32_t ReadWindowDpi(HWND window, HDC windowDc) {
    if (window) {
        if (GetDpiForWindowFunction getDpiForWindow = GetDpiForWindowOfUser32()) {
            const UINT dpi = getDpiForWindow(window);
            if (dpi > 0)
                return static_cast<int32_t>(dpi);
        }
    }
    if (windowDc) {
        const int dpi = GetDeviceCaps(windowDc, LOGPIXELSY);
        if (dpi > 0)
            return dpi;
    }
    return kSkinBaseDpi;
}
