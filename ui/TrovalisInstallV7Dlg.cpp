#include "ui/TrovalisInstallV7Dlg.h"

#include <windowsx.h>

#include "engine/install_sequence_win.h"
#include "engine/install_worker_win.h"
#include "platform/base_folder_text_win.h"
#include "platform/product_constants.h"
#include "platform/run_log.h"
#include "platform/text_win.h"
#include "records/install_path.h"
#include "resources/resource_ids.h"
#include "ui/DlgLicense.h"
#include "ui/folder_picker_win.h"
#include "ui/license_text.h"
#include "ui/skin_focus_win.h"
#include "ui/status_text.h"
#include "ui/window_report_sink_win.h"

namespace {

// Posted at the end of initialisation when the program has no usable
// package, so the message appears over the visible window.
constexpr UINT kShowNoPackageMessage = WM_APP + 1;
// Posted the same way when the off-screen surface could not be made: the page
// cannot be seen, so an interactive run says so and ends.
constexpr UINT kShowNoSurfaceMessage = WM_APP + 2;

}  // namespace

CTrovalisInstallV7Dlg::CTrovalisInstallV7Dlg(WindowStart start)
    : CDialog(IDD_MAIN_DIALOG),
      fullInstallPath_(std::move(start.FullInstallPath)),
      state_(start.State ? std::move(start.State) : std::make_shared<InstallerState>()),
      options_(start.Options),
      licenseLangId_(start.LicenseLangId),
      installAtOnce_(start.Options.Unattended && !start.Passive),
      passive_(start.Passive),
      packageLoaded_(start.PackageLoaded) {
    resourceInstance_ = GetModuleHandleW(nullptr);
    icon_ = LoadIconW(resourceInstance_, MAKEINTRESOURCEW(IDI_APP_ICON));
}

CTrovalisInstallV7Dlg::~CTrovalisInstallV7Dlg() = default;

// ---------------------------------------------------------------------------
// Start-up

bool CTrovalisInstallV7Dlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    SetWindowTextW(Window(), reinterpret_cast<const wchar_t*>(kWindowTitle));

    CreateSurface(page_, Window(), resourceInstance_, savedWindowRect_);
    std::unique_ptr<Gdiplus::Graphics> graphics = OpenDrawingContext(page_);
    ComputeLayout(page_);
    if (graphics)
        DrawBackground(*graphics, page_);
    // Without a surface the controls are made all the same: every step after
    // this one works on them, and a hidden run needs no picture.
    CreateControls(graphics.get(), page_);
    const bool pageDrawn = graphics != nullptr;
    accessibility_ = std::make_unique<PageAccessibility>(Window(), [this] {
        return table_ ? DescribePage(page_, *table_, focus_, fullInstallPath_, language_.LangId)
                      : std::vector<AccessibleItem>();
    });

    linkPressed_ = dragging_ = installing_ = false;
    timers_ = {};
    openLicense_ = nullptr;
    options_.OwnerWindow = Window();
    options_.Reports = &WindowReportSink();
    options_.Unattended = false;

    ShowStartOptions();
    hiddenMode_ = false;
    ApplyStartLanguage();
    if (installAtOnce_)
        StartUnattended();
    else if (passive_ && packageLoaded_ && graphics)
        BeginInstall();  // as if Install had been pressed

    if (graphics && table_ && page_.InstallButton)
        DrawPageTexts(*graphics, page_, *table_);
    graphics.reset();

    if (hiddenMode_) {
        ShowWindow(Window(), SW_HIDE);
        PostMessageW(Window(), WM_SHOWWINDOW, 0, 0);
        OutputDebugStringW(L"HIDE...\r\n");
    } else if (!pageDrawn) {
        PostMessageW(Window(), kShowNoSurfaceMessage, 0, 0);
    } else if (!packageLoaded_) {
        if (page_.InstallButton)
            page_.InstallButton->SetDisabled();
        PostMessageW(Window(), kShowNoPackageMessage, 0, 0);
    }
    return true;
}

void CTrovalisInstallV7Dlg::ShowStartOptions() {
    table_ = std::make_unique<LanguageTable>();
    if (!packageLoaded_)
        exitCode_ = ExitCode::BadPackage;
    // The licence text is chosen once, for the language the run starts in.
    licenseText_ = SelectLicenseText(*state_, licenseLangId_);
    ShowPathInBox();
}

void CTrovalisInstallV7Dlg::ApplyStartLanguage() {
    LanguageRedraw redraw = ApplyLanguage(options_.LangId, language_, *table_, options_);
    RedrawLanguage(page_, language_, redraw, *table_);
}

void CTrovalisInstallV7Dlg::StartUnattended() {
    hiddenMode_ = true;
    if (!packageLoaded_) {
        // Nothing to install: end before the window is ever shown.
        EndDialog(IDOK);
        return;
    }
    Arm(DialogTimer::Hide);
    options_.Unattended = true;
    if (!StartInstallWorker(state_, options_, &InstallWorker)) {
        Disarm(DialogTimer::Hide);
        exitCode_ = ExitCode::Failed;  // the installation's thread could not be started
        EndDialog(IDOK);
    }
}

void CTrovalisInstallV7Dlg::ShowPathInBox() {
    if (!page_.PathBox)
        return;
    page_.PathBox->SetText(WidePtr(fullInstallPath_));
    SendMessageW(Window(), UM_PATHBOX_REDRAW, reinterpret_cast<WPARAM>(page_.PathBox.get()), 0);
}

// ---------------------------------------------------------------------------
// Message map

std::optional<LRESULT> CTrovalisInstallV7Dlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(icon_);
        case WM_MOUSEMOVE:
            OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            OnLButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONUP:
            OnLButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        // The control messages name their control in wParam. Any program that
        // can post to the window can send them too: only the page's own
        // controls are acted on.
        case UM_PATHBOX_REDRAW:
            if (CPathBox* box = PathBoxOfMessage(page_, wParam))
                RepaintPathBox(page_, box);
            return 0;
        case UM_BUTTON_REDRAW:
            if (CSkinButton* button = ButtonOfMessage(page_, wParam))
                RepaintButton(page_, button);
            return 0;
        case UM_BUTTON_CLICKED:
            if (CSkinButton* button = ButtonOfMessage(page_, wParam)) {
                RepaintButton(page_, button);
                OnButtonClicked(button);
            }
            return 0;
        case UM_OPTION_REDRAW:
            if (CSkinOption* option = OptionOfMessage(page_, wParam))
                RepaintOption(page_, option);
            return 0;
        case UM_OPTION_CLICKED:
            if (CSkinOption* option = OptionOfMessage(page_, wParam))
                OnLanguageChoice(option);
            return 0;
        case WM_KEYDOWN:  // from another loop, such as the folder picker's
            return OnKey(wParam, lParam) ? std::optional<LRESULT>(0) : std::nullopt;
        case WM_GETOBJECT:
            return accessibility_ ? accessibility_->OnGetObject(wParam, lParam) : std::nullopt;
        case kAccessibleActivateMessage:
            // Not while the licence dialog disables the window, as for the pointer.
            if (wParam >= 1 && wParam <= static_cast<WPARAM>(kFocusTargetCount) && IsWindowEnabled(Window()))
                Activate(static_cast<FocusTarget>(wParam));
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return std::nullopt;  // default processing afterwards
        case WM_COPYDATA:
            if (lParam)
                OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            return 0;
        case WM_MOVE:
            GetWindowRect(Window(), &savedWindowRect_);
            return std::nullopt;
        case kShowNoPackageMessage:
            ShowProblem(L"This installer carries no usable package, so nothing can be installed.",
                        L"安装程序中没有可用的安装包，无法安装。");
            return 0;
        case kShowNoSurfaceMessage:
            ShowProblem(L"The installer's window could not be drawn, so nothing can be installed.",
                        L"无法绘制安装程序窗口，无法安装。");
            exitCode_ = ExitCode::Failed;
            EndDialog(IDOK);
            return 0;
        default:
            return std::nullopt;
    }
}

void CTrovalisInstallV7Dlg::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Window(), &paint);
    if (IsIconic(Window())) {
        SendMessageW(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        int x = (page_.Surface.Width - GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (page_.Surface.Height - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, icon_);
    } else {
        CopySurfaceTo(page_, dc);
        OutputDebugStringW(L"BitBlt...\r\n");
    }
    EndPaint(Window(), &paint);
}

// ---------------------------------------------------------------------------
// Pointer

bool CTrovalisInstallV7Dlg::InsideLicenseLink(int x, int y) const {
    return StrictlyInside(page_.Layout.LicenseLinkRect, x, y);
}

void CTrovalisInstallV7Dlg::OnMouseMove(int x, int y) {
    if (dragging_) {
        POINT p = {x, y};
        ClientToScreen(Window(), &p);
        int left = savedWindowRect_.left + p.x - dragAnchor_.x;
        int top = savedWindowRect_.top + p.y - dragAnchor_.y;
        // A step landing exactly on 0 is skipped, anchor included.
        if (left == 0 || top == 0)
            return;
        MoveWindow(Window(), left, top, savedWindowRect_.right - savedWindowRect_.left,
                   savedWindowRect_.bottom - savedWindowRect_.top, TRUE);
        dragAnchor_ = p;
        return;
    }
    for (CSkinButton* button : {page_.BrowseButton.get(), page_.CloseButton.get(), page_.InstallButton.get()})
        if (button)
            button->HoverTest(x, y);
    for (CSkinOption* option : {page_.ChineseOption.get(), page_.EnglishOption.get()})
        if (option)
            option->HoverTest(x, y);
    SetCursor(LoadCursorW(nullptr, InsideLicenseLink(x, y) ? IDC_HAND : IDC_ARROW));
}

void CTrovalisInstallV7Dlg::OnLButtonDown(int x, int y) {
    SetCapture();
    bool hit = false;
    for (CSkinButton* button : {page_.BrowseButton.get(), page_.CloseButton.get(), page_.InstallButton.get()})
        if (button && button->PressTest(x, y))
            hit = true;
    for (CSkinOption* option : {page_.ChineseOption.get(), page_.EnglishOption.get()})
        if (option && option->PressTest(x, y))
            hit = true;
    linkPressed_ = InsideLicenseLink(x, y);
    hit = hit || linkPressed_;
    SetCursor(LoadCursorW(nullptr, linkPressed_ ? IDC_HAND : IDC_ARROW));
    dragging_ = !hit;
    if (dragging_) {
        dragAnchor_ = {x, y};
        ClientToScreen(Window(), &dragAnchor_);
    }
}

void CTrovalisInstallV7Dlg::OnLButtonUp(int x, int y) {
    // Capture goes first: the click actions may run modal loops (folder
    // picker, licence dialog) that need the pointer for themselves.
    ReleaseCapture();
    for (CSkinButton* button : {page_.BrowseButton.get(), page_.CloseButton.get(), page_.InstallButton.get()})
        if (button)
            button->ReleaseTest(x, y);
    for (CSkinOption* option : {page_.ChineseOption.get(), page_.EnglishOption.get()})
        if (option)
            option->ReleaseTest(x, y);
    if (linkPressed_ && InsideLicenseLink(x, y))
        OpenLicenseDialog();
    linkPressed_ = false;
    if (dragging_) {
        GetWindowRect(Window(), &savedWindowRect_);
        dragging_ = false;
    }
}

void CTrovalisInstallV7Dlg::OpenLicenseDialog() {
    std::wstring text = licenseText_ ? ToWide(*licenseText_) : std::wstring();
    CDlgLicense dialog(licenseText_ ? text.c_str() : nullptr);
    openLicense_ = &dialog;
    dialog.DoModal();
    openLicense_ = nullptr;
}

// ---------------------------------------------------------------------------
// Controls' clicks

void CTrovalisInstallV7Dlg::OnButtonClicked(CSkinButton* button) {
    // An ended dialog is on its way out (a nested loop, such as the folder
    // picker's, still runs): its page takes no more requests.
    if (!button || Ended())
        return;
    if (button == page_.CloseButton.get())
        CloseOrCancel();
    else if (button == page_.BrowseButton.get())
        BrowseForInstallFolder();
    else if (button == page_.InstallButton.get())
        BeginInstall();
    KeepFocus();
}

void CTrovalisInstallV7Dlg::OnLanguageChoice(CSkinOption* option) {
    LanguageChoice clicked = ChoiceOfOption(page_, option);
    LanguageRedraw redraw = ::OnLanguageChoice(clicked, language_, *table_, options_);
    RedrawLanguage(page_, language_, redraw, *table_);
    if (redraw.WholeWindow && accessibility_)
        accessibility_->NotifyLanguageChanged();
}

bool CTrovalisInstallV7Dlg::InstallBegun() const {
    return installing_ || timers_.Active == DialogTimer::Start;
}

void CTrovalisInstallV7Dlg::BeginInstall() {
    if (!packageLoaded_ || Ended())
        return;  // no package: Install stays disabled and does nothing
    page_.InstallButton->SetDisabled();
    page_.InstallButton->SetVisible(false);
    page_.BrowseButton->SetDisabled();
    page_.ChineseOption->SetDisabled();
    page_.EnglishOption->SetDisabled();
    Arm(DialogTimer::Start);
}

void CTrovalisInstallV7Dlg::StartInteractiveInstall() {
    if (Ended())
        return;  // an ended dialog never starts a worker
    options_.Unattended = false;
    if (StartInstallWorker(state_, options_, &InstallWorker)) {
        installing_ = true;
        return;
    }
    // No thread, no installation: say so and leave the window closable.
    exitCode_ = ExitCode::Failed;
    ShowProblem(L"The installation could not be started.", L"无法启动安装。");
    if (passive_)
        EndDialog(IDOK);  // nothing more will happen, and nobody is there to close it
}

void CTrovalisInstallV7Dlg::CloseOrCancel() {
    if (!installing_) {
        Disarm(DialogTimer::Start);
        EndDialog(IDOK);
        return;
    }
    StopInstallWorker(*state_);
    page_.CloseButton->SetDisabled();
}

void CTrovalisInstallV7Dlg::BrowseForInstallFolder() {
    std::optional<std::u16string> folder = PickFolder();
    // The picker has no owner, so nothing gives the keyboard back to the
    // page but this; and the page went on meanwhile: a choice made after
    // Install (or after the dialog ended) comes too late to count.
    if (!Ended())
        SetForegroundWindow(Window());
    if (!folder || Ended() || InstallBegun())
        return;
    // The picker also offers network folders and libraries: only a plain
    // folder on a local fixed drive may hold programs run with these rights.
    const std::optional<std::u16string> canonical = JudgeBaseFolderText(*folder);
    if (!canonical) {
        ShowProblem(
            L"This folder cannot hold the installation. Please choose a folder on a local fixed drive "
            L"whose names contain none of & ^ ( ) ! %.",
            L"此目录不能用于安装，请选择本地固定磁盘上名称不含 & ^ ( ) ! % 的目录。");
        return;
    }
    std::u16string company = state_->Tree ? state_->Company : std::u16string();
    std::optional<InstallPathChoice> choice = InstallPathForFolder(*canonical, company, state_->Product);
    if (!choice) {
        ShowProblem(L"The installation path would be longer than 259 characters. Please choose a shorter folder.",
                    L"安装路径超过 259 个字符，请选择较短的目录。");
        return;
    }
    options_.BaseFolder = choice->BaseFolder;
    fullInstallPath_ = choice->FullInstallPath;
    ShowPathInBox();
}

void CTrovalisInstallV7Dlg::ShowProblem(const wchar_t* english, const wchar_t* chinese) {
    const wchar_t* text = language_.LangId == kLangChinese ? chinese : english;
    if (passive_) {
        // Nobody is asked to read it: the band shows it and the log keeps it.
        WriteLogLine("error", FromWide(english));
        ShowStatusText(text);
        return;
    }
    MessageBoxW(Window(), text, reinterpret_cast<const wchar_t*>(kWindowTitle), MB_OK | MB_ICONERROR);
}

// ---------------------------------------------------------------------------
// Timers and reports

void CTrovalisInstallV7Dlg::Arm(DialogTimer timer) {
    ArmTimer(timers_, timer);
    SetTimer(static_cast<UINT_PTR>(timer), TimerPeriodMs(timer));
}

void CTrovalisInstallV7Dlg::Disarm(DialogTimer timer) {
    if (TakeTimer(timers_, timer))
        KillTimer(static_cast<UINT_PTR>(timer));
}

void CTrovalisInstallV7Dlg::OnTimer(UINT_PTR id) {
    auto timer = static_cast<DialogTimer>(id);
    KillTimer(id);  // every timer acts once
    if (!TakeTimer(timers_, timer))
        return;  // not the pending timer: it has acted already
    if (timer == DialogTimer::Start) {
        StartInteractiveInstall();
    } else if (timer == DialogTimer::Close) {
        if (openLicense_) {
            openLicense_->EndDialog(IDOK);
            openLicense_ = nullptr;
        }
        EndDialog(IDOK);
    } else if (timer == DialogTimer::Hide) {
        ShowWindow(Window(), SW_HIDE);
        if (AfterHideTimer(timers_) == DialogTimer::Close)
            SetTimer(static_cast<UINT_PTR>(DialogTimer::Close), TimerPeriodMs(DialogTimer::Close));
    }
}

void CTrovalisInstallV7Dlg::OnWorkerFinished() {
    if (OnFinishReport(timers_) == DialogTimer::Close)
        SetTimer(static_cast<UINT_PTR>(DialogTimer::Close), TimerPeriodMs(DialogTimer::Close));
}

void CTrovalisInstallV7Dlg::OnCopyData(const COPYDATASTRUCT& report) {
    std::u16string detail = ReadReportText(report.lpData, report.cbData);
    ReportReaction reaction = ReactionToReport(static_cast<uint32_t>(report.dwData), detail, *table_);
    switch (reaction.Kind) {
        case ReportReactionKind::ShowStatus:
            ShowStatusText(WidePtr(reaction.Text));
            break;
        case ReportReactionKind::MessageBox:
            exitCode_ = ExitCode::Failed;
            failureShown_ = true;
            // The report sink has logged it already; a passive run waits for
            // nobody.
            if (passive_)
                ShowStatusText(WidePtr(reaction.Text));
            else
                MessageBoxW(Window(), WidePtr(reaction.Text), WidePtr(reaction.Caption), MB_OK);
            break;
        case ReportReactionKind::Finish:
            OnWorkerFinished();
            break;
        case ReportReactionKind::Ignore:
            break;
    }
    if (report.dwData == static_cast<ULONG_PTR>(ProgressCode::RolledBack))
        exitCode_ = failureShown_ ? ExitCode::Failed : ExitCode::UserCancelled;
    if (report.dwData == static_cast<ULONG_PTR>(ProgressCode::RestartNeeded)) {
        exitCode_ = ExitCode::RestartRequired;
        // The package's texts have no line for it, so it is the window's own.
        ShowStatusText(language_.LangId == kLangChinese
                           ? L"安装已完成。正在使用的文件将在计算机重新启动后替换。"
                           : L"Installation complete. Files that were in use are replaced when the computer restarts.");
    }
}

void CTrovalisInstallV7Dlg::ShowStatusText(const wchar_t* text) {
    ShowStatus(page_, text);
    if (accessibility_)
        accessibility_->NotifyStatusChanged();
}

// ---------------------------------------------------------------------------
// Keyboard

bool CTrovalisInstallV7Dlg::PreTranslateMessage(MSG& message) {
    // Before the dialog manager, which would take Tab, Enter, Escape and the
    // arrows for its own (absent) child controls.
    if (message.message == WM_KEYDOWN && message.hwnd == Window())
        return OnKey(message.wParam, message.lParam);
    return CDialog::PreTranslateMessage(message);
}

bool CTrovalisInstallV7Dlg::OnKey(WPARAM virtualKey, LPARAM keyData) {
    const std::optional<FocusKey> key = FocusKeyOf(virtualKey);
    if (!key || !page_.CloseButton || !table_ || Ended())
        return false;
    const FocusOutcome outcome = OnFocusKey(focus_, *key, AvailableFocus(page_));
    MoveFocus(outcome.Focus);
    // A key held down acts once: its repeats would go on to act on the
    // control the focus moves to (Install, then close).
    const bool repeat = (keyData & (1 << 30)) != 0;
    if (repeat && (*key == FocusKey::Space || *key == FocusKey::Enter || *key == FocusKey::Escape))
        return true;
    if (outcome.Close)
        KeyActivate(page_.CloseButton->Core);  // a disabled close button does nothing, as for the pointer
    else if (outcome.Activate != FocusTarget::None)
        Activate(outcome.Activate);
    return true;
}

void CTrovalisInstallV7Dlg::MoveFocus(FocusTarget focus) {
    if (focus == focus_ || !table_)
        return;
    focus_ = focus;
    ShowFocus(page_, focus_, *table_);
    if (accessibility_)
        accessibility_->NotifyFocus(focus_);
}

void CTrovalisInstallV7Dlg::Activate(FocusTarget target) {
    if (Ended())
        return;
    if (target == FocusTarget::LicenseLink) {
        OpenLicenseDialog();  // the link works in every visible state
        return;
    }
    // The control's click notification runs its action (OnButtonClicked,
    // OnLanguageChoice), exactly as a pointer click does.
    if (ControlCore* control = ControlOfTarget(page_, target))
        KeyActivate(*control);
}

void CTrovalisInstallV7Dlg::KeepFocus() {
    MoveFocus(KeptFocus(focus_, AvailableFocus(page_)));
}

// ---------------------------------------------------------------------------
// Destruction

void CTrovalisInstallV7Dlg::OnDestroy() {
    CDialog::OnDestroy();
    accessibility_.reset();  // clients still holding the page's object are cut off
    Disarm(timers_.Active);
    ReleaseSkinPage(page_);
    table_.reset();
    ReleaseInstallerState(state_);
    licenseText_.reset();
}
