#include "ui/dialog_framework_win.h"

namespace {

CWinApp* g_app = nullptr;

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

}  // namespace

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

bool CWinApp::InitInstance() {
    instance_ = GetModuleHandleW(nullptr);
    return true;
}

int CWinApp::ExitInstance() {
    return exitCode_;
}

void CWinApp::SetRegistryKey(const wchar_t* name) {
    registryKey_ = name;
}

CWinApp* CWinApp::Current() {
    return g_app;
}

int RunApplication(CWinApp& app) {
    app.InitInstance();
    return app.ExitInstance();
}

CDialog::CDialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    HWND owner = parent_;
    CWinApp* app = CWinApp::Current();
    if (!owner && app && app->MainWindow && app->MainWindow != this)
        owner = app->MainWindow->Window();
    owner_ = owner;
    ownerDisabled_ = owner && IsWindowEnabled(owner);
    if (ownerDisabled_)
        EnableWindow(owner, FALSE);
    ended_ = false;
    result_ = -1;
    HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                   &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (hwnd && !ended_)
        RunModalLoop();
    // Again after the loop: a visible template is shown after an EndDialog
    // from OnInitDialog, and a loop ended by WM_QUIT had no EndDialog.
    if (hwnd)
        HideAndReleaseOwner();
    else if (ownerDisabled_)
        EnableWindow(owner, TRUE);
    ownerDisabled_ = false;
    owner_ = nullptr;
    if (hwnd)
        DestroyWindow(hwnd);
    return result_;
}

void CDialog::HideAndReleaseOwner() {
    // The owner gets its input back and the activation before the window
    // hides, so the activation does not wander to another program's window.
    bool wasActive = GetActiveWindow() == hwnd_;
    if (ownerDisabled_)
        EnableWindow(owner_, TRUE);
    ownerDisabled_ = false;
    if (owner_ && wasActive)
        SetActiveWindow(owner_);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
}

void CDialog::RunModalLoop() {
    // A dialog that is hidden when its loop begins is shown once its queue
    // first goes empty; one that hides itself later stays hidden.
    bool showWhenIdle = !IsWindowVisible(hwnd_);
    HWND dialog = hwnd_;
    while (!ended_) {
        MSG msg;
        if (showWhenIdle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ShowWindow(dialog, SW_SHOWNORMAL);
            UpdateWindow(dialog);
            showWhenIdle = false;
        }
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 0);
            break;
        }
        if (PreTranslateMessage(msg) || IsDialogMessageW(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void CDialog::EndDialog(INT_PTR result) {
    if (!hwnd_)
        return;
    result_ = result;
    ended_ = true;
    HideAndReleaseOwner();
    PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the loop
}

bool CDialog::OnInitDialog() {
    return true;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

std::optional<LRESULT> CDialog::OnMessage(UINT, WPARAM, LPARAM) {
    return std::nullopt;
}

void CDialog::OnDestroy() {}

bool CDialog::PreTranslateMessage(MSG&) {
    return false;
}

bool CDialog::SetTimer(UINT_PTR id, UINT periodMs) {
    return ::SetTimer(hwnd_, id, periodMs, nullptr) != 0;
}

void CDialog::KillTimer(UINT_PTR id) {
    ::KillTimer(hwnd_, id);
}

void CDialog::SetCapture() {
    ::SetCapture(hwnd_);
}

void CDialog::ReleaseCapture() {
    ::ReleaseCapture();
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
    }
    if (!self)
        return FALSE;
    INT_PTR result = self->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

// The framework's own part of the message map (initialisation, OK/Cancel,
// destruction), then the dialog's. FALSE means default processing.
INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog() ? TRUE : FALSE;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
                OnOK();
                return TRUE;
            }
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) {
                OnCancel();
                return TRUE;
            }
            break;
        case WM_DESTROY:
            OnDestroy();
            return TRUE;
        default:
            break;
    }
    std::optional<LRESULT> handled = OnMessage(message, wParam, lParam);
    if (!handled)
        return FALSE;
    if (ReturnsDirectly(message))
        return static_cast<INT_PTR>(*handled);
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, *handled);
    return TRUE;
}
