// One unattended installation of the demo package on this machine, checked
// through the Win32 API and the saved uninstall log: the files, the product
// key, the driver batches for this processor, the service, the shortcuts,
// the shell entries, the panel configuration, the log's records and the
// launched panel. Built twice: for the AMD64 prefix and, with EXPECT_X86,
// for a 32-bit prefix.
#include <windows.h>

#include <shlobj.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/product_constants.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"
#include "records/key_record.h"
#include "removal/uninstall_log_file_win.h"
#include "tests/engine/sequence/machine_state_win.h"
#include "tests/engine/sequence/sequence_harness_win.h"
#include "tests/support/test_files_win.h"
#include "tests/support/test_timing_win.h"

namespace {

#ifdef EXPECT_X86
constexpr char16_t kArch[] = u"X86";
#else
constexpr char16_t kArch[] = u"X64";
#endif

// A base folder with a blank: every path handed to Windows must survive it.
constexpr char16_t kBase[] = u"C:\\Seq Base Folder";
constexpr char16_t kInstall[] = u"C:\\Seq Base Folder\\Zorvanelle\\ZorvanelleV7";
constexpr int32_t kHidRuns = 2;

std::string U8(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

std::u16string InstallPath(const std::u16string& relative) {
    return std::u16string(kInstall) + u"\\" + relative;
}

class FullInstallTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        WipeDemoProduct(kBase);
        CreateDirectoryW(L"C:\\Seq Base Folder", nullptr);
        harness_ = new SequenceHarness();
        ASSERT_TRUE(harness_->Load(DemoPackage()));
        InstallOptions options = UnattendedOptions(kBase);
        options.Hid = kHidRuns;
        options.LangId = 2052;
        ran_ = harness_->Run(options);
    }

    static void TearDownTestSuite() {
        delete harness_;
        harness_ = nullptr;
        WipeDemoProduct(kBase);
    }

    void SetUp() override { ASSERT_TRUE(ran_) << "the installation did not end with WorkerFinished"; }

    static const PackageTree& Tree() { return *harness_->State().Tree; }

    static std::u16string PathOf(const PackageFile& file) { return InstallPath(RelativePathOf(file)); }

    static SequenceHarness* harness_;
    static bool ran_;
};

SequenceHarness* FullInstallTest::harness_ = nullptr;
bool FullInstallTest::ran_ = false;

TEST_F(FullInstallTest, UnattendedRunReportsOnlyWorkerFinished) {
    ASSERT_EQ(harness_->Codes(), std::vector<ProgressCode>{ProgressCode::WorkerFinished});
    EXPECT_EQ(harness_->Reports()[0].Size, 0u);
}

TEST_F(FullInstallTest, EveryPackageFileHoldsItsBytes) {
    int files = 0;
    for (const PackageFile& file : Tree().AllFiles) {
        const std::string content = test_files::ReadTextFile(ToWide(PathOf(file)));
        EXPECT_TRUE(content == std::string(file.Data, file.Data + file.Size)) << U8(PathOf(file));
        ++files;
    }
    EXPECT_EQ(files, 31) << "the demo package holds 31 files";
}

TEST_F(FullInstallTest, ProductKeyNamesTheInstallation) {
    const std::u16string key = kProductKeyPath;
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, key, u"Company"), u"Zorvanelle");
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, key, u"MainAppPath"), InstallPath(u"ZorvanellePanelV7.exe"));
    EXPECT_EQ(ReadDwordValue(HKEY_LOCAL_MACHINE, key, u"LanguageID"), 2052u);
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, key, u"MainServiceName"), u"ZorvanelleServiceV7");
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, key, u"MainServicePath"), InstallPath(u"ZorvanelleServiceV7.exe"));
}

TEST_F(FullInstallTest, DriverBatchesOfThisProcessorRunHidSetFirstAndHidTimes) {
    const std::string arch = U8(kArch);
    const std::string tool = "DevConsole" + arch + ".exe";
    const std::string hid = "HID\\VID_2A7F&PID_0101";
    const std::string usb = "USB\\VID_2A7F&PID_0100";
    std::vector<std::string> calls =
        test_files::LinesOf(test_files::ReadTextFile(ToWide(InstallPath(u"driver\\DevConsole.log"))));
    std::vector<std::string> expected{tool + " remove " + hid};
    for (int i = 0; i < kHidRuns; ++i)
        expected.push_back(tool + " install \"" + U8(InstallPath(u"driver\\HID\\ZorvanelleHid.inf")) + "\" " + hid);
    expected.push_back(tool + " remove " + usb);
    expected.push_back(tool + " install \"" + U8(InstallPath(u"driver\\USB\\ZorvanelleUsb.inf")) + "\" " + usb);
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(test_files::LinesOf(test_files::ReadTextFile(ToWide(InstallPath(u"driver\\DevConsole.state")))),
              (std::vector<std::string>{hid, usb}));
}

TEST_F(FullInstallTest, ServiceIsCreatedAutoStartQuotedAndRunning) {
    std::optional<ServiceFacts> service = ReadService(u"ZorvanelleServiceV7");
    ASSERT_TRUE(service);
    EXPECT_EQ(service->StartType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(U8(service->BinaryPath), U8(u"\"" + InstallPath(u"ZorvanelleServiceV7.exe") + u"\""));
    EXPECT_EQ(service->State, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(U8(service->Description), "Servicing interface for Zorvanelle Device");
    const std::vector<std::u16string> images = ProcessImagesNamed(u"ZorvanelleServiceV7.exe");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(U8(images[0]), U8(InstallPath(u"ZorvanelleServiceV7.exe")));
}

TEST_F(FullInstallTest, ShortcutsPointAtThePackagePrograms) {
    const std::u16string group = ShellFolderPath(CSIDL_PROGRAMS) + u"\\Zorvanelle\\ZorvanelleV7";
    EXPECT_EQ(U8(LinkTarget(group + u"\\Uninstall")), U8(InstallPath(u"Uninstall.exe")));
    EXPECT_EQ(U8(LinkTarget(group + u"\\ZorvanellePanelV7")), U8(InstallPath(u"ZorvanellePanelV7.exe")));
    EXPECT_EQ(U8(LinkTarget(ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + u"\\ZorvanellePanelV7")),
              U8(InstallPath(u"ZorvanellePanelV7.exe")));
}

TEST_F(FullInstallTest, AddRemoveProgramsAndRunEntriesStartTheQuotedPrograms) {
    const std::u16string entry = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZorvanelleV7";
    const std::u16string uninstaller = InstallPath(u"Uninstall.exe");
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, entry, u"DisplayName"), u"ZorvanelleV7");
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, entry, u"Publisher"), u"Zorvanelle");
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, entry, u"UninstallString"), u"\"" + uninstaller + u"\"");
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, entry, u"DisplayIcon"), uninstaller);
    EXPECT_EQ(
        ReadStringValue(HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\Run", u"ZorvanellePanelV7"),
        u"\"" + InstallPath(u"ZorvanellePanelV7.exe") + u"\" -h");
}

TEST_F(FullInstallTest, PanelConfigurationNamesTheLanguageAndEndpoint) {
    const std::u16string file = ShellFolderPath(CSIDL_COMMON_DOCUMENTS) + u"\\ZorvanelleV7\\PanelConfig.ini";
    EXPECT_EQ(test_files::ReadTextFile(ToWide(file)),
              "<Lang Id=\"0x0804\" />\r\n<IPEndpoint IP=\"127.0.0.1\" Port=\"7550\" />\r\n");
}

TEST_F(FullInstallTest, UninstallLogRecordsEveryActionInOrder) {
    UninstallLog log;
    ASSERT_TRUE(LoadUninstallLog(log, InstallPath(u"uninstall.log")));
    EXPECT_EQ(log.BaseFolder, kBase);
    EXPECT_EQ(log.Company, u"Zorvanelle");
    EXPECT_EQ(log.Product, u"ZorvanelleV7");
    using Expected = std::pair<int, std::string>;
    std::vector<Expected> expected;
    for (const PackageFile& file : Tree().AllFiles)
        expected.emplace_back(FileRecord, U8(PathOf(file)));
    expected.emplace_back(RegistryKeyRecord, "");
    const std::u16string arch = kArch;
    const std::u16string usbUninstall = arch == u"X64" ? u"UninstallUsbDriverx64.bat" : u"UninstallUsbDriverX86.bat";
    expected.emplace_back(DriverUninstallRecord, U8(InstallPath(u"driver\\UninstallHIDDriver" + arch + u".bat")));
    expected.emplace_back(DriverUninstallRecord, U8(InstallPath(u"driver\\" + usbUninstall)));
    expected.emplace_back(ServiceRecord, U8(InstallPath(u"ZorvanelleServiceV7.exe")));
    const std::u16string programs = ShellFolderPath(CSIDL_PROGRAMS);
    expected.emplace_back(DirectoryRecord, U8(programs + u"\\Zorvanelle"));
    expected.emplace_back(DirectoryRecord, U8(programs + u"\\Zorvanelle\\ZorvanelleV7"));
    expected.emplace_back(ProgramsShortcutRecord, U8(programs + u"\\Zorvanelle\\ZorvanelleV7\\ZorvanellePanelV7"));
    expected.emplace_back(ProgramsShortcutRecord, U8(programs + u"\\Zorvanelle\\ZorvanelleV7\\Uninstall"));
    expected.emplace_back(DesktopShortcutRecord, U8(ShellFolderPath(CSIDL_DESKTOP) + u"\\ZorvanellePanelV7"));
    expected.emplace_back(UninstallEntryRecord, "ZorvanelleV7");
    expected.emplace_back(RunEntryRecord, U8(InstallPath(u"ZorvanellePanelV7.exe -h")));
    expected.emplace_back(ServiceStartedRecord, "ZorvanelleServiceV7");
    expected.emplace_back(FileRecord, U8(InstallPath(u"uninstall.log")));

    std::vector<Expected> actual;
    for (const ActionRecord& record : log.Records.Records) {
        actual.emplace_back(record.Type, record.Type == RegistryKeyRecord ? "" : U8(RecordText(record)));
        if (record.Type != RegistryKeyRecord)
            continue;
        // The root key value, then the key path with its terminator.
        ASSERT_GE(record.Data.size(), 6u);
        EXPECT_EQ(record.Data[0] | record.Data[1] << 8 | record.Data[2] << 16 | uint32_t(record.Data[3]) << 24,
                  kLocalMachineRootValue);
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(record.Data.data() + 4)), kProductKeyPath);
    }
    EXPECT_EQ(actual, expected);
}

TEST_F(FullInstallTest, PanelIsLaunchedHiddenFromTheInstallFolder) {
    HWND panel = nullptr;
    ASSERT_TRUE(test_timing::WaitFor(
        [&] { return (panel = FindWindowW(L"ZorvanellePanelV7Window", nullptr)) != nullptr; }, 15000))
        << "no panel window appeared";
    Sleep(300);  // the panel would show its window right after creating it
    EXPECT_FALSE(IsWindowVisible(panel)) << "the panel must start hidden (-h) when ShowPanel is clear";
    DWORD processId = 0;
    GetWindowThreadProcessId(panel, &processId);
    UniqueProcess process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    ASSERT_TRUE(process && QueryFullProcessImageNameW(process.Get(), 0, image, &length));
    EXPECT_EQ(U8(FromWide(std::wstring(image, length))), U8(InstallPath(u"ZorvanellePanelV7.exe")));
}

}  // namespace
