// The application object: starts the graphics library, runs the main dialog
// modally and ends the process when it closes. There is no message loop of
// its own.
#pragma once

#include <cstdint>

#include "records/run_outcome.h"
#include "ui/dialog_framework_win.h"

class CTrovalisInstallV7App : public CWinApp {
  public:
    explicit CTrovalisInstallV7App(const CommandLineOptions& options) : options_(options) {}
    bool InitInstance() override;
    int ExitInstance() override;

  private:
    uintptr_t gdiplusToken_ = 0;  // from GdiplusStartup, returned at shut-down
    CommandLineOptions options_;
};
