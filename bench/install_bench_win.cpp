// Times unattended installations of a package under Wine, from starting the
// worker to its WorkerFinished report, against the floor: a plain copy of the
// same files (CopyFileW, each folder created once) in the same prefix.
//
//   install_bench.exe PACKAGE [RUNS]
//
// Three variants of the same package per run, each on a machine wiped of the
// previous one (outside the timing): the whole installation; without the
// driver batch sets and the services, which the ratio to the floor leaves
// out; also without the shortcuts and the program launch, which it keeps
// (under Wine, saving a shell link starts the menu builder process and
// launching the panel starts a process), for a second ratio.
//
// Each part that a variant leaves out is timed in runs of its own: the
// package's files are written (untimed), then only the install steps of that
// part run, on the clock. Every figure printed was measured as it stands;
// none is the difference of two others.
//
// The floor copies the files the last variant installed. What to copy where
// is worked out before the clock starts; that variant launched nothing, so
// the copy has as quiet a machine as the installations had.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "engine/install_run_win.h"
#include "engine/install_sequence_win.h"
#include "engine/install_worker_win.h"
#include "platform/com_win.h"
#include "platform/file_ops_win.h"
#include "platform/path_names.h"
#include "platform/process_control_win.h"
#include "platform/product_constants.h"
#include "platform/service_control_win.h"
#include "platform/shell_entries_win.h"
#include "platform/text_win.h"
#include "ui/window_report_sink_win.h"

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

std::u16string InstallFolderOf(const InstallerState& state) {
    return std::u16string(kBase) + u"\\" + state.Company + u"\\" + state.Product;
}

void StopLaunchedPrograms(const InstallerState& state) {
    for (const PackageFile* file : state.LaunchList)
        TerminateProcessesByPath(InstallFolderOf(state) + u"\\" + file->Name, TerminateWaits{2000, 2000});
}

// Everything an installation of the package leaves, so the next one starts
// on a clean machine and finds no earlier installation to remove.
void Wipe(const InstallerState& state) {
    const std::u16string install = InstallFolderOf(state);
    for (const ServiceEntry& entry : state.ServiceList)
        StopAndDeleteService(BaseNameOfPath(entry.File->Name));
    StopLaunchedPrograms(state);
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

InstallOptions BenchOptions(HWND window) {
    InstallOptions options;
    options.OwnerWindow = window;
    options.Reports = &WindowReportSink();
    options.BaseFolder = kBase;
    options.Unattended = true;
    options.LangId = 1033;
    return options;
}

// Milliseconds from starting the worker to its WorkerFinished report.
double TimeInstallation(const std::shared_ptr<InstallerState>& state, HWND window) {
    const InstallOptions options = BenchOptions(window);
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

// A plain copy of every file below `from` to the same place below `to`:
// the folders to create, parents first, and the source and target of each
// file. Neither the log the installation saved nor what the driver batches
// write (DevConsole.*) is one of the package's files.
struct CopyPlan {
    std::vector<std::wstring> Folders;
    std::vector<std::pair<std::wstring, std::wstring>> Files;
};

CopyPlan PlanPlainCopy(const std::u16string& from, const std::u16string& to) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    const fs::path source(ToWide(from));
    const fs::path root(ToWide(to));
    fs::remove_all(root, ignored);
    // Sorted, a folder comes before everything inside it.
    std::set<std::wstring> folders;
    CopyPlan plan;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source, ignored)) {
        if (!entry.is_regular_file() || entry.path().filename() == L"uninstall.log" ||
            entry.path().filename().wstring().rfind(L"DevConsole.", 0) == 0)
            continue;
        const fs::path relative = fs::relative(entry.path(), source, ignored);
        if (relative.empty())
            continue;
        const fs::path target = root / relative;
        for (fs::path folder = target.parent_path(); folder != root.parent_path(); folder = folder.parent_path())
            folders.insert(folder.wstring());
        plan.Files.emplace_back(entry.path().wstring(), target.wstring());
    }
    plan.Folders.assign(folders.begin(), folders.end());
    return plan;
}

double TimePlainCopy(const CopyPlan& plan) {
    const double start = Now();
    for (const std::wstring& folder : plan.Folders)
        CreateDirectoryW(folder.c_str(), nullptr);
    for (const auto& [source, target] : plan.Files)
        CopyFileW(source.c_str(), target.c_str(), FALSE);
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

void PrintRatio(const char* name, double minimum, double median) {
    std::printf("  %-32s %8.2f / %8.2f\n", name, minimum, median);
}

// One way of installing the package: which of its parts stay in.
struct Variant {
    bool DriversAndServices;
    bool ShortcutsAndLaunch;
    std::vector<double> Times;
};

std::shared_ptr<InstallerState> LoadVariant(const std::vector<uint8_t>& package, const Variant& variant) {
    auto state = std::make_shared<InstallerState>();
    if (!LoadPackage(*state, package.data(), package.size()))
        return nullptr;
    if (!variant.DriversAndServices) {
        state->DriverBatchSetList.clear();
        state->ServiceList.clear();
    }
    if (!variant.ShortcutsAndLaunch) {
        state->ProgramsShortcutList.clear();
        state->DesktopShortcutList.clear();
        state->LaunchList.clear();
    }
    return state;
}

// The install steps of one part, as the sequence runs them.
void DriverBatches(InstallRun& run) {
    RunDriverBatches(run);
}

// Creation as in the install steps, then the start as the finish does it.
void ServiceCreateAndStart(InstallRun& run) {
    CreatePackageServices(run);
    for (const ServiceEntry& entry : run.State.ServiceList)
        StartServiceByName(BaseNameOfPath(entry.File->Name));
}

void ShellLinks(InstallRun& run) {
    ComInitialization apartment;
    CreateProgramsShortcuts(run);
    CreateDesktopShortcuts(run);
}

// The finish's launch: the programs start hidden, nothing waits for them.
void ProgramLaunch(InstallRun& run) {
    for (const PackageFile* file : run.State.LaunchList)
        if (std::optional<std::u16string> program = FullPathOfPackageFile(*file))
            RunProcess(CommandLine{*program, u"-h"}, 0);
}

struct Part {
    const char* Name;
    void (*Steps)(InstallRun&);
    size_t Count;  // batch sets, services, links or programs
    std::vector<double> Times;
};

// Milliseconds the part's steps take on a machine that holds the package's
// files and nothing else of it.
double TimePart(const std::vector<uint8_t>& package, const Part& part) {
    std::shared_ptr<InstallerState> state = LoadVariant(package, Variant{true, true, {}});
    if (!state)
        return -1;
    Wipe(*state);
    state->Options = BenchOptions(nullptr);
    state->Running = true;
    InstallRun run{*state, *state->Tree, {}, std::nullopt};
    CreateInstallFolders(run);
    WritePackageFiles(run);
    const double start = Now();
    part.Steps(run);
    const double elapsed = Now() - start;
    ClearUninstallLog(run.Log);
    Wipe(*state);
    ReleaseInstallerState(state);
    return elapsed;
}

template <typename List>
size_t CountOf(const List& list) {
    return static_cast<size_t>(std::distance(list.begin(), list.end()));
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
    Variant full{true, true, {}};
    Variant core{false, true, {}};
    Variant bare{false, false, {}};
    std::shared_ptr<InstallerState> counted = LoadVariant(package, full);
    if (!counted || !window) {
        std::fprintf(stderr, "install_bench: the package or the report window is missing\n");
        return 1;
    }
    std::vector<Part> parts{
        {"driver batches", DriverBatches, CountOf(counted->DriverBatchSetList), {}},
        {"service create and start", ServiceCreateAndStart, CountOf(counted->ServiceList), {}},
        {"shell links", ShellLinks, CountOf(counted->ProgramsShortcutList) + CountOf(counted->DesktopShortcutList), {}},
        {"program launch", ProgramLaunch, CountOf(counted->LaunchList), {}},
    };
    ReleaseInstallerState(counted);
    std::vector<double> floor;
    for (int run = 0; run < runs; ++run) {
        for (Variant* variant : {&full, &core, &bare}) {
            std::shared_ptr<InstallerState> state = LoadVariant(package, *variant);
            Wipe(*state);
            variant->Times.push_back(TimeInstallation(state, window));
            // The last variant launched nothing, so the copy has the machine to itself.
            if (variant == &bare)
                floor.push_back(TimePlainCopy(PlanPlainCopy(std::u16string(kBase) + u"\\" + state->Company, kFloor)));
            Wipe(*state);
            ReleaseInstallerState(state);
        }
        for (Part& part : parts)
            part.Times.push_back(TimePart(package, part));
    }
    // Minimums are the steadier figures on a busy machine; medians show the spread.
    std::printf("install bench, %d runs, ms (minimum / median)\n", runs);
    Print("whole installation", Min(full.Times), Median(full.Times));
    Print("without drivers and services", Min(core.Times), Median(core.Times));
    Print("also without links and launch", Min(bare.Times), Median(bare.Times));
    Print("floor: plain copy of files", Min(floor), Median(floor));
    PrintRatio("ratio (without those / floor)", Min(core.Times) / Min(floor), Median(core.Times) / Median(floor));
    PrintRatio("ratio (also without / floor)", Min(bare.Times) / Min(floor), Median(bare.Times) / Median(floor));
    std::printf("each part in runs of its own, on the written files\n");
    for (const Part& part : parts) {
        char name[64];
        std::snprintf(name, sizeof name, "%s (%u)", part.Name, static_cast<unsigned>(part.Count));
        Print(name, Min(part.Times), Median(part.Times));
    }
    return 0;
}
