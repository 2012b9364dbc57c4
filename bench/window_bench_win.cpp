// Times, in one warm Wine session, how long a program takes from being
// started to its window being visible: the installer against the floor (an
// empty dialog from a trivial program built the same way).
//
//   window_bench INSTALLER.exe FLOOR.exe [RUNS]
//
// Each run starts the program, polls for its visible dialog by title every
// millisecond, then terminates it (the installer ignores close requests while
// idle) and waits for it to end. The two programs take turns. Prints every
// run and the medians.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/unique_handle_win.h"

namespace {

double NowMs() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool IsShown(const wchar_t* title) {
    HWND window = FindWindowW(L"#32770", title);
    return window && IsWindowVisible(window);
}

// Milliseconds from CreateProcessW to the visible window; negative on failure.
double TimeToVisible(const std::wstring& program, const wchar_t* title) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    double start = NowMs();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return -1;
    UniqueProcess process(info.hProcess);
    UniqueThread thread(info.hThread);
    double elapsed = -1;
    while (NowMs() - start < 30000) {
        if (IsShown(title)) {
            elapsed = NowMs() - start;
            break;
        }
        if (WaitForSingleObject(process.Get(), 1) == WAIT_OBJECT_0)
            break;
    }
    TerminateProcess(process.Get(), 0);
    WaitForSingleObject(process.Get(), 10000);
    // Let the window's destruction settle before the next start.
    while (FindWindowW(L"#32770", title))
        Sleep(5);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Report(const wchar_t* name, const std::vector<double>& times) {
    std::wprintf(L"%-10ls", name);
    for (double ms : times)
        std::wprintf(L" %7.1f", ms);
    std::wprintf(L"   median %7.1f ms, fastest %7.1f ms\n", Median(times),
                 *std::min_element(times.begin(), times.end()));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: window_bench INSTALLER.exe FLOOR.exe [RUNS]\n");
        return 2;
    }
    int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 9;
    const std::wstring installerPath = argv[1];
    const std::wstring floorPath = argv[2];
    const wchar_t* installerTitle = L"Zorvanelle Driver Installation";
    const wchar_t* floorTitle = L"Window Bench Floor";
    // Warm-up (file cache, Wine's DLLs), then the two programs alternate so
    // that both see the same machine.
    TimeToVisible(floorPath, floorTitle);
    TimeToVisible(installerPath, installerTitle);
    std::vector<double> floor;
    std::vector<double> installer;
    for (int run = 0; run < runs; ++run) {
        double floorMs = TimeToVisible(floorPath, floorTitle);
        double installerMs = TimeToVisible(installerPath, installerTitle);
        if (floorMs < 0 || installerMs < 0) {
            std::fwprintf(stderr, L"no visible window (floor %.1f, installer %.1f)\n", floorMs, installerMs);
            return 1;
        }
        floor.push_back(floorMs);
        installer.push_back(installerMs);
    }
    Report(L"floor", floor);
    Report(L"installer", installer);
    double ratio = Median(installer) / Median(floor);
    std::wprintf(L"start to visible window: installer %.1f ms, empty dialog %.1f ms, ratio %.2f (target 1.50)\n",
                 Median(installer), Median(floor), ratio);
    return 0;
}
