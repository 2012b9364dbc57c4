#include "ui/DlgLicense.h"

#include "resources/resource_ids.h"

CDlgLicense::CDlgLicense(const wchar_t* text, HWND parent) : CDialog(IDD_LICENSE_DIALOG, parent), text_(text) {}

bool CDlgLicense::OnInitDialog() {
    CDialog::OnInitDialog();
    if (text_)
        SetDlgItemTextW(Window(), IDC_LICENSE_TEXT, text_);
    PostMessageW(Window(), kScrollToTopMessage, 0, 0);
    return true;
}

bool CDlgLicense::PreTranslateMessage(MSG& message) {
    // Enter is the dialog's OK: the read-only multi-line box would keep it
    // for itself, there being no default button to hand it to.
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
        (message.hwnd == Window() || IsChild(Window(), message.hwnd))) {
        OnOK();
        return true;
    }
    if (message.message == kScrollToTopMessage && message.hwnd == Window()) {
        HWND box = GetDlgItem(Window(), IDC_LICENSE_TEXT);
        SendMessageW(box, EM_SETSEL, 0, 0);
        SendMessageW(box, EM_SCROLLCARET, 0, 0);
    }
    return CDialog::PreTranslateMessage(message);
}
