// time_process.exe PROGRAM [ARGS...]: runs PROGRAM, waits for it and prints
// "<milliseconds> <exit code>": the whole process, from CreateProcess until
// it has ended, measured inside the Wine session.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    // Quoted only where a blank needs it: some installers (NSIS's /D=) read
    // their switches unquoted.
    std::wstring commandLine;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (i > 1)
            commandLine += L' ';
        commandLine += arg.find(L' ') == std::wstring::npos ? arg : L'"' + arg + L'"';
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (argc < 2 ||
        !CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 2;
    WaitForSingleObject(process.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("%.1f %lu\n", ms, static_cast<unsigned long>(code));
    return 0;
}
