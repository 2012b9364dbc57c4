#include "platform/process_control_win.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <optional>

#include "platform/path_names.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

// A job that ends every process in it when its last handle closes, so a
// batch's whole tree goes with it even should this process die while waiting.
UniqueKernelHandle CreateKillOnCloseJob() {
    UniqueKernelHandle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits)))
        job.Reset();
    return job;
}

// What a batch that ended in time left running is its own business: lifting
// the limit before the job's handle closes leaves those processes alone.
void ReleaseJob(HANDLE job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
}

// Waits up to `limitMs` for the process started suspended as `info`, which
// runs in a job that kills its whole tree on timeout. Without a job (the
// system refused one, for instance when this process sits in a job that
// allows no nesting) only the process itself is ended at the limit.
bool RunInJob(const PROCESS_INFORMATION& info, DWORD limitMs) {
    UniqueKernelHandle job = CreateKillOnCloseJob();
    if (job && !AssignProcessToJobObject(job.Get(), info.hProcess))
        job.Reset();
    ResumeThread(info.hThread);
    if (WaitForSingleObject(info.hProcess, limitMs) == WAIT_OBJECT_0) {
        if (job)
            ReleaseJob(job.Get());
        return true;
    }
    if (job)
        TerminateJobObject(job.Get(), 0);
    TerminateProcess(info.hProcess, 0);
    return false;
}

// Posts WM_CLOSE and then WM_DESTROY to each top-level window of the process
// `lParam`. Posted, never sent, so a hung window cannot block the caller.
BOOL CALLBACK AskWindowToClose(HWND window, LPARAM lParam) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(lParam)) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        PostMessageW(window, WM_DESTROY, 0, 0);
    }
    return TRUE;
}

// Rights to read a process's image path (limited query; the fallback reads
// its memory), to wait for it and to end it.
constexpr DWORD kEndingRights = PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE;
constexpr DWORD kFallbackRights = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

// With the fallback's rights when they are granted, else with the limited
// query alone, which is also granted for processes whose memory cannot be
// read.
UniqueProcess OpenForEnding(DWORD processId) {
    UniqueProcess process(OpenProcess(kEndingRights | kFallbackRights, FALSE, processId));
    if (!process)
        process.Reset(OpenProcess(kEndingRights, FALSE, processId));
    return process;
}

void EndProcess(DWORD processId, const std::u16string& path, const TerminateWaits& waits) {
    UniqueProcess process = OpenForEnding(processId);
    if (!process || ProcessImagePath(process.Get()) != path)
        return;
    EnumWindows(AskWindowToClose, static_cast<LPARAM>(processId));
    if (WaitForSingleObject(process.Get(), waits.CloseMs) == WAIT_TIMEOUT) {
        TerminateProcess(process.Get(), 0);
        WaitForSingleObject(process.Get(), waits.TerminateMs);
    }
}

}  // namespace

// "\"program\" arguments": the quotes make CreateProcessW take the whole path
// as the program, rather than trying "C:\Program" first for a path with
// blanks. Nothing when it cannot be formed without changing the command.
std::optional<std::wstring> QuotedCommandLine(const CommandLine& command) {
    if (command.Program.find(u'"') != std::u16string::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return std::nullopt;
    }
    std::wstring line = L"\"" + ToWide(command.Program) + L"\"";
    if (!command.Arguments.empty())
        line += L" " + ToWide(command.Arguments);
    if (line.size() > kMaxCommandLineUnits) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return std::nullopt;
    }
    return line;
}

// The program's folder; "C:" alone would name drive C's current folder, not
// its root, so a program in a drive root gets "C:\". Nothing when the program
// path has no folder.
std::optional<std::wstring> WorkingDirectoryOf(const std::u16string& program) {
    if (program.find(u'\\') == std::u16string::npos)
        return std::nullopt;
    std::u16string folder = program;
    CutLastPathComponent(folder);
    if (folder.size() == 2 && folder[1] == u':')
        folder += u'\\';
    return ToWide(folder);
}

void EnableDebugPrivilege() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &raw))
        return;
    UniqueKernelHandle token(raw);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}

STARTUPINFOW HiddenStartup() {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    return startup;
}

bool RunProcess(const CommandLine& command, DWORD limitMs) {
    std::optional<std::wstring> line = QuotedCommandLine(command);
    if (!line)
        return false;
    std::optional<std::wstring> folder = WorkingDirectoryOf(command.Program);
    STARTUPINFOW startup = HiddenStartup();
    PROCESS_INFORMATION info = {};
    // CreateProcessW may write into the command line, so it gets the string's
    // own (writable) buffer.
    // With a limit the process starts suspended, so that it is in its job
    // before it can start anything of its own.
    const DWORD flags = CREATE_NEW_CONSOLE | (limitMs != 0 ? CREATE_SUSPENDED : 0);
    if (!CreateProcessW(nullptr, line->data(), nullptr, nullptr, FALSE, flags, nullptr,
                        folder ? folder->c_str() : nullptr, &startup, &info))
        return false;
    UniqueProcess process(info.hProcess);
    UniqueThread thread(info.hThread);
    return limitMs == 0 || RunInJob(info, limitMs);
}

std::optional<std::u16string> ProcessImagePath(HANDLE process) {
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, image, &length))
        return FromWide(std::wstring_view(image, length));
    length = GetModuleFileNameExW(process, nullptr, image, MAX_PATH);
    if (length == 0)
        return std::nullopt;
    return FromWide(std::wstring_view(image, length));
}

bool TerminateProcessesByPath(const std::u16string& path, const TerminateWaits& waits) {
    const std::wstring imageName = ToWide(FileNameOfPath(path));
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return true;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        // Compared unit by unit: a differently cased image is another program.
        if (imageName == entry.szExeFile)
            EndProcess(entry.th32ProcessID, path, waits);
    }
    return true;
}
