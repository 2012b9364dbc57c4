// Uninstall.exe: removes the installation it lies in, through the
// uninstall.log beside it, with the same removal code (and the same checks on
// what a log may name) as the installer's removal of an earlier version. It
// names no product: the log's header gives the base folder, company and
// product, the product key the language.
//
// The process that Windows, a deployment tool or a script starts checks the
// log, asks for confirmation unless quiet, and hands the work to a copy of
// itself in a private temporary folder (uninstall_copy_win.h). It ends only
// when the copy reports that the product is gone.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/run_contract.h"
#include "engine/uninstall_log.h"
#include "payload/programs/uninstall_copy_win.h"
#include "payload/programs/uninstall_texts.h"
#include "system/dll_search_win.h"
#include "system/file_ops_win.h"
#include "system/path_names.h"
#include "system/previous_version_win.h"
#include "system/product_constants.h"
#include "system/run_log.h"
#include "system/text.h"
#include "system/text_win.h"
#include "system/uninstall_plausibility.h"
#include "ui/program_run_win.h"

#ifndef INSTALLER_VERSION
#define INSTALLER_VERSION "0.0.0"
#endif

namespace {

constexpr char16_t kVersion[] = u"" INSTALLER_VERSION;
constexpr char16_t kProgramName[] = u"Uninstall.exe";
constexpr char16_t kLogFileName[] = u"uninstall.log";
constexpr UINT kStageMessage = WM_APP + 1;  // wParam: RemovalStage
constexpr UINT kDoneMessage = WM_APP + 2;   // wParam: ExitCode
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kCloseDelayMs = 2000;
constexpr int kCloseButtonId = 1;

std::u16string Number(int64_t value) {
    return Utf8ToUtf16(std::to_string(value));
}

uint32_t ProductLanguage() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, reinterpret_cast<const wchar_t*>(kProductKeyPath), L"LanguageID",
                     RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

void ShowMessage(const std::u16string& text, const std::u16string& title, UINT icon) {
    MessageBoxW(nullptr, WidePtr(text), WidePtr(title), MB_OK | icon);
}

// ---------------------------------------------------------------------------
// The first process.

// The installation beside this program: its log's header, when the log can
// be read at least that far and names this program's own folder.
std::optional<UninstallLog> InstallationBeside(const std::u16string& logPath) {
    UninstallLog log;
    if (LoadUninstallLogPrefix(log, logPath) == LogPrefixParse::Unreadable ||
        !LogHeaderNamesFolder(log, FolderOf(logPath)))
        return std::nullopt;
    return log;
}

ExitCode NothingHere(const std::u16string& logPath, const CommandLineOptions& options, uint32_t lang) {
    WriteLogLine("error", u"no uninstall log of an installation in this folder: " + logPath);
    if (!options.Quiet)
        ShowMessage(UninstallTextOf(UninstallText::NothingToRemove, lang, FileNameOfPath(FolderOf(logPath))),
                    UninstallTextOf(UninstallText::ConfirmTitle, lang, FileNameOfPath(FolderOf(logPath))),
                    MB_ICONINFORMATION);
    return ExitCode::NothingToRemove;
}

bool Confirmed(const std::u16string& product, uint32_t lang) {
    return MessageBoxW(nullptr, WidePtr(UninstallTextOf(UninstallText::Confirm, lang, product)),
                       WidePtr(UninstallTextOf(UninstallText::ConfirmTitle, lang, product)),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
}

int RunFirstProcess(const std::vector<std::u16string>& args) {
    std::optional<ExitCode> endNow;
    const CommandLineOptions options = ReadProgramCommandLine(args, UninstallerSwitches(), kProgramName, &endNow);
    if (endNow)
        return static_cast<int>(*endNow);
    const std::u16string own = OwnProgramPath();
    const std::u16string logPath = FolderOf(own) + u"\\" + kLogFileName;
    std::optional<UninstallLog> installation = InstallationBeside(logPath);
    // Without a header the folder's name stands for the product.
    const std::u16string product = installation ? installation->Product : FileNameOfPath(FolderOf(own));
    std::optional<std::u16string> runLog =
        RunLogPath(options.Log, options.Quiet, u"Uninstall-" + (product.empty() ? u"product" : product) + u".log");
    if (runLog)
        OpenRunLog(*runLog);
    LogProgramStart(kVersion);
    const uint32_t lang = ProductLanguage();
    if (!installation)
        return EndRun(NothingHere(logPath, options, lang), RunKind::Removal);
    WriteLogLine("info", u"installation " + FolderOf(logPath) + u" of " + installation->Company + u" " + product);
    if (!options.Quiet && !Confirmed(product, lang)) {
        WriteLogLine("info", u"the removal was declined");
        return EndRun(ExitCode::UserCancelled, RunKind::Removal);
    }
    RemovalRequest request{logPath, own, runLog.value_or(u""), options.Quiet, lang};
    WriteLogLine("info", u"the removal goes on in a temporary copy of this program");
    // The copy writes to the log now; it hands it back with the exit code.
    CloseRunLog();
    const ExitCode code = RunRemovalCopy(request);
    if (runLog)
        AppendToRunLog(*runLog);
    return EndRun(code, RunKind::Removal);
}

// ---------------------------------------------------------------------------
// The temporary copy.

struct CopyRun {
    RemovalRequest Request;
    std::u16string Product;
    std::u16string MovedOriginal;  // the first process's file, moved out; empty while in place
    HWND Window = nullptr;         // the progress window; null when quiet
    HWND Lines = nullptr;
    ExitCode Code = ExitCode::Failed;
};

const char16_t* EnglishStage(RemovalStage stage) {
    switch (stage) {
        case RemovalStage::StoppingPrograms:
            return u"stopping programs and services";
        case RemovalStage::UndoingRecords:
            return u"undoing the log's records";
        default:
            return u"removing the emptied folders";
    }
}

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

// A running program's file can be renamed within its volume: moved into the
// copy's folder, it no longer keeps the installation folder from going.
void MoveOriginalAway(CopyRun& run) {
    const std::u16string target = FolderOf(OwnProgramPath()) + u"\\Uninstall-original.exe";
    if (MoveFileExW(WidePtr(run.Request.OriginalPath), WidePtr(target), MOVEFILE_REPLACE_EXISTING)) {
        run.MovedOriginal = target;
        WriteLogResult("removal", "move-uninstaller", true, 0, run.Request.OriginalPath);
    } else {
        WriteLogResult("removal", "move-uninstaller", false, GetLastError(), run.Request.OriginalPath);
    }
}

// The first process's file leaves the installation folder only once every
// record is undone: a removal killed before that leaves the uninstaller in
// place, to be run again.
void ReportStage(RemovalStage stage, void* context) {
    CopyRun& run = *static_cast<CopyRun*>(context);
    WriteLogLine("info", u"stage " + std::u16string(EnglishStage(stage)));
    if (stage == RemovalStage::RemovingFolders)
        MoveOriginalAway(run);
    if (run.Window)
        PostMessageW(run.Window, kStageMessage, static_cast<WPARAM>(stage), 0);
}

// `folderLeft`: the installation folder is still there although nothing of
// this program's own kept it.
ExitCode CodeOf(const RemovalResult& result, const std::u16string& folder, bool folderLeft) {
    if (!result.Found)
        return ExitCode::NothingToRemove;
    for (const std::u16string& left : result.Leftovers)
        WriteLogLine("error", u"left " + left);
    if (folderLeft)
        WriteLogLine("error", u"left " + folder);
    if (result.Refused > 0)
        WriteLogLine("error", Number(static_cast<int64_t>(result.Refused)) +
                                  u" record(s) refused by the checks on what a log may name: they stay");
    if (result.DamagedTail)
        WriteLogLine("error",
                     u"the uninstall log is damaged after its last whole record: what it named beyond "
                     u"that stays");
    return result.DamagedTail || result.Refused > 0 || !result.Leftovers.empty() || folderLeft ? ExitCode::Failed
                                                                                               : ExitCode::Success;
}

ExitCode RemoveProduct(CopyRun& run) {
    UniqueKernelHandle mutex = TakeRunMutex();
    if (!mutex) {
        WriteLogLine("error", u"another installation or removal of this product is running");
        return ExitCode::AnotherRunInProgress;
    }
    RemovalOptions options;
    options.AcceptDamagedTail = true;
    // Spared even when moved: the first process, waiting for this one, must
    // never be taken for a running program of the product and ended.
    options.Spared = run.Request.OriginalPath;
    options.OnStage = ReportStage;
    options.StageContext = &run;
    options.WholeInstallFolder = true;
    options.Paced = !run.Request.Quiet;
    RemovalResult result = RemoveInstallation(run.Request.LogPath, options);
    if (!result.Found && !run.MovedOriginal.empty()) {
        // Nothing was removed after all (the log went meanwhile): the
        // uninstaller goes back where it was.
        MoveFileExW(WidePtr(run.MovedOriginal), WidePtr(run.Request.OriginalPath), 0);
        run.MovedOriginal.clear();
    }
    // A spared file keeps its folder until the first process has ended.
    const std::u16string folder = FolderOf(run.Request.LogPath);
    return CodeOf(result, folder, !run.MovedOriginal.empty() && PathExists(folder));
}

DWORD WINAPI RemovalThread(void* parameter) {
    CopyRun& run = *static_cast<CopyRun*>(parameter);
    run.Code = RemoveProduct(run);
    PostMessageW(run.Window, kDoneMessage, static_cast<WPARAM>(run.Code), 0);
    return 0;
}

void AddLine(CopyRun& run, const std::u16string& text) {
    const LRESULT index = SendMessageW(run.Lines, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WidePtr(text)));
    SendMessageW(run.Lines, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void ShowResult(CopyRun& run, ExitCode code) {
    const UninstallText text = code == ExitCode::Success                ? UninstallText::Removed
                               : code == ExitCode::AnotherRunInProgress ? UninstallText::Busy
                               : code == ExitCode::NothingToRemove      ? UninstallText::NothingToRemove
                                                                        : UninstallText::NotRemoved;
    AddLine(run, UninstallTextOf(text, run.Request.LangId, run.Product));
    HWND button = GetDlgItem(run.Window, kCloseButtonId);
    EnableWindow(button, TRUE);
    SetFocus(button);
    // Like the installer's window: a success closes by itself, anything else
    // stays until the user has read it.
    if (code == ExitCode::Success)
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

// The window's thread pumps while the removal runs on a thread of its own.
ExitCode RemoveWithProgress(CopyRun& run) {
    if (!CreateProgressWindow(run))
        return RemoveProduct(run);
    UniqueThread thread(CreateThread(nullptr, 0, RemovalThread, &run, 0, nullptr));
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

// The fallback when the first process's file could not be moved away (the
// temporary folder on another volume): it goes once that process has ended,
// and with it the folders it kept.
void RemoveSparedOriginal(const CopyRun& run) {
    DeleteFileW(WidePtr(run.Request.OriginalPath));
    const std::u16string folder = FolderOf(run.Request.OriginalPath);
    RemoveDirectoryW(WidePtr(folder));
    RemoveDirectoryW(WidePtr(FolderOf(folder)));
}

int RunCopy(const std::vector<std::u16string>& args) {
    std::optional<RemovalCopyArguments> arguments = ParseRemovalCopyArguments(args);
    if (!arguments)
        return static_cast<int>(ExitCode::InvalidCommandLine);
    CopyRun run;
    run.Request = arguments->Request;
    if (!run.Request.RunLogPath.empty())
        AppendToRunLog(run.Request.RunLogPath);
    WriteLogLine("info", u"temporary copy " + OwnProgramPath());
    UninstallLog header;
    if (LoadUninstallLogPrefix(header, run.Request.LogPath) != LogPrefixParse::Unreadable)
        run.Product = header.Product;
    const ExitCode code = run.Request.Quiet ? RemoveProduct(run) : RemoveWithProgress(run);
    CloseRunLog();
    const bool spared =
        run.MovedOriginal.empty() && code != ExitCode::NothingToRemove && code != ExitCode::AnotherRunInProgress;
    HandBackExitCode(*arguments, code);
    FinishRemovalCopy(*arguments, run.MovedOriginal);
    if (spared)
        RemoveSparedOriginal(run);
    return static_cast<int>(code);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Both processes, and the temporary copy above all (it runs elevated from
    // a temporary folder), load libraries only from the system folder.
    RestrictDllSearchToSystem32();
    const std::vector<std::u16string> args = ProgramArguments();
    if (!args.empty() && args[0] == kRemovalCopySwitch)
        return RunCopy(args);
    return RunFirstProcess(args);
}
