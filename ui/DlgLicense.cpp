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
    if (message.message == kScrollToTopMessage && message.hwnd == Window()) {
        HWND box = GetDlgItem(Window(), IDC_LICENSE_TEXT);
        SendMessageW(box, EM_SETSEL, 0, 0);
        SendMessageW(box, EM_SCROLLCARET, 0, 0);
    }
    return CDialog::PreTranslateMessage(message);
}
