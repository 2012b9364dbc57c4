#include "tests/engine/sequence/sequence_harness_win.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/install_sequence_win.h"
#include "engine/install_worker_win.h"
#include "tests/support/shipped_package.h"
#include "ui/window_report_sink_win.h"

namespace {

constexpr wchar_t kWindowClass[] = L"SequenceReportWindow";

void RegisterWindowClass(WNDPROC procedure) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);  // fails harmlessly when already registered
}

// Wine maps the Linux root to drive Z:.
std::wstring WinePath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

// An elevated installation starts its programs as the user whose shell owns
// the desktop. A test machine runs no shell, so this process plays it, with a
// window of its own that lives as long as the process.
void ActAsTheDesktopShell() {
    static const bool done = [] {
        using SetShellWindowFunction = BOOL(WINAPI*)(HWND);
        auto setShellWindow = reinterpret_cast<SetShellWindowFunction>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
        HWND shell = CreateWindowExW(0, L"STATIC", L"test shell", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        return setShellWindow && shell && setShellWindow(shell);
    }();
    (void)done;
}

}  // namespace

SequenceHarness::SequenceHarness() {
    ActAsTheDesktopShell();
    RegisterWindowClass(WindowProc);
    window_ = CreateWindowExW(0, kWindowClass, L"sequence reports", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    state_ = std::make_shared<InstallerState>();
}

SequenceHarness::~SequenceHarness() {
    ReleaseInstallerState(state_);
    if (window_)
        DestroyWindow(window_);
}

bool SequenceHarness::Load(const std::vector<uint8_t>& package) {
    ReleaseInstallerState(state_);
    state_ = std::make_shared<InstallerState>();
    return LoadPackage(*state_, package.data(), package.size());
}

LRESULT CALLBACK SequenceHarness::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* harness = reinterpret_cast<SequenceHarness*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && harness) {
        harness->OnReport(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void SequenceHarness::OnReport(const COPYDATASTRUCT& data) {
    ReceivedReport report{static_cast<ProgressCode>(data.dwData), data.cbData, {}};
    if (data.cbData >= 2)
        report.Text.assign(static_cast<const char16_t*>(data.lpData), data.cbData / 2 - 1);
    reports_.push_back(report);
    if (stop_ && report.Code == stop_->Code && CountOf(report.Code) == stop_->Occurrence)
        StopInstallWorker(*state_);
    if (report.Code == ProgressCode::WorkerFinished)
        finished_ = true;
}

bool SequenceHarness::WaitForWorkerThread(DWORD limitMs) {
    if (!workerThread_)
        return true;
    return WaitForSingleObject(workerThread_, limitMs) == WAIT_OBJECT_0;
}

bool SequenceHarness::Run(InstallOptions options, std::optional<StopAt> stop, bool withWindow, DWORD limitMs) {
    reports_.clear();
    finished_ = false;
    stop_ = stop;
    options.OwnerWindow = withWindow ? window_ : nullptr;
    options.Reports = &WindowReportSink();
    if (!StartInstallWorker(state_, options, InstallWorker))
        return false;
    // A handle of our own: a stop request releases the state's.
    HANDLE thread = nullptr;
    DuplicateHandle(GetCurrentProcess(), state_->WorkerThread.get(), GetCurrentProcess(), &thread, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    workerThread_ = thread;
    const DWORD start = GetTickCount();
    while (withWindow && !finished_ && GetTickCount() - start < limitMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    const bool ended = WaitForWorkerThread(withWindow ? 10000 : limitMs);
    CloseHandle(thread);
    workerThread_ = nullptr;
    return (finished_ || !withWindow) && ended;
}

std::vector<ProgressCode> SequenceHarness::Codes() const {
    std::vector<ProgressCode> codes;
    for (const ReceivedReport& report : reports_)
        codes.push_back(report.Code);
    return codes;
}

int SequenceHarness::CountOf(ProgressCode code) const {
    int count = 0;
    for (const ReceivedReport& report : reports_)
        count += report.Code == code;
    return count;
}

std::vector<std::u16string> SequenceHarness::TextsOf(ProgressCode code) const {
    std::vector<std::u16string> texts;
    for (const ReceivedReport& report : reports_)
        if (report.Code == code)
            texts.push_back(report.Text);
    return texts;
}

std::vector<uint8_t> DemoPackage() {
    std::ifstream file(std::filesystem::path(WinePath(DEMO_PACKAGE_UNIX_PATH)), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> BuildPackage(const std::vector<ScriptCommand>& commands, const StoreFolder& root) {
    return MakePackage(MakeScriptBlock(EncodeScriptBody(commands)), MakeFileStore(root));
}

InstallOptions UnattendedOptions(const std::u16string& baseFolder) {
    InstallOptions options;
    options.BaseFolder = baseFolder;
    options.Unattended = true;
    options.ShowPanel = false;
    options.Hid = 0;
    options.LangId = 1033;
    return options;
}
