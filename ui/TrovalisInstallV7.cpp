#include "ui/TrovalisInstallV7.h"

#include <windows.h>

#include <gdiplus.h>

#include "engine/install_worker_win.h"
#include "ui/TrovalisInstallV7Dlg.h"

bool CTrovalisInstallV7App::InitInstance() {
    CWinApp::InitInstance();
    // Version 1, no debug callback, the library's background thread and
    // external codecs allowed.
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok)
        gdiplusToken_ = token;
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    CTrovalisInstallV7Dlg dialog(std::move(start_));
    MainWindow = &dialog;
    dialog.DoModal();
    MainWindow = nullptr;
    exitCode_ = static_cast<int>(dialog.ExitCodeOfRun());
    // No message loop: the process ends once the dialog has closed, but never
    // in the middle of an installation. A worker still running when the
    // window went (its release stopped it) ends its rollback first.
    WaitForInstallWorkers();
    return false;
}

int CTrovalisInstallV7App::ExitInstance() {
    if (gdiplusToken_)
        Gdiplus::GdiplusShutdown(gdiplusToken_);
    gdiplusToken_ = 0;
    return CWinApp::ExitInstance();
}
