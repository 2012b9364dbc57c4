// The demo payload's programs doing what their names say, under Wine: the
// staged payload is copied into a folder whose path has blanks (as an
// installation would place it), then the service runs under the real
// service manager, the panel's window is found and closed, and the driver
// batch files run the way the installer runs them.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <system_error>
#include <vector>

#include "platform/unique_handle_win.h"
#include "tests/support/test_files_win.h"
#include "tests/support/test_timing_win.h"

namespace {

using test_files::ReadTextFile;
using test_timing::WaitFor;

const std::wstring kInstallFolder = L"C:\\Program Files (x86)\\Zorvanelle Test\\ZorvanelleV7";
const std::wstring kDriverFolder = kInstallFolder + L"\\driver";
const std::wstring kServiceName = L"ZorvanelleServiceV7";
const std::wstring kServiceExe = kInstallFolder + L"\\ZorvanelleServiceV7.exe";
const std::wstring kServiceLog = kInstallFolder + L"\\ZorvanelleServiceV7.log";
const std::wstring kPanelExe = kInstallFolder + L"\\ZorvanellePanelV7.exe";
const wchar_t kPanelTitle[] = L"ZorvanellePanelV7";
const wchar_t kProductKey[] = L"SOFTWARE\\TrovalisServerV7";
const std::string kHidId = "HID\\VID_2A7F&PID_0101";
const std::string kUsbId = "USB\\VID_2A7F&PID_0100";

// The staged payload folder of the build; Wine maps the Linux root to Z:.
std::wstring StagedPayload() {
    std::wstring path = L"Z:";
    for (char c : std::string(STAGED_PAYLOAD_UNIX_PATH))
        path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
    return path;
}

// Replaces `target` with a copy of the staged payload.
bool CopyStagedPayload(const std::wstring& target) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::remove_all(fs::path(target), error);
    test_files::CreateFolders(target);
    fs::copy(fs::path(StagedPayload()), fs::path(target), fs::copy_options::recursive, error);
    return !error;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());  // the paths here are ASCII
}

struct Started {
    UniqueProcess process;
    UniqueThread thread;
};

// Starts `program` with `arguments` the way the installer starts programs: a
// quoted path, a hidden start-up window state, a new console, and
// `workingFolder` as the working folder.
std::optional<Started> StartLikeInstaller(const std::wstring& program,
                                          const std::wstring& arguments,
                                          const std::wstring& workingFolder) {
    std::wstring line = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                        workingFolder.c_str(), &startup, &info))
        return std::nullopt;
    return Started{UniqueProcess(info.hProcess), UniqueThread(info.hThread)};
}

// Waits up to `limitMs` for the process to end; its exit code, or nothing
// when it did not end in time (it is then terminated).
std::optional<DWORD> WaitForExitCode(const Started& started, DWORD limitMs) {
    if (WaitForSingleObject(started.process.Get(), limitMs) != WAIT_OBJECT_0) {
        TerminateProcess(started.process.Get(), 1);
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(started.process.Get(), &code);
    return code;
}

// Every test works on a fresh copy of the staged payload.
class PayloadFolderTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(CopyStagedPayload(kInstallFolder)); }
};

// ---------------------------------------------------------------------------
// The service program under the service manager.

class PayloadServiceTest : public PayloadFolderTest {
  protected:
    void SetUp() override {
        PayloadFolderTest::SetUp();
        manager_.Reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ASSERT_TRUE(manager_);
    }

    // Creates the service from the copied exe with a quoted image path, as
    // the installer does.
    UniqueService Create() {
        const std::wstring imagePath = L"\"" + kServiceExe + L"\"";
        return UniqueService(CreateServiceW(manager_.Get(), kServiceName.c_str(), kServiceName.c_str(),
                                            SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                            SERVICE_ERROR_NORMAL, imagePath.c_str(), nullptr, nullptr, nullptr, nullptr,
                                            nullptr));
    }

    static SERVICE_STATUS_PROCESS Status(SC_HANDLE service) {
        SERVICE_STATUS_PROCESS status = {};
        DWORD needed = 0;
        QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof(status),
                             &needed);
        return status;
    }

    static bool WaitForState(SC_HANDLE service, DWORD state) {
        return WaitFor([&] { return Status(service).dwCurrentState == state; }, 10000);
    }

    // Stops (ending its process if it must) and deletes the service.
    void TearDown() override {
        UniqueService service(OpenServiceW(manager_.Get(), kServiceName.c_str(), SERVICE_ALL_ACCESS));
        if (!service)
            return;
        SERVICE_STATUS ignored = {};
        ControlService(service.Get(), SERVICE_CONTROL_STOP, &ignored);
        if (!WaitForState(service.Get(), SERVICE_STOPPED)) {
            UniqueProcess process(OpenProcess(PROCESS_TERMINATE, FALSE, Status(service.Get()).dwProcessId));
            TerminateProcess(process.Get(), 1);
        }
        DeleteService(service.Get());
    }

    UniqueService manager_;
};

// The service manager starts the service; its log then ends in a start line.
TEST_F(PayloadServiceTest, StartedServiceRunsAndLogsStart) {
    UniqueService service = Create();
    ASSERT_TRUE(service) << GetLastError();
    ASSERT_TRUE(StartServiceW(service.Get(), 0, nullptr)) << GetLastError();
    ASSERT_TRUE(WaitForState(service.Get(), SERVICE_RUNNING));
    std::vector<std::string> lines = test_files::LinesOf(ReadTextFile(kServiceLog));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(" start"), std::string::npos) << lines[0];
}

// A stop request ends the service; its log then ends in a stop line.
TEST_F(PayloadServiceTest, StoppedServiceEndsAndLogsStop) {
    UniqueService service = Create();
    ASSERT_TRUE(service);
    ASSERT_TRUE(StartServiceW(service.Get(), 0, nullptr));
    ASSERT_TRUE(WaitForState(service.Get(), SERVICE_RUNNING));
    SERVICE_STATUS status = {};
    ASSERT_TRUE(ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) << GetLastError();
    ASSERT_TRUE(WaitForState(service.Get(), SERVICE_STOPPED));
    std::vector<std::string> lines = test_files::LinesOf(ReadTextFile(kServiceLog));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find(" stop"), std::string::npos) << lines[1];
    EXPECT_EQ(Status(service.Get()).dwWin32ExitCode, static_cast<DWORD>(NO_ERROR));
}

// Each log line is a local timestamp followed by the event.
TEST_F(PayloadServiceTest, LogLinesAreTimestampAndEvent) {
    UniqueService service = Create();
    ASSERT_TRUE(service);
    ASSERT_TRUE(StartServiceW(service.Get(), 0, nullptr));
    ASSERT_TRUE(WaitForState(service.Get(), SERVICE_RUNNING));
    SERVICE_STATUS status = {};
    ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
    ASSERT_TRUE(WaitForState(service.Get(), SERVICE_STOPPED));
    const std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d (start|stop))");
    for (const std::string& text : test_files::LinesOf(ReadTextFile(kServiceLog)))
        EXPECT_TRUE(std::regex_match(text, line)) << text;
}

// A running service takes stop and shutdown requests.
TEST_F(PayloadServiceTest, RunningServiceAcceptsStopAndShutdown) {
    UniqueService service = Create();
    ASSERT_TRUE(service);
    ASSERT_TRUE(StartServiceW(service.Get(), 0, nullptr));
    ASSERT_TRUE(WaitForState(service.Get(), SERVICE_RUNNING));
    const DWORD accepted = Status(service.Get()).dwControlsAccepted;
    EXPECT_TRUE(accepted & SERVICE_ACCEPT_STOP);
    EXPECT_TRUE(accepted & SERVICE_ACCEPT_SHUTDOWN);
}

// Started from a console, the service program prints one usage line and fails.
TEST_F(PayloadServiceTest, RunFromConsolePrintsUsageAndFails) {
    const std::wstring output = kInstallFolder + L"\\usage.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    UniqueFile file(CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file.Get();
    startup.hStdError = file.Get();
    PROCESS_INFORMATION info = {};
    std::wstring line = L"\"" + kServiceExe + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info));
    Started started{UniqueProcess(info.hProcess), UniqueThread(info.hThread)};
    std::optional<DWORD> code = WaitForExitCode(started, 10000);
    file.Reset();
    ASSERT_TRUE(code);
    EXPECT_NE(*code, 0u);
    std::vector<std::string> lines = test_files::LinesOf(ReadTextFile(output));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("usage:", 0), 0u) << lines[0];
    EXPECT_FALSE(test_files::FileExists(kServiceLog));
}

// ---------------------------------------------------------------------------
// The panel program's window.

std::wstring PanelConfigFolder() {
    wchar_t documents[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, documents, CSIDL_COMMON_DOCUMENTS, FALSE);
    return std::wstring(documents) + L"\\ZorvanelleV7";
}

class PayloadPanelTest : public PayloadFolderTest {
  protected:
    void SetUp() override {
        PayloadFolderTest::SetUp();
        RemoveConfiguration();
    }

    void TearDown() override {
        if (panel_) {
            TerminateProcess(panel_->process.Get(), 1);
            WaitForSingleObject(panel_->process.Get(), 5000);
        }
        RemoveConfiguration();
    }

    static void RemoveConfiguration() {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kProductKey);
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(PanelConfigFolder()), ignored);
    }

    // Starts the panel as the installer launches it; its window once its
    // text control exists (the window is found while it is still being
    // created), or null when that does not happen within 10 s.
    HWND StartPanel(const std::wstring& arguments) {
        panel_ = StartLikeInstaller(kPanelExe, arguments, kInstallFolder);
        if (!panel_)
            return nullptr;
        HWND window = nullptr;
        const bool ready = WaitFor(
            [&] {
                window = FindWindowW(nullptr, kPanelTitle);
                return window != nullptr && FindWindowExW(window, nullptr, L"STATIC", nullptr) != nullptr;
            },
            10000);
        return ready ? window : nullptr;
    }

    static std::string TextOf(HWND window) {
        HWND text = FindWindowExW(window, nullptr, L"STATIC", nullptr);
        wchar_t buffer[1024] = {};
        GetWindowTextW(text, buffer, 1024);
        return Narrow(buffer);
    }

    std::optional<Started> panel_;
};

// With -h the window exists but is never shown.
TEST_F(PayloadPanelTest, HideArgumentCreatesWindowWithoutShowingIt) {
    HWND window = StartPanel(L"-h");
    ASSERT_TRUE(window);
    Sleep(500);  // the window would be shown right after its creation
    EXPECT_FALSE(IsWindowVisible(window));
}

// Without -h the window is shown, also when started with a hidden start-up
// window state as the installer starts programs.
TEST_F(PayloadPanelTest, WithoutHideArgumentWindowIsVisible) {
    HWND window = StartPanel(L"");
    ASSERT_TRUE(window);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, 5000));
}

// WM_CLOSE ends the panel with exit code 0.
TEST_F(PayloadPanelTest, CloseMessageEndsPanelWithExitCodeZero) {
    HWND window = StartPanel(L"-h");
    ASSERT_TRUE(window);
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    std::optional<DWORD> code = WaitForExitCode(*panel_, 10000);
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 0u);
}

// The window shows the company and language of the product key and the
// language and endpoint of the configuration file.
TEST_F(PayloadPanelTest, ShowsProductKeyAndConfiguration) {
    HKEY created = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr),
        ERROR_SUCCESS);
    UniqueKey key(created);
    const wchar_t company[] = L"Zorvanelle";
    RegSetValueExW(key.Get(), L"Company", 0, REG_SZ, reinterpret_cast<const BYTE*>(company), 20);  // no terminator
    const DWORD english = 1033;
    RegSetValueExW(key.Get(), L"LanguageID", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&english), 4);
    test_files::CreateFolders(PanelConfigFolder());
    ASSERT_TRUE(
        test_files::WriteTextFile(PanelConfigFolder() + L"\\PanelConfig.ini",
                                  "<Lang Id=\"0x0804\" />\r\n<IPEndpoint IP=\"127.0.0.1\" Port=\"7550\" />\r\n"));

    HWND window = StartPanel(L"-h");
    ASSERT_TRUE(window);
    const std::string text = TextOf(window);
    EXPECT_NE(text.find("Company: Zorvanelle\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Installed language: 0x0409 English\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Panel language: 0x0804 Chinese (Simplified)\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Service endpoint: 127.0.0.1:7550\r\n"), std::string::npos) << text;
}

// Without the key and the file the panel still runs and says so.
TEST_F(PayloadPanelTest, RunsUnconfiguredWithoutKeyOrFile) {
    HWND window = StartPanel(L"-h");
    ASSERT_TRUE(window);
    const std::string text = TextOf(window);
    EXPECT_NE(text.find("Company: not configured\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Panel language: not configured\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Service endpoint: not configured\r\n"), std::string::npos) << text;
    EXPECT_EQ(WaitForSingleObject(panel_->process.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

// ---------------------------------------------------------------------------
// The driver batch files and the device-console tool.

class PayloadDriverBatchTest : public PayloadFolderTest {
  protected:
    // Runs a batch of the driver folder as the installer runs it; its exit
    // code, or nothing when it did not start or end within 30 s.
    static std::optional<DWORD> RunBatch(const std::wstring& name) {
        std::optional<Started> started = StartLikeInstaller(kDriverFolder + L"\\" + name, L"", kDriverFolder);
        return started ? WaitForExitCode(*started, 30000) : std::nullopt;
    }

    static std::vector<std::string> InstalledIds() {
        return test_files::LinesOf(ReadTextFile(kDriverFolder + L"\\DevConsole.state"));
    }
    static std::vector<std::string> ToolCalls() {
        return test_files::LinesOf(ReadTextFile(kDriverFolder + L"\\DevConsole.log"));
    }

    static std::string InstallCall(const std::string& tool, const std::string& inf, const std::string& id) {
        return tool + " install \"" + Narrow(kDriverFolder) + "\\" + inf + "\" " + id;
    }
};

// The x64 install batches install both drivers through DevConsoleX64.exe,
// naming the INF files beside them; the uninstall batches remove both.
TEST_F(PayloadDriverBatchTest, X64InstallThenUninstallLeavesNoDriver) {
    EXPECT_EQ(RunBatch(L"InstallHIDDriverX64.bat"), 0u);
    EXPECT_EQ(RunBatch(L"InstallUsbDriverX64.bat"), 0u);
    EXPECT_EQ(InstalledIds(), (std::vector<std::string>{kHidId, kUsbId}));
    EXPECT_EQ(RunBatch(L"UninstallHIDDriverX64.bat"), 0u);
    EXPECT_EQ(RunBatch(L"UninstallUsbDriverx64.bat"), 0u);
    EXPECT_TRUE(InstalledIds().empty());
    EXPECT_EQ(ToolCalls(), (std::vector<std::string>{
                               InstallCall("DevConsoleX64.exe", "HID\\ZorvanelleHid.inf", kHidId),
                               InstallCall("DevConsoleX64.exe", "USB\\ZorvanelleUsb.inf", kUsbId),
                               "DevConsoleX64.exe remove " + kHidId,
                               "DevConsoleX64.exe remove " + kUsbId,
                           }));
}

// The same for the x86 batches and DevConsoleX86.exe.
TEST_F(PayloadDriverBatchTest, X86InstallThenUninstallLeavesNoDriver) {
    EXPECT_EQ(RunBatch(L"InstallHIDDriverX86.bat"), 0u);
    EXPECT_EQ(RunBatch(L"InstallUsbDriverX86.bat"), 0u);
    EXPECT_EQ(InstalledIds(), (std::vector<std::string>{kHidId, kUsbId}));
    EXPECT_EQ(RunBatch(L"UninstallHIDDriverX86.bat"), 0u);
    EXPECT_EQ(RunBatch(L"UninstallUsbDriverX86.bat"), 0u);
    EXPECT_TRUE(InstalledIds().empty());
    EXPECT_EQ(ToolCalls(), (std::vector<std::string>{
                               InstallCall("DevConsoleX86.exe", "HID\\ZorvanelleHid.inf", kHidId),
                               InstallCall("DevConsoleX86.exe", "USB\\ZorvanelleUsb.inf", kUsbId),
                               "DevConsoleX86.exe remove " + kHidId,
                               "DevConsoleX86.exe remove " + kUsbId,
                           }));
}

// An install run again (the installer may run the HID batch several times)
// keeps one entry, which one removal takes away.
TEST_F(PayloadDriverBatchTest, RepeatedInstallKeepsOneEntry) {
    for (int run = 0; run < 3; ++run)
        EXPECT_EQ(RunBatch(L"InstallHIDDriverX64.bat"), 0u);
    EXPECT_EQ(InstalledIds(), std::vector<std::string>{kHidId});
    EXPECT_EQ(RunBatch(L"UninstallHIDDriverX64.bat"), 0u);
    EXPECT_TRUE(InstalledIds().empty());
}

// An uninstall batch with nothing installed (the installer runs it before
// each install) succeeds and leaves nothing installed.
TEST_F(PayloadDriverBatchTest, UninstallWithNothingInstalledSucceeds) {
    EXPECT_EQ(RunBatch(L"UninstallUsbDriverx64.bat"), 0u);
    EXPECT_TRUE(InstalledIds().empty());
}

// An install batch passes on the tool's failure: without its INF file the
// tool fails, installs nothing, and the batch exits with the tool's code.
TEST_F(PayloadDriverBatchTest, InstallBatchExitsWithToolFailure) {
    ASSERT_TRUE(DeleteFileW((kDriverFolder + L"\\HID\\ZorvanelleHid.inf").c_str()));
    EXPECT_EQ(RunBatch(L"InstallHIDDriverX64.bat"), 1u);
    EXPECT_TRUE(InstalledIds().empty());
}

// The staged payload names the batch files exactly as the install script
// refers to them, case included.
TEST_F(PayloadDriverBatchTest, PayloadKeepsBatchFileNamesExactly) {
    const std::wstring staged = StagedPayload() + L"\\driver\\";
    for (const wchar_t* name :
         {L"InstallHIDDriverX86.bat", L"InstallHIDDriverX64.bat", L"UninstallHIDDriverX86.bat",
          L"UninstallHIDDriverX64.bat", L"InstallUsbDriverX86.bat", L"InstallUsbDriverX64.bat",
          L"UninstallUsbDriverX86.bat", L"UninstallUsbDriverx64.bat", L"DevConsoleX86.exe", L"DevConsoleX64.exe"}) {
        WIN32_FIND_DATAW found = {};
        UniqueFind find(FindFirstFileW((staged + name).c_str(), &found));
        ASSERT_TRUE(find) << Narrow(name);
        EXPECT_EQ(std::wstring(found.cFileName), name);
    }
}

}  // namespace
