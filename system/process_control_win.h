// Processes of an installation: the debug privilege of this process, running
// a program or batch file hidden with an optional time limit, and ending every
// running instance of an executable, first by asking its windows to close and
// then by force.
#pragma once

#include <windows.h>

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
// program without a folder runs in this process's current folder). A batch file runs under the command interpreter.
// With `limitMs` 0 the result is true once the process was created; otherwise waits up to `limitMs` and, when the
// process is still running then, ends it with exit code 0 and gives false. The process's exit code is not examined.
// False without starting anything when the program path holds a quote or the
// quoted command line would be longer than kMaxCommandLineUnits; false when
// CreateProcessW fails (its error is kept in GetLastError()).
bool RunProcess(const CommandLine& command, DWORD limitMs);

// How long TerminateProcessesByPath waits by default for a matching process
// to end after its windows were asked to close...
inline constexpr DWORD kCloseWaitMs = 30000;
// ...and then after TerminateProcess.
inline constexpr DWORD kTerminateWaitMs = 30000;

struct TerminateWaits {
    DWORD CloseMs = kCloseWaitMs;
    DWORD TerminateMs = kTerminateWaitMs;
};

// Ends every running process whose image is exactly `path`: its image name
// (the text after the last backslash) must match a process's image name and
// its full image path must equal `path`, both unit by unit with case
// mattering. Each match has WM_CLOSE and then WM_DESTROY posted to every
// top-level window it owns, is given waits.CloseMs to end, and is then ended
// with exit code 0 (waiting waits.TerminateMs more). Processes that cannot be
// opened or read are left running. Always true.
bool TerminateProcessesByPath(const std::u16string& path, const TerminateWaits& waits = {});
