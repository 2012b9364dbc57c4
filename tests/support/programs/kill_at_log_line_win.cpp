// KillAtLogLine.exe [--tree] LOG TEXT N PROGRAM [ARGS...]: runs PROGRAM with
// ARGS and ends it with TerminateProcess (as Task Manager or a deployment
// tool's time limit would) as soon as the Nth line of the text file LOG
// containing TEXT has been written; --tree ends every process it started as
// well (a job object), as a tool that kills a process tree does. Prints "killed" then, or the program's whole exit code
// when it ended first; "error" when it cannot start. LOG is deleted first.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Lines of `log` so far that contain `text` (UTF-8 bytes of the log compared
// with the ASCII text given).
int CountLines(const wchar_t* log, const std::string& text) {
    HANDLE file = CreateFileW(log, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    int count = 0;
    for (size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        if (bytes.substr(start, end - start).find(text) != std::string::npos)
            ++count;
    }
    return count;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool tree = argc > 1 && std::wstring(argv[1]) == L"--tree";
    if (tree) {
        --argc;
        ++argv;
    }
    if (argc < 5) {
        std::printf("error\n");
        return 1;
    }
    HANDLE job = tree ? CreateJobObjectW(nullptr, nullptr) : nullptr;
    DeleteFileW(argv[1]);
    std::wstring wide = argv[2];
    const std::string text(wide.begin(), wide.end());
    const int wanted = _wtoi(argv[3]);
    std::wstring commandLine;
    for (int i = 4; i < argc; ++i)
        commandLine += (i > 4 ? L" \"" : L"\"") + std::wstring(argv[i]) + L'"';
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &process) ||
        (job && !AssignProcessToJobObject(job, process.hProcess))) {
        std::printf("error\n");
        return 1;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    while (WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
        if (CountLines(argv[1], text) >= wanted) {
            if (job)
                TerminateJobObject(job, 1);
            else
                TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            std::printf("killed\n");
            return 0;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    std::printf("%lu\n", static_cast<unsigned long>(code));
    return 0;
}
