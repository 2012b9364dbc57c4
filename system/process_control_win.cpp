#include "system/process_control_win.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <optional>

#include "system/path_names.h"
#include "system/text_win.h"
#include "system/unique_handle_win.h"

namespace {

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

bool WaitOrTerminate(HANDLE process, DWORD limitMs) {
    if (WaitForSingleObject(process, limitMs) == WAIT_OBJECT_0)
        return true;
    TerminateProcess(process, 0);
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

bool HasImagePath(HANDLE process, const std::wstring& path) {
    wchar_t image[MAX_PATH] = {};
    DWORD length = GetModuleFileNameExW(process, nullptr, image, MAX_PATH);
    return length != 0 && std::wstring(image, length) == path;
}

void EndProcess(DWORD processId, const std::wstring& path, const TerminateWaits& waits) {
    UniqueProcess process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    if (!process || !HasImagePath(process.Get(), path))
        return;
    EnumWindows(AskWindowToClose, static_cast<LPARAM>(processId));
    if (WaitForSingleObject(process.Get(), waits.CloseMs) == WAIT_TIMEOUT) {
        TerminateProcess(process.Get(), 0);
        WaitForSingleObject(process.Get(), waits.TerminateMs);
    }
}

}  // namespace

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

bool RunProcess(const CommandLine& command, DWORD limitMs) {
    std::optional<std::wstring> line = QuotedCommandLine(command);
    if (!line)
        return false;
    std::optional<std::wstring> folder = WorkingDirectoryOf(command.Program);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    // CreateProcessW may write into the command line, so it gets the string's
    // own (writable) buffer.
    if (!CreateProcessW(nullptr, line->data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                        folder ? folder->c_str() : nullptr, &startup, &info))
        return false;
    UniqueProcess process(info.hProcess);
    UniqueThread thread(info.hThread);
    return limitMs == 0 || WaitOrTerminate(process.Get(), limitMs);
}

bool TerminateProcessesByPath(const std::u16string& path, const TerminateWaits& waits) {
    const std::wstring imageName = ToWide(FileNameOfPath(path));
    const std::wstring imagePath = ToWide(path);
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return true;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        // Compared unit by unit: a differently cased image is another program.
        if (imageName == entry.szExeFile)
            EndProcess(entry.th32ProcessID, imagePath, waits);
    }
    return true;
}
