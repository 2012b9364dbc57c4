// What both programs do around their real work: read the command line, open
// the run log, hold the product's run mutex, and end with an exit code that
// the log's last line repeats. The installer and the uninstaller share it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/run_contract.h"
#include "platform/unique_handle_win.h"

// The program's arguments, without its own name, as the C runtime split the
// command line at start-up (the usual quoting and backslash rules; no
// wildcard expansion).
std::vector<std::u16string> ProgramArguments();

// Writes `text` to the caller's console or redirected standard output; false
// when the program has neither (it was started without a console).
bool WriteToConsole(const std::u16string& text);

// Shows usage or a command-line problem: on a console when there is one,
// else in a message box unless `quiet`.
void ShowUsage(const std::u16string& text, bool quiet, bool problem);

// Reads the command line against `switches`. A bad one is shown with the
// usage (no message box when some argument asked for quiet or passive) and ends the run
// with InvalidCommandLine; /? shows the usage and ends it with Success. The
// options otherwise; `endNow` is then left empty.
CommandLineOptions ReadProgramCommandLine(const std::vector<std::u16string>& args,
                                          const std::vector<std::string_view>& switches,
                                          std::u16string_view programName,
                                          std::optional<ExitCode>* endNow);

// The run log's file: `requested` when given, else, when `quiet` (a run
// that asks nothing: /quiet or /passive), one named
// `defaultName` in %ProgramData%\<company>\Logs for an elevated run
// (platform/log_folder_win.h) or in %TEMP% otherwise; else none.
std::optional<std::u16string> RunLogPath(const std::optional<std::u16string>& requested,
                                         bool quiet,
                                         const std::u16string& defaultName);

// Logs the program's path, version and command line.
void LogProgramStart(const char16_t* version);

// Takes the product's machine-wide run mutex (platform/run_mutex_win.h, in
// its private namespace where the system has one); an empty
// owner when another run holds it, or when it cannot be made (an error line
// of the log then names the Win32 error). A mutex whose owner was killed is
// taken over.
UniqueKernelHandle TakeRunMutex();

// Ends a program whose library search could not be restricted to System32
// (RestrictDllSearchToSystem32 failed: Windows 7 without KB2533623), before
// it does anything: a library planted beside it would run with its rights.
// Says why on the console, or in a message box unless some argument asks for
// quiet, and returns 1603 (ExitCode::Failed) as the process exit code.
int RefuseUnrestrictedLibrarySearch(const std::vector<std::u16string>& args,
                                    const std::vector<std::string_view>& switches);

// Writes the log's last line (with RunLogNote when the log was refused at its
// name), closes the log and returns `code` as the process exit code.
int EndRun(ExitCode code, RunKind kind = RunKind::Installation);
