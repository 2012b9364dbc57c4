// The display scale the skinned window is drawn for, read once from the
// window when its surface is made.
#pragma once

#include <windows.h>

#include <cstdint>

// The window's dots per inch: GetDpiForWindow where user32 has it (looked up
// at run time: Windows before 10 1607 and some Wine versions lack it), else
// LOGPIXELSY of `windowDc`, the window's own device context. 96 when neither
// gives a positive value (a null window and DC included). Windows tells a
// program that is not declared DPI-aware 96 from both, and stretches its
// window itself.
int32_t ReadWindowDpi(HWND window, HDC windowDc);
