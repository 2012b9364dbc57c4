// Service control against real services under Wine: each test creates its
// services from copies of TestService.exe in a folder whose path has blanks,
// checks what the service manager then holds through its own API, and
// removes what it created (a stray auto-start service would start again in a
// later session of the same prefix).
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/service_control_win.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"
#include "tests/support/test_files_win.h"
#include "tests/support/test_timing_win.h"

namespace {

using test_timing::Elapsed;
using test_timing::WaitFor;

const std::wstring kServiceFolder = L"C:\\Program Files (x86)\\Test Dir";

std::wstring ImagePathOf(const std::wstring& name) {
    return kServiceFolder + L"\\" + name + L".exe";
}

std::string ServiceLog(const std::wstring& name) {
    return test_files::ReadTextFile(kServiceFolder + L"\\" + name + L".log");
}

int CountLines(const std::string& log, const std::string& line) {
    int count = 0;
    for (size_t at = log.find(line + "\r\n"); at != std::string::npos; at = log.find(line + "\r\n", at + 1))
        ++count;
    return count;
}

UniqueService OpenManager() {
    return UniqueService(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

// Ends the process `pid` (nothing for 0) and waits for it to go.
void KillProcess(DWORD pid) {
    if (pid == 0)
        return;
    UniqueProcess process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    TerminateProcess(process.Get(), 0);
    WaitForSingleObject(process.Get(), 5000);
}

class ServiceControlTest : public ::testing::Test {
  protected:
    // Copies TestService.exe to <folder>\<name>.exe; `mode` (when given) goes
    // into the .mode file that makes it misbehave. Returns the exe path.
    std::u16string InstallServiceProgram(const std::wstring& name, const char* mode = nullptr) {
        std::wstring path = ImagePathOf(name);
        EXPECT_TRUE(test_files::CopyHelperProgram(L"TestService.exe", path));
        DeleteFileW((kServiceFolder + L"\\" + name + L".log").c_str());
        DeleteFileW((kServiceFolder + L"\\" + name + L".mode").c_str());
        if (mode) {
            EXPECT_TRUE(test_files::WriteTextFile(kServiceFolder + L"\\" + name + L".mode", mode));
        }
        created_.push_back(name);
        return FromWide(path);
    }

    // Creates the service `name` through the code under test.
    void CreateService(const std::wstring& name,
                       const char* mode = nullptr,
                       const std::optional<std::u16string>& description = std::nullopt) {
        std::u16string path = InstallServiceProgram(name, mode);
        ASSERT_TRUE(CreateAutoStartService(FromWide(name), path, description));
    }

    UniqueService Open(const std::wstring& name) {
        manager_ = OpenManager();
        return UniqueService(OpenServiceW(manager_.Get(), name.c_str(), SERVICE_ALL_ACCESS));
    }

    // The service's status, or nothing when it cannot be opened or queried.
    std::optional<SERVICE_STATUS_PROCESS> Status(const std::wstring& name) {
        SERVICE_STATUS_PROCESS status = {};
        UniqueService service = Open(name);
        DWORD needed = 0;
        if (!service || !QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                              sizeof(status), &needed))
            return std::nullopt;
        return status;
    }

    // The current state; 0 (no state) when the service cannot be queried.
    DWORD State(const std::wstring& name) {
        std::optional<SERVICE_STATUS_PROCESS> status = Status(name);
        return status ? status->dwCurrentState : 0;
    }

    // Removes every service the test created without the code under test:
    // ends its process (a misbehaving one may ignore a stop) and deletes it.
    void TearDown() override {
        for (const std::wstring& name : created_) {
            if (std::optional<SERVICE_STATUS_PROCESS> status = Status(name))
                KillProcess(status->dwProcessId);
            if (UniqueService service = Open(name))
                DeleteService(service.Get());
        }
    }

  private:
    std::vector<std::wstring> created_;
    UniqueService manager_;
};

struct Config {
    std::wstring BinaryPath, DisplayName, StartName, LoadOrderGroup, Dependencies;
    DWORD ServiceType = 0, StartType = 0, ErrorControl = 0;
};

std::optional<Config> QueryConfig(SC_HANDLE service) {
    DWORD needed = 0;
    QueryServiceConfigW(service, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!QueryServiceConfigW(service, config, needed, &needed))
        return std::nullopt;
    auto text = [](const wchar_t* s) { return std::wstring(s ? s : L""); };
    return Config{text(config->lpBinaryPathName),
                  text(config->lpDisplayName),
                  text(config->lpServiceStartName),
                  text(config->lpLoadOrderGroup),
                  text(config->lpDependencies),
                  config->dwServiceType,
                  config->dwStartType,
                  config->dwErrorControl};
}

// The description, or nothing when the service has none.
std::optional<std::wstring> QueryDescription(SC_HANDLE service) {
    DWORD needed = 0;
    QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed + sizeof(SERVICE_DESCRIPTIONW));
    auto* info = reinterpret_cast<SERVICE_DESCRIPTIONW*>(buffer.data());
    EXPECT_TRUE(QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, buffer.data(),
                                     static_cast<DWORD>(buffer.size()), &needed));
    if (!info->lpDescription || !*info->lpDescription)
        return std::nullopt;
    return std::wstring(info->lpDescription);
}

// Creation stores the configuration of an own-process auto-start service
// under LocalSystem, with the image path quoted.
TEST_F(ServiceControlTest, CreatesQuotedAutoStartOwnProcessService) {
    CreateService(L"H4Config");
    UniqueService service = Open(L"H4Config");
    ASSERT_TRUE(service);
    std::optional<Config> config = QueryConfig(service.Get());
    ASSERT_TRUE(config);
    EXPECT_EQ(L"\"" + ImagePathOf(L"H4Config") + L"\"", config->BinaryPath);
    EXPECT_EQ(L"H4Config", config->DisplayName);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), config->ServiceType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), config->StartType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_ERROR_NORMAL), config->ErrorControl);
    EXPECT_EQ(L"LocalSystem", config->StartName);
    EXPECT_EQ(L"", config->LoadOrderGroup);
    EXPECT_EQ(L"", config->Dependencies);
}

// A description given at creation is set; an absent one leaves none.
TEST_F(ServiceControlTest, SetsDescriptionOnlyWhenGiven) {
    CreateService(L"H4Described", nullptr, u"Touch input service");
    CreateService(L"H4Plain");
    EXPECT_EQ(std::optional<std::wstring>(L"Touch input service"), QueryDescription(Open(L"H4Described").Get()));
    EXPECT_EQ(std::nullopt, QueryDescription(Open(L"H4Plain").Get()));
}

// A service of the same name that still exists makes the creation fail; a
// path holding a quote is refused before the manager sees it.
TEST_F(ServiceControlTest, CreationFailsForExistingNameAndQuotedPath) {
    CreateService(L"H4Twice");
    EXPECT_FALSE(CreateAutoStartService(u"H4Twice", FromWide(ImagePathOf(L"H4Twice")), std::nullopt));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_EXISTS), GetLastError());
    EXPECT_FALSE(CreateAutoStartService(u"H4Quote", u"\"C:\\x.exe\"", std::nullopt));
    EXPECT_FALSE(ServiceExists(u"H4Quote"));
}

// ServiceExists follows the service through creation and deletion.
TEST_F(ServiceControlTest, ExistsFromCreationUntilDeletion) {
    EXPECT_FALSE(ServiceExists(u"H4Life"));
    CreateService(L"H4Life");
    EXPECT_TRUE(ServiceExists(u"H4Life"));
    EXPECT_TRUE(StopAndDeleteService(u"H4Life"));
    EXPECT_FALSE(ServiceExists(u"H4Life"));
}

// Start runs the service once; a second start on the running service gives
// true without starting it again.
TEST_F(ServiceControlTest, StartRunsServiceAndStartingItAgainGivesTrue) {
    CreateService(L"H4Start");
    UniqueService service = Open(L"H4Start");
    EXPECT_TRUE(StartServiceAndWait(service.Get()));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), State(L"H4Start"));
    EXPECT_TRUE(StartServiceAndWait(service.Get()));
    EXPECT_EQ(1, CountLines(ServiceLog(L"H4Start"), "start"));
}

// Stop ends a running service; a second stop on the stopped service gives
// true without sending it another control.
TEST_F(ServiceControlTest, StopStopsServiceAndStoppingItAgainGivesTrue) {
    CreateService(L"H4Stop");
    UniqueService service = Open(L"H4Stop");
    ASSERT_TRUE(StartServiceAndWait(service.Get()));
    EXPECT_TRUE(StopServiceAndWait(service.Get()));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), State(L"H4Stop"));
    EXPECT_TRUE(StopServiceAndWait(service.Get()));
    EXPECT_EQ(1, CountLines(ServiceLog(L"H4Stop"), "stop"));
}

// A service that stops inside its control handler is reported stopped by
// the stop request itself, so no pause is made.
TEST_F(ServiceControlTest, StopMakesNoPauseWhenServiceStopsAtOnce) {
    CreateService(L"H4Quick");
    UniqueService service = Open(L"H4Quick");
    ASSERT_TRUE(StartServiceAndWait(service.Get()));
    bool stopped = false;
    DWORD error = 0;
    DWORD elapsed = Elapsed([&] {
        stopped = StopServiceAndWait(service.Get());
        error = GetLastError();
    });
    EXPECT_TRUE(stopped) << "error " << error;
    EXPECT_LT(elapsed, kServicePollIntervalMs);
}

// The by-name operations start and stop the named service.
TEST_F(ServiceControlTest, ByNameOperationsStartAndStopService) {
    CreateService(L"H4ByName");
    StartServiceByName(u"H4ByName");
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), State(L"H4ByName"));
    StopServiceByName(u"H4ByName");
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), State(L"H4ByName"));
    EXPECT_EQ("start\r\nstop\r\n", ServiceLog(L"H4ByName"));
}

// A running service is stopped before it is deleted.
TEST_F(ServiceControlTest, StopAndDeleteStopsRunningServiceThenDeletesIt) {
    CreateService(L"H4Running");
    StartServiceByName(u"H4Running");
    ASSERT_EQ(static_cast<DWORD>(SERVICE_RUNNING), State(L"H4Running"));
    EXPECT_TRUE(StopAndDeleteService(u"H4Running"));
    // The service is removed once its process has gone, a moment after it
    // reported itself stopped.
    EXPECT_TRUE(WaitFor([] { return !ServiceExists(u"H4Running"); }, 3000));
    EXPECT_EQ("start\r\nstop\r\n", ServiceLog(L"H4Running"));
}

// Names that do not exist: deletion gives false, the by-name operations do
// nothing, and no service of that name appears.
TEST_F(ServiceControlTest, MissingServiceGivesFalseAndChangesNothing) {
    StartServiceByName(u"H4Missing");
    StopServiceByName(u"H4Missing");
    EXPECT_FALSE(StopAndDeleteService(u"H4Missing"));
    EXPECT_FALSE(ServiceExists(u"H4Missing"));
}

// A service whose program is gone cannot be started.
TEST_F(ServiceControlTest, StartGivesFalseWhenProgramIsMissing) {
    CreateService(L"H4NoProgram");
    ASSERT_TRUE(DeleteFileW(ImagePathOf(L"H4NoProgram").c_str()));
    EXPECT_FALSE(StartServiceAndWait(Open(L"H4NoProgram").Get()));
    EXPECT_NE(static_cast<DWORD>(SERVICE_RUNNING), State(L"H4NoProgram"));
}

// A service that stays start-pending is given up on a little more than the
// wait limit after the start request, and left pending.
TEST_F(ServiceControlTest, StartGivesFalseAfterWaitLimitWhenServiceStaysPending) {
    CreateService(L"H4Pending", "stay-start-pending");
    UniqueService service = Open(L"H4Pending");
    bool started = true;
    DWORD elapsed = Elapsed([&] { started = StartServiceAndWait(service.Get()); });
    EXPECT_FALSE(started);
    EXPECT_GT(elapsed, kServiceWaitLimitMs);
    EXPECT_LT(elapsed, kServiceWaitLimitMs + 3 * kServicePollIntervalMs + 1000);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_START_PENDING), State(L"H4Pending"));
}

// A service that ignores the stop request is given up on after the first
// pause and the wait limit, and left running.
TEST_F(ServiceControlTest, StopGivesFalseAfterWaitLimitWhenServiceIgnoresStop) {
    CreateService(L"H4Deaf", "ignore-stop");
    UniqueService service = Open(L"H4Deaf");
    ASSERT_TRUE(StartServiceAndWait(service.Get()));
    bool stopped = true;
    DWORD elapsed = Elapsed([&] { stopped = StopServiceAndWait(service.Get()); });
    EXPECT_FALSE(stopped);
    EXPECT_GT(elapsed, kServicePollIntervalMs + kServiceWaitLimitMs);
    EXPECT_LT(elapsed, kServiceWaitLimitMs + 4 * kServicePollIntervalMs + 1000);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), State(L"H4Deaf"));
}

// Deleting a service that will not stop still succeeds: it is only marked,
// and goes once its process ends.
TEST_F(ServiceControlTest, StopAndDeleteMarksServiceThatIgnoresStop) {
    CreateService(L"H4DeafDelete", "ignore-stop");
    StartServiceByName(u"H4DeafDelete");
    std::optional<SERVICE_STATUS_PROCESS> status = Status(L"H4DeafDelete");
    ASSERT_TRUE(status);
    ASSERT_EQ(static_cast<DWORD>(SERVICE_RUNNING), status->dwCurrentState);
    EXPECT_TRUE(StopAndDeleteService(u"H4DeafDelete"));
    EXPECT_TRUE(ServiceExists(u"H4DeafDelete"));
    KillProcess(status->dwProcessId);
    EXPECT_TRUE(WaitFor([] { return !ServiceExists(u"H4DeafDelete"); }, 3000));
}

}  // namespace
