// The licence agreement dialog: the chosen licence text in a read-only box,
// opened scrolled to its beginning with nothing selected. Its caption is the
// template's "License Agreement" in every language. It has no buttons: the
// caption's close box, Escape or Enter end it (result unused), or the main
// dialog's closing timer does.
#pragma once

#include "ui/dialog_framework_win.h"

class CDlgLicense : public CDialog {
  public:
    // `text` (borrowed, may be null: an empty box) must outlive the dialog.
    explicit CDlgLicense(const wchar_t* text, HWND parent = nullptr);

    // Posted to itself at the end of initialisation: by the time the loop
    // takes it from the queue the system has focused the box (which selects
    // all of it), so the pre-filter resets selection and scroll position.
    static constexpr UINT kScrollToTopMessage = 1325;

  protected:
    bool OnInitDialog() override;
    bool PreTranslateMessage(MSG& message) override;

  private:
    const wchar_t* text_;
};
