// time_process.exe PROGRAM [ARGS...]: runs PROGRAM, waits for it and prints
// "<milliseconds> <exit code>": the whole process, from CreateProcess until
// it has ended, measured inside the Wine session.
// time_process.exe --memory PROGRAM [ARGS...] adds a third field: the
// program's peak working set in KB, sampled every 2 ms while it runs (Wine
// tells nothing of a process that has ended), or -1 when the system does not
// tell.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    const bool memory = argc > 1 && std::wstring(argv[1]) == L"--memory";
    if (memory) {
        --argc;
        ++argv;
    }
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
    long long peakKb = -1;
    if (memory) {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        while (WaitForSingleObject(process.hProcess, 2) == WAIT_TIMEOUT) {
            if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters) && counters.PeakWorkingSetSize)
                peakKb = std::max(peakKb, static_cast<long long>(counters.PeakWorkingSetSize / 1024));
        }
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const double ms =
        1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    if (memory)
        std::printf("%.1f %lu %lld\n", ms, static_cast<unsigned long>(code), peakKb);
    else
        std::printf("%.1f %lu\n", ms, static_cast<unsigned long>(code));
    return 0;
}
