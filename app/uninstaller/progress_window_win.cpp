// The uninstaller's progress window: one line per stage of the removal and
// the result. The window's thread pumps while the removal runs on a thread
// of its own.
#include "app/uninstaller/progress_window_win.h"

#include "app/uninstaller/uninstall_texts.h"
#include "platform/text_win.h"

namespace {

constexpr UINT kStageMessage = WM_APP + 1;  // wParam: RemovalStage
constexpr UINT kDoneMessage = WM_APP + 2;   // wParam: ExitCode
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kCloseDelayMs = 2000;
constexpr int kCloseButtonId = 1;

struct WindowRun {
    CopyRun& Run;
    ExitCode (*Remove)(CopyRun&);
};

UninstallText StageText(RemovalStage stage) {
    switch (stage) {
        case RemovalStage::StoppingPrograms:
            return UninstallText::StoppingPrograms;
        case RemovalStage::UndoingRecords:
            return UninstallText::UndoingRecords;
        default:
            return UninstallText::RemovingFolders;
    }
}

DWORD WINAPI RemovalThread(void* parameter) {
    WindowRun& windowRun = *static_cast<WindowRun*>(parameter);
    CopyRun& run = windowRun.Run;
    run.Code = windowRun.Remove(run);
    PostMessageW(run.Window, kDoneMessage, static_cast<WPARAM>(run.Code), 0);
    return 0;
}

void AddLine(CopyRun& run, const std::u16string& text) {
    const LRESULT index = SendMessageW(run.Lines, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WidePtr(text)));
    SendMessageW(run.Lines, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void ShowResult(CopyRun& run, ExitCode code) {
    const UninstallText text = code == ExitCode::Success                ? UninstallText::Removed
                               : code == ExitCode::RestartRequired      ? UninstallText::RemovedAtRestart
                               : code == ExitCode::AnotherRunInProgress ? UninstallText::Busy
                               : code == ExitCode::NothingToRemove      ? UninstallText::NothingToRemove
                                                                        : UninstallText::NotRemoved;
    AddLine(run, UninstallTextOf(text, run.Request.LangId, run.Product));
    HWND button = GetDlgItem(run.Window, kCloseButtonId);
    EnableWindow(button, TRUE);
    SetFocus(button);
    // Like the installer's window: a success closes by itself, anything else
    // stays until the user has read it, unless nobody is asked to (/passive).
    if (code == ExitCode::Success || run.Request.Passive)
        SetTimer(run.Window, kCloseTimer, kCloseDelayMs, nullptr);
}

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = reinterpret_cast<CopyRun*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case kStageMessage:
            AddLine(*run,
                    UninstallTextOf(StageText(static_cast<RemovalStage>(wParam)), run->Request.LangId, run->Product));
            return 0;
        case kDoneMessage:
            ShowResult(*run, static_cast<ExitCode>(wParam));
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kCloseButtonId)
                DestroyWindow(window);
            return 0;
        case WM_TIMER:
            DestroyWindow(window);
            return 0;
        case WM_CLOSE:
            // A removal cannot be interrupted: the window goes only once it is done.
            if (IsWindowEnabled(GetDlgItem(window, kCloseButtonId)))
                DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool CreateProgressWindow(CopyRun& run) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ProgressProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"TrovalisUninstallProgress";
    RegisterClassW(&windowClass);
    const std::u16string title = UninstallTextOf(UninstallText::ProgressTitle, run.Request.LangId, run.Product);
    run.Window =
        CreateWindowExW(0, windowClass.lpszClassName, WidePtr(title), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                        CW_USEDEFAULT, CW_USEDEFAULT, 520, 260, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!run.Window)
        return false;
    SetWindowLongPtrW(run.Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&run));
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    run.Lines = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOSEL,
                                12, 12, 480, 150, run.Window, nullptr, windowClass.hInstance, nullptr);
    const std::u16string close = UninstallTextOf(UninstallText::Close, run.Request.LangId, run.Product);
    HWND button =
        CreateWindowExW(0, L"BUTTON", WidePtr(close), WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_DEFPUSHBUTTON, 392, 175,
                        100, 28, run.Window, reinterpret_cast<HMENU>(kCloseButtonId), windowClass.hInstance, nullptr);
    SendMessageW(run.Lines, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ShowWindow(run.Window, SW_SHOWNORMAL);
    return true;
}

}  // namespace

void PaceProgressWindow(uint32_t ms, void*) {
    Sleep(ms);
}

void ShowStage(const CopyRun& run, RemovalStage stage) {
    if (run.Window)
        PostMessageW(run.Window, kStageMessage, static_cast<WPARAM>(stage), 0);
}

ExitCode RemoveWithProgress(CopyRun& run, ExitCode (*remove)(CopyRun&)) {
    if (!CreateProgressWindow(run))
        return remove(run);
    WindowRun windowRun{run, remove};
    UniqueThread thread(CreateThread(nullptr, 0, RemovalThread, &windowRun, 0, nullptr));
    if (!thread) {
        DestroyWindow(run.Window);
        return ExitCode::Failed;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(run.Window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    WaitForSingleObject(thread.Get(), INFINITE);
    return run.Code;
}
