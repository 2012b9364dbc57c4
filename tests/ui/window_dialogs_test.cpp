// The dialog framework, the main dialog without a surface and the licence
// dialog, through the real dialog manager (run under Wine with a display).
#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/text_win.h"
#include "resources/resource_ids.h"
#include "ui/DlgLicense.h"
#include "ui/TrovalisInstallV7Dlg.h"
#include "ui/dialog_framework_win.h"

namespace {

// Runs `check` once the modal loop of the dialog under test is running, from
// a thread timer that the loop dispatches.
std::function<void()> g_check;

void CALLBACK RunCheck(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::function<void()> check = std::move(g_check);
    if (check)
        check();
}

void CheckWhileRunning(std::function<void()> check, UINT delayMs = 150) {
    g_check = std::move(check);
    SetTimer(nullptr, 0, delayMs, &RunCheck);
}

// A dialog on the licence template that records what the framework routes
// to it.
class CProbeDialog : public CDialog {
  public:
    CProbeDialog() : CDialog(IDD_LICENSE_DIALOG) {}
    int OkCalls = 0;
    int CancelCalls = 0;
    UINT_PTR LastTimer = 0;
    bool KeepOpen = false;

  protected:
    void OnOK() override {
        ++OkCalls;
        if (!KeepOpen)
            CDialog::OnOK();
    }
    void OnCancel() override {
        ++CancelCalls;
        if (!KeepOpen)
            CDialog::OnCancel();
    }
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        if (message != WM_TIMER)
            return std::nullopt;
        LastTimer = wParam;
        KillTimer(wParam);
        EndDialog(42);
        return 0;
    }

  public:
    void StartTimer(UINT_PTR id) { SetTimer(id, 10); }
};

// The main dialog in a window without a client area, where its off-screen
// surface cannot be made.
class CSurfacelessMainDialog : public CTrovalisInstallV7Dlg {
  public:
    CSurfacelessMainDialog() : CTrovalisInstallV7Dlg(WindowStart{}) {}

  protected:
    bool OnInitDialog() override {
        SetWindowPos(Window(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return CTrovalisInstallV7Dlg::OnInitDialog();
    }
};

struct OwnedBoxSearch {
    HWND Owner;
    HWND Found;
};

BOOL CALLBACK MatchOwnedBox(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<OwnedBoxSearch*>(context);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770" && GetWindow(window, GW_OWNER) == search->Owner &&
        IsWindowVisible(window)) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible message box of this thread owned by `owner`, or null.
HWND MessageBoxOwnedBy(HWND owner) {
    OwnedBoxSearch search = {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchOwnedBox, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

std::wstring LongLicenseText() {
    std::wstring text;
    for (int line = 1; line <= 200; ++line)
        text += L"Clause " + std::to_wstring(line) + L": the licensee agrees to everything.\r\n";
    return text;
}

class WindowDialogsTest : public ::testing::Test {
  protected:
    CWinApp app_;
};

// ---------------------------------------------------------------------------
// Dialog framework

// DoModal returns what EndDialog was given.
TEST_F(WindowDialogsTest, DoModalReturnsTheEndDialogResult) {
    CProbeDialog dialog;
    CheckWhileRunning([&] { dialog.EndDialog(7); });
    EXPECT_EQ(dialog.DoModal(), 7);
}

// Escape and Alt+F4 (the system menu's Close) both arrive as OnCancel, Enter
// as OnOK; with the overrides keeping it open the dialog stays.
TEST_F(WindowDialogsTest, CloseRequestsReachOnCancelAndOnOK) {
    CProbeDialog dialog;
    dialog.KeepOpen = true;
    int cancelCalls = 0;
    int okCalls = 0;
    CheckWhileRunning([&] {
        // The system's Close is posted on as a cancel command: look after it
        // has been handled.
        SendMessageW(dialog.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        SendMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        SendMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        CheckWhileRunning([&] {
            EXPECT_TRUE(IsWindow(dialog.Window()));
            cancelCalls = dialog.CancelCalls;
            okCalls = dialog.OkCalls;
            dialog.EndDialog(1);
        });
    });
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(cancelCalls, 2);
    EXPECT_EQ(okCalls, 1);
}

// A timer set through the framework arrives in the dialog's message map with
// its id.
TEST_F(WindowDialogsTest, TimersArriveInTheMessageMap) {
    CProbeDialog dialog;
    CheckWhileRunning([&] { dialog.StartTimer(5); }, 10);
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.LastTimer, 5u);
}

// An ended dialog hides at once, even while a nested modal loop that its
// page opened still runs, and its owner takes input again.
TEST_F(WindowDialogsTest, EndDialogHidesTheWindowAtOnce) {
    CProbeDialog main;
    app_.MainWindow = &main;
    bool hiddenAtOnce = false;
    bool ownerEnabled = false;
    CheckWhileRunning([&] {
        CProbeDialog inner;
        CheckWhileRunning([&] {
            inner.EndDialog(1);
            hiddenAtOnce = !IsWindowVisible(inner.Window());
            ownerEnabled = IsWindowEnabled(main.Window()) != 0;
            main.EndDialog(3);
            hiddenAtOnce = hiddenAtOnce && !IsWindowVisible(main.Window());
        });
        inner.DoModal();
    });
    EXPECT_EQ(main.DoModal(), 3);
    app_.MainWindow = nullptr;
    EXPECT_TRUE(hiddenAtOnce);
    EXPECT_TRUE(ownerEnabled);
}

// A dialog made without a parent is owned by the application's main window.
TEST_F(WindowDialogsTest, DialogWithoutParentIsOwnedByTheMainWindow) {
    CProbeDialog main;
    app_.MainWindow = &main;
    HWND owner = nullptr;
    HWND mainWindow = nullptr;
    CheckWhileRunning([&] {
        mainWindow = main.Window();
        CProbeDialog* inner = new CProbeDialog;
        CheckWhileRunning([&] {
            owner = GetWindow(inner->Window(), GW_OWNER);
            inner->EndDialog(1);
        });
        inner->DoModal();
        delete inner;
        main.EndDialog(1);
    });
    main.DoModal();
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_EQ(owner, mainWindow);
    app_.MainWindow = nullptr;
}

// ---------------------------------------------------------------------------
// Main dialog

// Without its off-screen surface the page cannot be seen, so the window says
// so in a message box and ends once it is answered: it never stays open with
// nothing to close it by.
TEST_F(WindowDialogsTest, MainDialogWithoutSurfaceSaysSoAndEnds) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    {
        CSurfacelessMainDialog dialog;
        std::wstring shown;
        bool stillOpen = false;
        int polls = 0;
        // Answers each message box of the dialog, keeping its text; a dialog
        // still open after three seconds is ended from here.
        std::function<void()> poll = [&] {
            if (HWND box = MessageBoxOwnedBy(dialog.Window())) {
                wchar_t text[256] = {};
                GetDlgItemTextW(box, 0xffff, text, 256);
                shown += std::wstring(text) + L"\n";
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
            if (++polls == 30) {
                stillOpen = true;
                dialog.EndDialog(1);
                return;
            }
            CheckWhileRunning(poll, 100);
        };
        CheckWhileRunning(poll, 100);
        dialog.DoModal();
        g_check = nullptr;  // a poll still pending must not outlive this test
        EXPECT_FALSE(stillOpen) << "the window stayed open";
        EXPECT_NE(shown.find(L"could not be drawn"), std::wstring::npos) << "shown: " << shown;
        EXPECT_EQ(dialog.ExitCodeOfRun(), ExitCode::Failed);
    }
    Gdiplus::GdiplusShutdown(token);
}

// ---------------------------------------------------------------------------
// Licence dialog

// It opens at the top of a long text with nothing selected, captioned
// "License Agreement", the text unchanged in its box.
TEST_F(WindowDialogsTest, LicenseDialogOpensAtTheTopWithNothingSelected) {
    std::wstring text = LongLicenseText();
    CDlgLicense dialog(text.c_str());
    DWORD start = 99;
    DWORD end = 99;
    LRESULT firstLine = -1;
    std::wstring shown;
    wchar_t caption[64] = {};
    CheckWhileRunning([&] {
        HWND box = GetDlgItem(dialog.Window(), IDC_LICENSE_TEXT);
        SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        firstLine = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
        shown.resize(GetWindowTextLengthW(box) + 1);
        GetWindowTextW(box, shown.data(), static_cast<int>(shown.size()));
        shown.pop_back();
        GetWindowTextW(dialog.Window(), caption, 64);
        dialog.EndDialog(1);
    });
    dialog.DoModal();
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
    EXPECT_EQ(firstLine, 0);
    EXPECT_EQ(shown, text);
    EXPECT_STREQ(caption, L"License Agreement");
}

// Without a licence text the box is empty.
TEST_F(WindowDialogsTest, LicenseDialogWithoutTextShowsAnEmptyBox) {
    CDlgLicense dialog(nullptr);
    int length = -1;
    CheckWhileRunning([&] {
        length = GetWindowTextLengthW(GetDlgItem(dialog.Window(), IDC_LICENSE_TEXT));
        dialog.EndDialog(1);
    });
    dialog.DoModal();
    EXPECT_EQ(length, 0);
}

// Escape closes the licence dialog (it keeps the framework's cancel).
TEST_F(WindowDialogsTest, LicenseDialogClosesOnEscape) {
    std::wstring text = L"Short licence.";
    CDlgLicense dialog(text.c_str());
    CheckWhileRunning([&] { PostMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

}  // namespace
