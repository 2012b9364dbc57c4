// The application object: starts the graphics library, runs the main dialog
// modally with what the start-up resolved, and ends the process when it
// closes. There is no message loop of its own.
#pragma once

#include <cstdint>
#include <utility>

#include "ui/dialog_framework_win.h"
#include "ui/window_start.h"

class CTrovalisInstallV7App : public CWinApp {
  public:
    // The dialog takes over `start` (and the state it holds) when it runs.
    explicit CTrovalisInstallV7App(WindowStart start) : start_(std::move(start)) {}
    bool InitInstance() override;
    int ExitInstance() override;

  private:
    uintptr_t gdiplusToken_ = 0;  // from GdiplusStartup, returned at shut-down
    WindowStart start_;
};
