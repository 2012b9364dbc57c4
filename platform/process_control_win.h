// Processes of an installation: the debug privilege of this process, running
// a program or batch file hidden with an optional time limit, and ending every
// running instance of an executable, first by asking its windows to close and
// then by force.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Enables SeDebugPrivilege in this process's token, so that processes of
// other accounts can be opened. Fails silently; nothing changes then.
void EnableDebugPrivilege();

// A program to start and its arguments. Program is a full path, unquoted (it
// may hold blanks); Arguments follow it on the command line as given (empty:
// none).
struct CommandLine {
    std::u16string Program;
    std::u16string Arguments;
};

// Longest command line CreateProcessW accepts, less its terminator.
inline constexpr size_t kMaxCommandLineUnits = 32766;

// Starts `command` hidden in a new console, in the folder of its program (the
// path up to its last backslash, "C:\" for a program in a drive root; a
// program without a folder runs in this process's current folder). A batch
// file runs under the command interpreter. With `limitMs` 0 the result is
// true once the process was created. Otherwise the process runs in a job
// object and the call waits up to `limitMs`: when it is still running then,
// it and every process it started (its whole tree in the job) are ended with
// exit code 0 and the result is false; what a process that ended in time
// left running is left alone. Should the system refuse the job, only the
// process itself is ended at the limit. The process's exit code is not
// examined. False without starting anything when the program path holds a
// quote or the quoted command line would be longer than kMaxCommandLineUnits;
// false when CreateProcessW fails (its error is kept in GetLastError()).
bool RunProcess(const CommandLine& command, DWORD limitMs);

// The "\"program\" arguments" line RunProcess starts and the folder it starts
// it in (the program's folder; "C:\" for a program in a drive root; nothing
// for a program without a folder). The line is nothing, with the last error
// set, when the program path holds a quote or the line would be longer than
// kMaxCommandLineUnits.
std::optional<std::wstring> QuotedCommandLine(const CommandLine& command);
// The start-up record of a program started hidden (its first window is not
// shown).
STARTUPINFOW HiddenStartup();
std::optional<std::wstring> WorkingDirectoryOf(const std::u16string& program);

// How long TerminateProcessesByPath waits by default for a matching process
// to end after its windows were asked to close...
inline constexpr DWORD kCloseWaitMs = 30000;
// ...and then after TerminateProcess.
inline constexpr DWORD kTerminateWaitMs = 30000;

struct TerminateWaits {
    DWORD CloseMs = kCloseWaitMs;
    DWORD TerminateMs = kTerminateWaitMs;
};

// The full image path of `process`, read with QueryFullProcessImageNameW
// (which needs only PROCESS_QUERY_LIMITED_INFORMATION and, unlike the module
// list, reads a 64-bit process from a 32-bit one), or else with
// GetModuleFileNameExW (needs PROCESS_QUERY_INFORMATION | PROCESS_VM_READ).
// Nothing when neither can read it. A path longer than MAX_PATH - 1 units
// comes back cut short (the fallback truncates), so it matches no full path.
std::optional<std::u16string> ProcessImagePath(HANDLE process);

// Ends every running process whose image is exactly `path`: its image name
// (the text after the last backslash) must match a process's image name and
// its full image path must equal `path`, both unit by unit with case
// mattering. Each match has WM_CLOSE and then WM_DESTROY posted to every
// top-level window it owns, is given waits.CloseMs to end, and is then ended
// with exit code 0 (waiting waits.TerminateMs more). Processes that cannot be
// opened or read are left running. Always true.
bool TerminateProcessesByPath(const std::u16string& path, const TerminateWaits& waits = {});
