// Times unattended installations of a package under Wine, from starting the
// worker to its WorkerFinished report, against the floor: a plain copy of the
// same files (CopyFileW, folders created as needed) in the same prefix.
//
//   install_bench.exe PACKAGE [RUNS]
//
// Three variants of the same package per run, each on a machine wiped of the
// previous one (outside the timing): the whole installation; without the
// driver batch sets; without the driver batch sets and the services. The
// differences give the time of the batches and of the service creation,
// start and wait, which the ratio to the floor leaves out.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <tuple>
#include <vector>

#include "engine/install_sequence_win.h"
#include "engine/install_worker_win.h"
#include "system/file_ops_win.h"
#include "system/path_names.h"
#include "system/process_control_win.h"
#include "system/product_constants.h"
#include "system/service_control_win.h"
#include "system/shell_entries_win.h"
#include "system/text_win.h"

namespace {

constexpr char16_t kBase[] = u"C:\\Bench Install";
constexpr char16_t kFloor[] = u"C:\\Bench Floor";
constexpr char16_t kUninstallKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool g_finished = false;

LRESULT CALLBACK ReportWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (static_cast<ProgressCode>(data->dwData) == ProgressCode::WorkerFinished)
            g_finished = true;
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateReportWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ReportWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"InstallBenchReports";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"InstallBenchReports", L"", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::vector<uint8_t> ReadPackage(const wchar_t* path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Everything an installation of the package leaves, so the next one starts
// on a clean machine and finds no earlier installation to remove.
void Wipe(const InstallerState& state) {
    const std::u16string install = std::u16string(kBase) + u"\\" + state.Company + u"\\" + state.Product;
    for (const ServiceEntry& entry : state.ServiceList)
        StopAndDeleteService(BaseNameOfPath(entry.File->Name));
    for (const PackageFile* file : state.LaunchList)
        TerminateProcessesByPath(install + u"\\" + file->Name, TerminateWaits{2000, 2000});
    for (const PackageFile* file : state.RunEntryList)
        RemoveRunEntry(RunEntryCommandLine(install + u"\\" + file->Name));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, WidePtr(kProductKeyPath));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, WidePtr(kUninstallKey + state.Product));
    DeleteDirectoryTree(std::u16string(kBase) + u"\\" + state.Company);
    if (std::optional<std::u16string> programs = ShellFolder(CSIDL_PROGRAMS, false))
        DeleteDirectoryTree(*programs + u"\\" + state.Company);
    if (std::optional<std::u16string> desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY, false))
        for (const ShortcutEntry& entry : state.DesktopShortcutList)
            DeleteFileW(WidePtr(*desktop + u"\\" + entry.DisplayName + u".lnk"));
    if (std::optional<std::u16string> panel = PanelConfigFolder())
        DeleteDirectoryTree(*panel);
}

// Milliseconds from starting the worker to its WorkerFinished report.
double TimeInstallation(const std::shared_ptr<InstallerState>& state, HWND window) {
    InstallOptions options;
    options.OwnerWindow = window;
    options.BaseFolder = kBase;
    options.Unattended = true;
    options.LangId = 1033;
    g_finished = false;
    const double start = Now();
    if (!StartInstallWorker(state, options, InstallWorker))
        return -1;
    while (!g_finished) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    const double elapsed = Now() - start;
    WaitForSingleObject(state->WorkerThread.get(), INFINITE);
    return elapsed;
}

// Copies every file below `from` to the same place below `to`.
double TimePlainCopy(const std::u16string& from, const std::u16string& to) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::remove_all(fs::path(ToWide(to)), ignored);
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(fs::path(ToWide(from)), ignored))
        if (entry.is_regular_file() && entry.path().filename() != L"uninstall.log" &&
            entry.path().filename().wstring().rfind(L"DevConsole.", 0) != 0)
            files.push_back(entry.path());
    const double start = Now();
    for (const fs::path& file : files) {
        const fs::path target = fs::path(ToWide(to)) / fs::relative(file, fs::path(ToWide(from)));
        fs::create_directories(target.parent_path(), ignored);
        CopyFileW(file.c_str(), target.c_str(), FALSE);
    }
    return Now() - start;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Min(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

void Print(const char* name, double minimum, double median) {
    std::printf("  %-32s %8.1f / %8.1f\n", name, minimum, median);
}

std::shared_ptr<InstallerState> LoadVariant(const std::vector<uint8_t>& package, bool drivers, bool services) {
    auto state = std::make_shared<InstallerState>();
    if (!LoadPackage(*state, package.data(), package.size()))
        return nullptr;
    if (!drivers)
        state->DriverBatchSetList.clear();
    if (!services)
        state->ServiceList.clear();
    return state;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: install_bench PACKAGE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    const std::vector<uint8_t> package = ReadPackage(argv[1]);
    HWND window = CreateReportWindow();
    CreateDirectoryW(WidePtr(kBase), nullptr);
    std::vector<double> full, noDrivers, core, floor;
    for (int run = 0; run < runs; ++run) {
        for (auto [times, drivers, services] :
             {std::make_tuple(&full, true, true), std::make_tuple(&noDrivers, false, true),
              std::make_tuple(&core, false, false)}) {
            std::shared_ptr<InstallerState> state = LoadVariant(package, drivers, services);
            if (!state || !window) {
                std::fprintf(stderr, "install_bench: the package or the report window is missing\n");
                return 1;
            }
            Wipe(*state);
            times->push_back(TimeInstallation(state, window));
            if (times == &core)
                floor.push_back(TimePlainCopy(std::u16string(kBase) + u"\\" + state->Company, kFloor));
            Wipe(*state);
            ReleaseInstallerState(state);
        }
    }
    // Minimums are the steadier figures on a busy machine; medians show the spread.
    std::printf("install bench, %d runs, ms (minimum / median)\n", runs);
    Print("whole installation", Min(full), Median(full));
    Print("driver batches", Min(full) - Min(noDrivers), Median(full) - Median(noDrivers));
    Print("service create/start/waits", Min(noDrivers) - Min(core), Median(noDrivers) - Median(core));
    Print("installation without those", Min(core), Median(core));
    Print("floor: plain copy of files", Min(floor), Median(floor));
    std::printf("  %-32s %8.2f / %8.2f\n", "ratio (without those / floor)", Min(core) / Min(floor),
                Median(core) / Median(floor));
    return 0;
}
