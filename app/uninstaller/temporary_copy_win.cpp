#include "app/uninstaller/temporary_copy_win.h"

#include <sddl.h>

#include <cstdlib>

#include "app/program_run_win.h"
#include "app/run_result_win.h"
#include "app/uninstaller/progress_window_win.h"
#include "platform/file_ops_win.h"
#include "platform/path_names.h"
#include "platform/run_log.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "removal/previous_version_win.h"
#include "removal/uninstall_log_file_win.h"

std::u16string OwnProgramPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::u16string() : FromWide(std::wstring_view(path, length));
}

std::u16string FolderOf(std::u16string path) {
    CutLastPathComponent(path);
    return path;
}

namespace {

// The copy is the only process that needs the first one's end, and the end
// comes at once after the code is read; the limit only keeps a copy whose
// first process hangs from waiting for ever.
constexpr DWORD kOriginalEndLimitMs = 60000;
// A file whose process has just ended can stay locked for a moment.
constexpr int kDeleteAttempts = 50;
constexpr DWORD kDeleteRetryMs = 100;

std::u16string Number(uint64_t value) {
    return Utf8ToUtf16(std::to_string(value));
}

std::optional<uint64_t> ParseNumber(const std::u16string& text) {
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    uint64_t value = 0;
    for (char16_t unit : text) {
        if (unit < u'0' || unit > u'9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(unit - u'0');
    }
    return value;
}

// The running account's SID as text ("S-1-5-21-..."); empty when unknown.
std::u16string CurrentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    UniqueKernelHandle owner(token);
    BYTE buffer[512];
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size))
        return {};
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text))
        return {};
    UniqueLocalMemory memory(text);
    return FromWide(text);
}

// Owner the user; a protected list (nothing inherited from %TEMP%, whose
// list lets other accounts in) granting full access to the user, SYSTEM and
// the Administrators, inherited by what is made inside.
UniqueLocalMemory PrivateFolderDescriptor() {
    const std::u16string user = CurrentUserSid();
    if (user.empty())
        return UniqueLocalMemory();
    const std::u16string sddl = u"O:" + user + u"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + user + u")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(WidePtr(sddl), SDDL_REVISION_1, &descriptor, nullptr))
        return UniqueLocalMemory();
    return UniqueLocalMemory(descriptor);
}

std::u16string Quoted(const std::u16string& text) {
    return u"\"" + text + u"\"";
}

// How the copy shows the removal: "quiet", "passive" or "window".
const char16_t* RunWord(const RemovalRequest& request) {
    return request.Quiet ? u"quiet" : request.Passive ? u"passive" : u"window";
}

std::u16string CopyCommandLine(const std::u16string& copy,
                               const RemovalRequest& request,
                               HANDLE pipe,
                               HANDLE original) {
    return Quoted(copy) + u" " + kRemovalCopySwitch + u" " + Number(reinterpret_cast<uintptr_t>(pipe)) + u" " +
           Number(reinterpret_cast<uintptr_t>(original)) + u" " + RunWord(request) + u" " + Number(request.LangId) +
           u" " + Quoted(request.LogPath) + u" " + Quoted(request.OriginalPath) + u" " + Quoted(request.RunLogPath);
}

// Starts the copy with the write end of `pipe` and a handle of this process
// inherited; both are this process's to close afterwards.
UniqueProcess StartCopy(const std::u16string& copy, const RemovalRequest& request, HANDLE pipe) {
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0))
        return UniqueProcess();
    UniqueKernelHandle selfOwner(self);
    std::wstring commandLine = ToWide(CopyCommandLine(copy, request, pipe, self));
    const std::wstring folder = ToWide(FolderOf(copy));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // Run from its private folder: its current folder is no place others write.
    if (!CreateProcessW(WidePtr(copy), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &info))
        return UniqueProcess();
    CloseHandle(info.hThread);
    return UniqueProcess(info.hProcess);
}

void DeleteWhenFree(const std::u16string& path) {
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        if (DeleteFileW(WidePtr(path)) || GetLastError() == ERROR_FILE_NOT_FOUND)
            return;
        Sleep(kDeleteRetryMs);
    }
    MoveFileExW(WidePtr(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

std::optional<std::u16string> CreatePrivateTempFolder(const std::u16string& prefix) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    UniqueLocalMemory descriptor = PrivateFolderDescriptor();
    if (length == 0 || length > MAX_PATH || !descriptor)
        return std::nullopt;
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.Get(), FALSE};
    // A name that exists (a folder, a file or a link someone placed there) is
    // never taken over: CreateDirectoryW fails on it and the next is tried.
    for (DWORD attempt = 0; attempt < 100; ++attempt) {
        const std::u16string folder = FromWide(temp) + prefix + u"-" + Number(GetCurrentProcessId()) + u"-" +
                                      Number(GetTickCount()) + u"-" + Number(attempt);
        if (folder.size() + 20 > MAX_PATH)
            return std::nullopt;
        if (CreateDirectoryW(WidePtr(folder), &attributes))
            return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::nullopt;
    }
    return std::nullopt;
}

ExitCode RunRemovalCopy(const RemovalRequest& request) {
    std::optional<std::u16string> folder = CreatePrivateTempFolder(u"Uninstall");
    if (!folder)
        return ExitCode::Failed;
    const std::u16string copy = *folder + u"\\" + FileNameOfPath(request.OriginalPath);
    if (!CopyFileW(WidePtr(request.OriginalPath), WidePtr(copy), TRUE)) {
        RemoveDirectoryW(WidePtr(*folder));
        return ExitCode::Failed;
    }
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return ExitCode::Failed;
    UniqueKernelHandle reader(readEnd);
    UniqueKernelHandle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    UniqueProcess process = StartCopy(copy, request, writeEnd);
    // Only the copy may hold the write end now: its end breaks the pipe.
    writer.Reset();
    if (!process) {
        DeleteFileW(WidePtr(copy));
        RemoveDirectoryW(WidePtr(*folder));
        return ExitCode::Failed;
    }
    int32_t code = 0;
    DWORD read = 0;
    if (ReadFile(readEnd, &code, sizeof(code), &read, nullptr) && read == sizeof(code))
        return static_cast<ExitCode>(code);
    return ExitCode::Failed;
}

std::optional<RemovalCopyArguments> ParseRemovalCopyArguments(const std::vector<std::u16string>& args) {
    if (args.size() != 8 || args[0] != kRemovalCopySwitch ||
        (args[3] != u"quiet" && args[3] != u"window" && args[3] != u"passive"))
        return std::nullopt;
    std::optional<uint64_t> pipe = ParseNumber(args[1]);
    std::optional<uint64_t> original = ParseNumber(args[2]);
    std::optional<uint64_t> lang = ParseNumber(args[4]);
    if (!pipe || !original || !lang || args[5].empty() || args[6].empty())
        return std::nullopt;
    RemovalCopyArguments arguments;
    arguments.CodePipe = UniqueKernelHandle(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(*pipe)));
    arguments.Original = UniqueKernelHandle(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(*original)));
    arguments.Request.Quiet = args[3] == u"quiet";
    arguments.Request.Passive = args[3] == u"passive";
    arguments.Request.LangId = static_cast<uint32_t>(*lang);
    arguments.Request.LogPath = args[5];
    arguments.Request.OriginalPath = args[6];
    arguments.Request.RunLogPath = args[7];
    return arguments;
}

void HandBackExitCode(RemovalCopyArguments& arguments, ExitCode code) {
    const int32_t value = static_cast<int32_t>(code);
    DWORD written = 0;
    WriteFile(arguments.CodePipe.Get(), &value, sizeof(value), &written, nullptr);
    arguments.CodePipe.Reset();
}

void FinishRemovalCopy(RemovalCopyArguments& arguments, const std::u16string& movedOriginal) {
    WaitForSingleObject(arguments.Original.Get(), kOriginalEndLimitMs);
    arguments.Original.Reset();
    if (!movedOriginal.empty())
        DeleteWhenFree(movedOriginal);
    // A running program cannot delete its own file; Windows deletes it, and
    // then the emptied folder, at the next restart.
    const std::u16string own = OwnProgramPath();
    if (own.empty())
        return;
    MoveFileExW(WidePtr(own), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExW(WidePtr(FolderOf(own)), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// ---------------------------------------------------------------------------
// The copy's own run: the removal, its exit code handed back.

namespace {

std::u16string Number(int64_t value) {
    return Utf8ToUtf16(std::to_string(value));
}

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
    ShowStage(run, stage);
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
    if (result.Stopped || result.FolderRefused)
        WriteLogLine("error", u"the removal did not finish: the uninstaller and its log stay in " + folder);
    if (result.Stopped || result.FolderRefused || result.DamagedTail || result.Refused > 0 ||
        !result.Leftovers.empty() || folderLeft)
        return ExitCode::Failed;
    if (result.DeletedAtRestart.empty())
        return ExitCode::Success;
    WriteLogLine("info", u"restart needed: " + Number(static_cast<int64_t>(result.DeletedAtRestart.size())) +
                             u" file(s) in use, and the folders holding them, are deleted at the next restart");
    return ExitCode::RestartRequired;
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
    options.Context = &run;
    options.WholeInstallFolder = true;
    options.DeleteInUseAtRestart = true;
    // Only a removal shown in the window is paced: /quiet never waits.
    options.Pace = run.Request.Quiet ? nullptr : PaceProgressWindow;
    RemovalResult result = RemoveInstallation(run.Request.LogPath, options);
    run.KeepOriginal = result.Stopped || result.FolderRefused;
    if (!result.Found && !run.MovedOriginal.empty()) {
        // Nothing was removed after all (the log went meanwhile): the
        // uninstaller goes back where it was.
        MoveFileExW(WidePtr(run.MovedOriginal), WidePtr(run.Request.OriginalPath), 0);
        run.MovedOriginal.clear();
    }
    // A spared file keeps its folder until the first process has ended.
    const std::u16string folder = FolderOf(run.Request.LogPath);
    // A folder deleted at the restart is not left.
    const bool folderLeft = !run.MovedOriginal.empty() && result.DeletedAtRestart.empty() && PathExists(folder);
    const ExitCode code = CodeOf(result, folder, folderLeft);
    // Written while the mutex is held; a removal that found nothing leaves
    // the machine as it was.
    if (result.Found)
        WriteRunResult(code, RunKind::Removal);
    return code;
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

}  // namespace

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
    const ExitCode code = run.Request.Quiet ? RemoveProduct(run) : RemoveWithProgress(run, RemoveProduct);
    CloseRunLog();
    const bool spared = run.MovedOriginal.empty() && !run.KeepOriginal && code != ExitCode::NothingToRemove &&
                        code != ExitCode::AnotherRunInProgress;
    HandBackExitCode(*arguments, code);
    FinishRemovalCopy(*arguments, run.MovedOriginal);
    if (spared)
        RemoveSparedOriginal(run);
    return static_cast<int>(code);
}
