// The main dialog: one skinned page (language choice, installation path,
// licence notice and link, close button, Install button in the status band)
// that turns into the progress display once Install is pressed, or runs
// hidden when script.ini accepts the licence, or at once and shown for
// /passive (no message box: problems go to the status band and the log). It shows the options the
// start-up resolved (ui/window_start.h) and resolves none itself.
//
// Lifecycle: Ready -> Starting (Install, StartTimer pending) -> Installing
// (worker running) -> Cancelling (close pressed) -> Closing (WorkerFinished,
// CloseTimer pending) -> Ended. Close while Ready or Starting ends the dialog
// at once. A hidden run hides the window on HideTimer's tick and closes 2 s
// after the worker's finish. An ended dialog is hidden at once and its page
// takes no more requests, so it never starts a worker.
//
// The keyboard reaches every control (ui/skin_focus.h): Tab and Shift+Tab
// move a focus outline in page order, Space and Enter act as a click on the
// focused control, the arrows switch between the language options, and
// Escape does what the close button does. Enter without a focused control,
// Alt+F4 and the system menu's Close do nothing. Screen readers read the
// page's parts through ui/skin_accessible_win.h.
//
// Beyond that lifecycle: a program without a usable package shows a message
// and keeps Install disabled (a hidden run ends at once); a window whose
// off-screen surface cannot be made says so and ends (a hidden run goes on
// without the picture); a worker thread that cannot be started is reported
// (a hidden run ends); a finish report that arrives while HideTimer is
// pending closes the window once that timer has run.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "config/language_choice.h"
#include "config/language_table.h"
#include "records/installer_state.h"
#include "records/run_outcome.h"
#include "ui/TrovalisInstallV7Timers.h"
#include "ui/dialog_framework_win.h"
#include "ui/skin_accessible_win.h"
#include "ui/skin_focus.h"
#include "ui/skin_surface_win.h"
#include "ui/window_start.h"

class CDlgLicense;

class CTrovalisInstallV7Dlg : public CDialog {
  public:
    explicit CTrovalisInstallV7Dlg(WindowStart start);
    ~CTrovalisInstallV7Dlg() override;

    // The program's exit code, from how the run ended.
    ExitCode ExitCodeOfRun() const { return exitCode_; }

  protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    bool PreTranslateMessage(MSG& message) override;

  private:
    void OnPaint();
    void OnMouseMove(int x, int y);
    void OnLButtonDown(int x, int y);
    void OnLButtonUp(int x, int y);
    void OnTimer(UINT_PTR id);
    void OnCopyData(const COPYDATASTRUCT& report);
    void OnButtonClicked(CSkinButton* button);
    void OnLanguageChoice(CSkinOption* option);

    void ShowStartOptions();
    void ApplyStartLanguage();
    void StartUnattended();
    // Install was pressed: the worker is starting or running (or has run).
    bool InstallBegun() const;
    void BeginInstall();
    void StartInteractiveInstall();
    void CloseOrCancel();
    void BrowseForInstallFolder();
    void OpenLicenseDialog();
    void OnWorkerFinished();
    void ShowPathInBox();
    void ShowProblem(const wchar_t* english, const wchar_t* chinese);
    bool InsideLicenseLink(int x, int y) const;
    void Arm(DialogTimer timer);
    void Disarm(DialogTimer timer);

    // Keyboard: whether the key was the page's; the focus outline; a key's
    // activation, as a click on the target; the focus moved on when its
    // control went away.
    bool OnKey(WPARAM virtualKey, LPARAM keyData);
    void MoveFocus(FocusTarget focus);
    void Activate(FocusTarget target);
    void KeepFocus();
    // The status band's text, told to screen readers as well.
    void ShowStatusText(const wchar_t* text);

    HMODULE resourceInstance_ = nullptr;
    SkinPage page_;  // surface, layout, page colours, logo and controls
    std::optional<std::u16string> licenseText_;
    std::u16string fullInstallPath_;  // at most 259 units
    LanguageChoiceState language_;    // the dialog language and the current choice
    POINT dragAnchor_ = {0, 0};
    bool linkPressed_ = false;
    bool dragging_ = false;
    bool installing_ = false;
    bool hiddenMode_ = false;
    DialogTimerState timers_;  // ActiveTimer and a finish remembered during HideTimer
    RECT savedWindowRect_ = {0, 0, 0, 0};
    HICON icon_ = nullptr;

    std::unique_ptr<LanguageTable> table_;
    std::shared_ptr<InstallerState> state_;
    InstallOptions options_;
    CDlgLicense* openLicense_ = nullptr;
    FocusTarget focus_ = FocusTarget::None;
    std::unique_ptr<PageAccessibility> accessibility_;  // made with the controls

    uint32_t licenseLangId_ = 0;  // the language the licence text is chosen for
    bool installAtOnce_ = false;  // script.ini accepted the licence: a hidden run
    bool passive_ = false;        // /passive: installs at once, shown, with no message box
    bool failureShown_ = false;   // a failure report's message box was shown
    bool packageLoaded_ = false;
    ExitCode exitCode_ = ExitCode::Success;
};
