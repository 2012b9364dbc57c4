// A thin dialog framework: an application object whose InitInstance and
// ExitInstance run from wWinMain, and modal dialogs made from dialog
// templates, each with its own message map (a virtual handler), a message
// pre-filter, timers and mouse capture. Only what the installer's window
// needs; no documents, frames or application message loop.
//
// A modal dialog runs its own loop rather than the system's DialogBox loop:
// the system's loop shows a hidden dialog the first time its queue goes
// empty, whereas a dialog here that was visible when its loop began stays
// hidden once it hides itself (the unattended run depends on that).
#pragma once

#include <windows.h>

#include <optional>

class CDialog;

// The application object. One per process; Current() finds it.
class CWinApp {
  public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Base initialisation: records the module instance. Overrides run it
    // first and return false when the process should end without a loop.
    virtual bool InitInstance();
    // Base shut-down; its result is the process exit code.
    virtual int ExitInstance();

    // Remembers the registry key name for profile settings. The installer
    // keeps no profile settings, so the name is only recorded.
    void SetRegistryKey(const wchar_t* name);

    HINSTANCE Instance() const { return instance_; }
    // The dialog that owns dialogs created without an explicit parent.
    CDialog* MainWindow = nullptr;

    static CWinApp* Current();

  protected:
    int exitCode_ = 0;

  private:
    HINSTANCE instance_ = nullptr;
    const wchar_t* registryKey_ = nullptr;
};

// Runs the application from wWinMain: InitInstance, then (when it returns
// true there would be a message loop; this framework has none and ends as if
// the loop ended at once) ExitInstance, whose result is returned.
int RunApplication(CWinApp& app);

// A modal dialog on a dialog template of the program's own resources.
class CDialog {
  public:
    // `parent` null: the application's main window (if any and if it is not
    // this dialog) becomes the owner.
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the dialog from its template, disables its owner and runs the
    // dialog's message loop until EndDialog; then destroys the window.
    // Returns the EndDialog result, or -1 when the dialog could not be made.
    INT_PTR DoModal();
    // Ends the modal run with `result`. As the system's EndDialog does, it
    // hides the window and gives the owner back its input and activation at
    // once; the loop returns once the current message (or a nested modal
    // loop, such as a picker opened from a click) returns. Also valid within
    // OnInitDialog: the dialog then never runs.
    void EndDialog(INT_PTR result);
    // EndDialog has been called for the current run: the dialog no longer
    // takes requests from its page.
    bool Ended() const { return ended_; }

    HWND Window() const { return hwnd_; }
    UINT TemplateId() const { return templateId_; }

  protected:
    // WM_INITDIALOG. Return true to let the system put the focus on the
    // first control.
    virtual bool OnInitDialog();
    // IDOK (Enter) and IDCANCEL (Escape, Alt+F4, the system menu's Close);
    // the defaults end the dialog with IDOK or IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // The dialog's message map: a handled message returns its result; an
    // unhandled one (std::nullopt) gets the system's default processing.
    virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_DESTROY of the dialog's window; overrides run the base first.
    virtual void OnDestroy();
    // Sees every message the dialog's loop takes from the queue before the
    // dialog manager and the window do; true means it was dealt with.
    virtual bool PreTranslateMessage(MSG& message);

    // Timers: a WM_TIMER with `id` arrives every `periodMs` until killed.
    bool SetTimer(UINT_PTR id, UINT periodMs);
    void KillTimer(UINT_PTR id);
    // Mouse capture: the window gets the pointer's messages while captured.
    void SetCapture();
    void ReleaseCapture();

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void RunModalLoop();
    // Hides the window and, once per run, re-enables the owner that DoModal
    // disabled, handing it the activation when the dialog had it.
    void HideAndReleaseOwner();

    UINT templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    bool ownerDisabled_ = false;  // DoModal disabled owner_ and has not re-enabled it
    bool ended_ = false;
    INT_PTR result_ = -1;
};
