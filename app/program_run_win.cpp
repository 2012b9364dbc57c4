#include "app/program_run_win.h"

#include <stdlib.h>

#include "app/run_result.h"
#include "platform/log_folder_win.h"
#include "platform/product_constants.h"
#include "platform/run_log.h"
#include "platform/run_mutex_win.h"
#include "platform/text.h"
#include "platform/text_win.h"

// The runtime's own split rather than CommandLineToArgvW: that one lives in
// shell32, whose loading (it brings user32) costs a quiet run under Wine
// about 45 ms.
std::vector<std::u16string> ProgramArguments() {
    std::vector<std::u16string> args;
    for (int i = 1; __wargv && i < __argc; ++i)
        args.push_back(FromWide(__wargv[i]));
    return args;
}

bool WriteToConsole(const std::u16string& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) {
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return false;
        out = GetStdHandle(STD_OUTPUT_HANDLE);
        if (!out || out == INVALID_HANDLE_VALUE)
            return false;
    }
    DWORD written = 0;
    if (WriteConsoleW(out, WidePtr(text), static_cast<DWORD>(text.size()), &written, nullptr))
        return true;
    // Redirected to a file or a pipe: UTF-8 bytes.
    const std::string bytes = Utf16ToUtf8(text);
    return WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
}

void ShowUsage(const std::u16string& text, bool quiet, bool problem) {
    if (WriteToConsole(text) || quiet)
        return;
    MessageBoxW(nullptr, WidePtr(text), reinterpret_cast<const wchar_t*>(kWindowTitle),
                MB_OK | (problem ? MB_ICONERROR : MB_ICONINFORMATION));
}

namespace {

// A bad command line may still have asked for quiet or passive: then no
// message box.
bool AsksForQuiet(const std::vector<std::u16string>& args, const std::vector<std::string_view>& switches) {
    for (const std::u16string& arg : args) {
        CommandLineParse one = ParseCommandLine({arg}, switches);
        if (one.Ok && AsksNothing(one.Options))
            return true;
    }
    return false;
}

}  // namespace

CommandLineOptions ReadProgramCommandLine(const std::vector<std::u16string>& args,
                                          const std::vector<std::string_view>& switches,
                                          std::u16string_view programName,
                                          std::optional<ExitCode>* endNow) {
    const std::u16string usage = UsageText(programName, switches);
    const CommandLineParse parse = ParseCommandLine(args, switches);
    if (!parse.Ok) {
        ShowUsage(u"Unknown switch, or a switch without its value: " + parse.Problem + u"\r\n\r\n" + usage,
                  AsksForQuiet(args, switches), true);
        *endNow = ExitCode::InvalidCommandLine;
    } else if (parse.Options.Help) {
        ShowUsage(usage, AsksNothing(parse.Options), false);
        *endNow = ExitCode::Success;
    }
    return parse.Options;
}

std::optional<std::u16string> RunLogPath(const std::optional<std::u16string>& requested,
                                         bool quiet,
                                         const std::u16string& defaultName) {
    if (requested)
        return requested;
    if (!quiet)
        return std::nullopt;
    if (std::optional<std::u16string> logs = AdministratorsLogFolder(kLogCompanyFolderName))
        return *logs + u"\\" + defaultName;
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        return std::nullopt;
    return FromWide(temp) + defaultName;
}

void LogProgramStart(const char16_t* version) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    path[MAX_PATH - 1] = L'\0';
    WriteLogLine("info", u"program " + FromWide(path));
    WriteLogLine("info", u"version " + std::u16string(version));
    WriteLogLine("info", u"command line " + FromWide(GetCommandLineW()));
}

UniqueKernelHandle TakeRunMutex() {
    RunMutex run = CreateRunMutex();
    if (!run.Mutex) {
        WriteLogResult("error", "create-run-mutex", false, GetLastError(), kRunMutexInNamespace);
        return UniqueKernelHandle();
    }
    if (!run.Private)
        WriteLogLine("info", u"run mutex under its global name: this system has no private namespaces");
    UniqueKernelHandle mutex = std::move(run.Mutex);
    const DWORD wait = WaitForSingleObject(mutex.Get(), 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
        return mutex;
    return UniqueKernelHandle();
}

int RefuseUnrestrictedLibrarySearch(const std::vector<std::u16string>& args,
                                    const std::vector<std::string_view>& switches) {
    ShowUsage(
        u"This program does not run on this system: it cannot keep the libraries it loads to the system "
        u"folder (SetDefaultDllDirectories is missing; Windows 7 and Windows Server 2008 R2 need update "
        u"KB2533623). Install that update and start it again.\r\n",
        AsksForQuiet(args, switches), true);
    return static_cast<int>(ExitCode::Failed);
}

int EndRun(ExitCode code, RunKind kind) {
    const int value = static_cast<int>(code);
    const std::u16string note = RunLogNote();
    WriteLogLine("exit", ExitLineText(code, kind) + (note.empty() ? u"" : u" (" + note + u")"));
    CloseRunLog();
    return value;
}
