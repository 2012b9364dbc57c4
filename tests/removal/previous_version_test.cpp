// Previous-version removal under Wine: a real installation's traces (files,
// a running program, a service, the product key, shortcuts, shell entries, a
// driver uninstall batch) recorded in a log saved by SaveUninstallLog, then
// removed through the product key or the target folder; and planted logs
// that must be refused or have records skipped.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/product_key_write_win.h"
#include "platform/file_ops_win.h"
#include "platform/product_constants.h"
#include "platform/registry_win.h"
#include "platform/service_control_win.h"
#include "platform/shell_entries_win.h"
#include "platform/shortcut_win.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "records/installer_state.h"
#include "records/key_record.h"
#include "removal/previous_version_win.h"
#include "removal/uninstall_log_file_win.h"
#include "tests/support/host_commands_win.h"
#include "tests/support/test_files_win.h"
#include "tests/support/test_timing_win.h"
#include "ui/window_report_sink_win.h"

namespace {

const std::u16string kBase = u"C:\\Removal Base";
const std::u16string kFolder = kBase + u"\\Zorvanelle\\ZorvanelleV7";
const std::u16string kServiceName = u"ZorvanelleServiceV7";
const std::u16string kServicePath = kFolder + u"\\ZorvanelleServiceV7.exe";
const std::u16string kPanelPath = kFolder + u"\\ZorvanellePanelV7.exe";
const std::u16string kHelperPath = kFolder + u"\\system\\ZorvanelleHelper.dll";
const std::wstring kMarker = L"C:\\removal-batch-ran.txt";
// Where a link put in place of the company folder leads.
const std::u16string kLinkTarget = u"C:\\Removal Linked";
// Where the things of another program live, named like the product's.
const std::u16string kForeignFolder = u"C:\\Removal Other";
const std::u16string kForeignService = u"RemovalForeignService";
const std::u16string kForeignMenu = u"Removal Foreign Menu";

std::vector<std::u16string> g_reports;

void RecordReport(const InstallerState&, std::u16string_view folder) {
    g_reports.emplace_back(folder);
}

std::u16string ShellPath(int csidl) {
    return ShellFolder(csidl, true).value_or(u"");
}

std::u16string SystemHelperPath() {
    return ShellPath(CSIDL_SYSTEM) + u"\\ZorvanelleHelper.dll";
}

std::u16string ForeignSystemFile() {
    return ShellPath(CSIDL_SYSTEM) + u"\\removal-foreign.dll";
}

std::u16string ForeignLink() {
    return ShellPath(CSIDL_DESKTOPDIRECTORY) + u"\\Removal Foreign";
}

bool KeyExists(HKEY root, const std::u16string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, WidePtr(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool RunValueExists(const wchar_t* name) {
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_READ, &run))
        return false;
    bool found = RegQueryValueExW(run, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(run);
    return found;
}

bool Exists(const std::u16string& path) {
    return test_files::FileExists(ToWide(path));
}

void WriteKeyValue(HKEY key, const wchar_t* name, const std::u16string& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(WidePtr(value)),
                   static_cast<DWORD>((value.size() + 1) * 2));
}

// The product key as an installation leaves it; `withPath` false leaves out
// the service path.
void WriteProductKeyValues(bool withPath) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, WidePtr(std::u16string(kProductKeyPath)), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (withPath)
        WriteKeyValue(key, L"MainServicePath", kServicePath);
    WriteKeyValue(key, L"MainServiceName", kServiceName);
    RegCloseKey(key);
}

// Files and folders left below `folder`, as paths relative to it.
void CollectLeftovers(const std::wstring& folder, const std::wstring& prefix, std::vector<std::wstring>& found) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        found.push_back(prefix + name);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectLeftovers(folder + L"\\" + name, prefix + name + L"\\", found);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

// What the programs wrote themselves while they ran (their own logs) is not
// the installation's and stays, and with it the folders holding it.
bool OnlyRuntimeFilesLeft(const std::u16string& base) {
    std::vector<std::wstring> found;
    CollectLeftovers(ToWide(base), L"", found);
    for (const std::wstring& name : found) {
        bool folder = name == L"Zorvanelle" || name == L"Zorvanelle\\ZorvanelleV7";
        bool runtimeLog = name == L"Zorvanelle\\ZorvanelleV7\\ZorvanelleServiceV7.log" ||
                          name == L"Zorvanelle\\ZorvanelleV7\\ZorvanellePanelV7.log";
        if (!folder && !runtimeLog) {
            ADD_FAILURE() << "left over: " << std::string(name.begin(), name.end());
            return false;
        }
    }
    return true;
}

class PreviousVersionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_reports.clear();
        DeleteFileW(kMarker.c_str());
        state_.Options.BaseFolder = kBase;
        state_.Company = u"Zorvanelle";
        state_.Product = u"ZorvanelleV7";
        state_.Tree = std::make_unique<PackageTree>();
        state_.Tree->RootName = u"ZorvanelleV7";
        log_.BaseFolder = kBase;
        log_.Company = u"Zorvanelle";
        log_.Product = u"ZorvanelleV7";
    }

    void AddFile(const std::u16string& path, const std::string& text = "x") {
        test_files::CreateFolders(ToWide(path.substr(0, path.rfind(u'\\'))));
        ASSERT_TRUE(test_files::WriteTextFile(ToWide(path), text));
        AppendTextRecord(log_.Records, FileRecord, path);
    }

    // Every kind of record an installation writes, each with its real trace.
    void InstallEverything() {
        AddFile(kFolder + u"\\driver\\Tool.txt");
        AddFile(kHelperPath, "helper");
        AddFile(kFolder + u"\\driver\\Uninstall.bat", "@echo off\r\nif exist \"%~dp0Tool.txt\" echo ran>>" +
                                                          std::string(kMarker.begin(), kMarker.end()) + "\r\n");
        ASSERT_TRUE(test_files::CopyHelperProgram(L"TestService.exe", ToWide(kServicePath)));
        AppendTextRecord(log_.Records, FileRecord, kServicePath);
        ASSERT_TRUE(test_files::CopyHelperProgram(L"TestWindow.exe", ToWide(kPanelPath)));
        AppendTextRecord(log_.Records, FileRecord, kPanelPath);
        WriteProductKeyValues(true);
        std::vector<uint8_t> key = EncodeKeyRecord(kLocalMachineRootValue, kProductKeyPath);
        AppendRecord(log_.Records, RegistryKeyRecord, key.data(), static_cast<uint32_t>(key.size()));
        AppendTextRecord(log_.Records, DriverUninstallRecord, kFolder + u"\\driver\\Uninstall.bat");
        ASSERT_TRUE(CreateAutoStartService(kServiceName, kServicePath, std::nullopt));
        AppendTextRecord(log_.Records, ServiceRecord, kServicePath);
        AddShortcuts();
        ASSERT_TRUE(AddDesktopMenuEntry(u"Zorvanelle Panel", kPanelPath));
        AppendTextRecord(log_.Records, DesktopMenuRecord, u"Zorvanelle Panel");
        ASSERT_TRUE(CopyFileW(WidePtr(kHelperPath), WidePtr(SystemHelperPath()), FALSE));
        AppendTextRecord(log_.Records, SystemFileRecord, SystemHelperPath());
        AddUninstallEntry(u"Zorvanelle", u"ZorvanelleV7", kPanelPath);
        AppendTextRecord(log_.Records, UninstallEntryRecord, u"ZorvanelleV7");
        ASSERT_TRUE(AddRunEntry(kPanelPath));
        AppendTextRecord(log_.Records, RunEntryRecord, RunEntryCommandLine(kPanelPath));
        StartServiceByName(kServiceName);
        AppendTextRecord(log_.Records, ServiceStartedRecord, kServiceName);
        StartPanel();
        ASSERT_TRUE(SaveUninstallLog(log_, kFolder + u"\\uninstall.log"));
    }

    void AddShortcuts() {
        std::u16string group = ShellPath(CSIDL_PROGRAMS) + u"\\Zorvanelle";
        EnsureDirectory(group);
        AppendTextRecord(log_.Records, DirectoryRecord, group);
        EnsureDirectory(group + u"\\ZorvanelleV7");
        AppendTextRecord(log_.Records, DirectoryRecord, group + u"\\ZorvanelleV7");
        programsLink_ = group + u"\\ZorvanelleV7\\Panel";
        ASSERT_TRUE(CreateShortcut(programsLink_, kPanelPath));
        AppendTextRecord(log_.Records, ProgramsShortcutRecord, programsLink_);
        desktopLink_ = ShellPath(CSIDL_DESKTOPDIRECTORY) + u"\\Zorvanelle Panel";
        ASSERT_TRUE(CreateShortcut(desktopLink_, kPanelPath));
        AppendTextRecord(log_.Records, DesktopShortcutRecord, desktopLink_);
        programsGroup_ = group;
    }

    void StartPanel() {
        std::wstring line = L"\"" + ToWide(kPanelPath) + L"\" --windows 1";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        ASSERT_TRUE(
            CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
        CloseHandle(info.hThread);
        panel_.reset(info.hProcess);
        Sleep(500);
    }

    void TearDown() override {
        StopAndDeleteService(kServiceName);
        StopAndDeleteService(kForeignService);
        DeleteDirectoryTree(kForeignFolder);
        DeleteFileW(WidePtr(SystemHelperPath()));
        RemoveRunEntry(RunEntryCommandLine(kForeignFolder + u"\\" + kForeignService + u".exe"));
        RemoveDesktopMenuEntry(kForeignMenu);
        DeleteFileW(WidePtr(ForeignSystemFile()));
        DeleteShortcut(ForeignLink());
        RemoveLinkedCompanyFolder();
        DeleteDirectoryTree(kBase);
        DeleteDirectoryTree(kLinkTarget);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, WidePtr(std::u16string(kProductKeyPath)));
        if (panel_)
            TerminateProcess(panel_.get(), 0);
    }

    // The host link one test puts in place of the company folder.
    static void RemoveLinkedCompanyFolder() {
        const std::u16string link = kBase + u"\\Zorvanelle";
        const DWORD attributes = GetFileAttributesW(WidePtr(link));
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return;
        host_commands::Run(u"Z:\\bin\\rm -f \"" + host_commands::HostPathOf(link) + u"\"",
                           [&] { return GetFileAttributesW(WidePtr(link)) == INVALID_FILE_ATTRIBUTES; });
    }

    void ExpectEverythingRemoved() {
        EXPECT_TRUE(OnlyRuntimeFilesLeft(kBase));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKeyPath));
        EXPECT_FALSE(ServiceExists(kServiceName));
        EXPECT_FALSE(Exists(programsLink_ + u".lnk"));
        EXPECT_FALSE(Exists(programsGroup_));
        EXPECT_FALSE(Exists(desktopLink_ + u".lnk"));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"DesktopBackground\\Shell\\Zorvanelle Panel"));
        EXPECT_FALSE(
            KeyExists(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZorvanelleV7"));
        EXPECT_FALSE(RunValueExists(L"ZorvanellePanelV7"));
        EXPECT_FALSE(Exists(SystemHelperPath()));
        EXPECT_EQ(test_files::ReadTextFile(kMarker), "ran\r\n");
        EXPECT_EQ(WaitForSingleObject(panel_.get(), 0), WAIT_OBJECT_0);
    }

    InstallerState state_;
    UninstallLog log_;
    std::u16string programsLink_, desktopLink_, programsGroup_;
    std::unique_ptr<void, decltype(&CloseHandle)> panel_{nullptr, &CloseHandle};
};

TEST_F(PreviousVersionTest, InstallationFoundThroughTheProductKeyIsRemovedOnce) {
    InstallEverything();
    std::u16string panelConfig = PanelConfigFolder().value();
    EnsureDirectory(panelConfig);
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(panelConfig + u"\\PanelConfig.ini"), "<Lang />"));

    RemovePreviousVersion(state_, RecordReport);

    ExpectEverythingRemoved();
    EXPECT_FALSE(Exists(panelConfig));
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0], kFolder);
}

TEST_F(PreviousVersionTest, InstallationInTheTargetFolderIsFoundWithoutTheKey) {
    InstallEverything();
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, WidePtr(std::u16string(kProductKeyPath)));

    RemovePreviousVersion(state_, RecordReport);

    ExpectEverythingRemoved();
    EXPECT_EQ(g_reports.size(), 1u);
}

TEST_F(PreviousVersionTest, KeyWithoutServicePathStillDeletesTheServiceAndExaminesTheTarget) {
    InstallEverything();
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, WidePtr(std::u16string(kProductKeyPath)));
    WriteProductKeyValues(false);

    RemovePreviousVersion(state_, RecordReport);

    ExpectEverythingRemoved();
}

TEST_F(PreviousVersionTest, NothingInstalledMeansNothingHappens) {
    RemovePreviousVersion(state_, RecordReport);
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(PreviousVersionTest, LogWhoseHeaderNamesAnotherFolderIsRefused) {
    AddFile(kFolder + u"\\keep.txt");
    log_.BaseFolder = u"C:\\Elsewhere";
    ASSERT_TRUE(SaveUninstallLog(log_, kFolder + u"\\uninstall.log"));

    RemoveInstallationByLog(kFolder + u"\\uninstall.log", state_, RecordReport);

    EXPECT_TRUE(Exists(kFolder + u"\\keep.txt"));
    EXPECT_TRUE(Exists(kFolder + u"\\uninstall.log"));
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(PreviousVersionTest, RecordsBeyondTheProductAreSkippedAndTheRestUndone) {
    AddFile(kFolder + u"\\own.txt");
    std::u16string outside = u"C:\\removal-outside.txt";
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(outside), "keep"));
    AppendTextRecord(log_.Records, FileRecord, outside);
    AppendTextRecord(log_.Records, FileRecord, kFolder + u"\\..\\..\\removal-outside.txt");
    AddUninstallEntry(u"Other", u"OtherProduct", u"C:\\Other\\Uninstall.exe");
    AppendTextRecord(log_.Records, UninstallEntryRecord, u"OtherProduct");
    std::u16string otherKey = u"SOFTWARE\\RemovalTestOther";
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, WidePtr(otherKey), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);
    std::vector<uint8_t> record = EncodeKeyRecord(kLocalMachineRootValue, otherKey);
    AppendRecord(log_.Records, RegistryKeyRecord, record.data(), static_cast<uint32_t>(record.size()));
    ASSERT_TRUE(SaveUninstallLog(log_, kFolder + u"\\uninstall.log"));

    RemoveInstallationByLog(kFolder + u"\\uninstall.log", state_, RecordReport);

    EXPECT_TRUE(OnlyRuntimeFilesLeft(kBase));
    EXPECT_FALSE(Exists(kFolder));
    EXPECT_TRUE(Exists(outside));
    EXPECT_TRUE(
        KeyExists(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OtherProduct"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, otherKey));
    EXPECT_EQ(g_reports.size(), 1u);
}

// Only records acted on are paused for, and a repeated record is acted on
// once: a thousand refused records, or a thousand copies of the product key's
// record in any letter case, would otherwise cost half a minute each, and a
// repeated driver batch would run every time.
TEST_F(PreviousVersionTest, RefusedAndRepeatedRecordsCostNothing) {
    AddFile(kFolder + u"\\own.txt");
    const std::u16string batch = kFolder + u"\\driver\\Uninstall.bat";
    AddFile(batch, "@echo ran>>" + std::string(kMarker.begin(), kMarker.end()) + "\r\n");
    std::vector<uint8_t> key = EncodeKeyRecord(kLocalMachineRootValue, kProductKeyPath);
    std::vector<uint8_t> shoutedKey = EncodeKeyRecord(kLocalMachineRootValue, u"software\\trovalisserverv7");
    for (int i = 0; i < 1000; ++i) {
        AppendTextRecord(log_.Records, FileRecord, u"C:\\removal-outside.txt");
        const std::vector<uint8_t>& record = i % 2 ? key : shoutedKey;
        AppendRecord(log_.Records, RegistryKeyRecord, record.data(), static_cast<uint32_t>(record.size()));
    }
    AppendTextRecord(log_.Records, DriverUninstallRecord, batch);
    AppendTextRecord(log_.Records, DriverUninstallRecord, kBase + u"\\ZORVANELLE\\ZorvanelleV7\\driver\\uninstall.BAT");
    ASSERT_TRUE(SaveUninstallLog(log_, kFolder + u"\\uninstall.log"));

    DWORD elapsed =
        test_timing::Elapsed([&] { RemoveInstallationByLog(kFolder + u"\\uninstall.log", state_, nullptr); });

    EXPECT_FALSE(Exists(kFolder + u"\\own.txt"));
    EXPECT_EQ(test_files::ReadTextFile(kMarker), "ran\r\n");
    EXPECT_LT(elapsed, 10000u);
}

// A planted log names, by the product's kind of names, another program's
// service, Run value, menu entry, system file and shortcut, and Windows'
// own update service and one of its libraries in the system folder: each fits
// every rule for a record's text, and each survives because it is not the
// product's. The log's own file still goes.
TEST_F(PreviousVersionTest, ForeignThingsNamedByAPlantedLogSurvive) {
    AddFile(kFolder + u"\\own.txt");
    std::u16string foreignProgram = kForeignFolder + u"\\" + kForeignService + u".exe";
    test_files::CreateFolders(ToWide(kForeignFolder));
    ASSERT_TRUE(test_files::CopyHelperProgram(L"TestService.exe", ToWide(foreignProgram)));
    ASSERT_TRUE(CreateAutoStartService(kForeignService, foreignProgram, std::nullopt));
    AppendTextRecord(log_.Records, ServiceRecord, kFolder + u"\\" + kForeignService + u".exe");
    ASSERT_TRUE(ServiceExists(u"wuauserv"));
    AppendTextRecord(log_.Records, ServiceRecord, kFolder + u"\\wuauserv.exe");
    ASSERT_TRUE(AddRunEntry(foreignProgram));
    AppendTextRecord(log_.Records, RunEntryRecord, RunEntryCommandLine(kFolder + u"\\" + kForeignService + u".exe"));
    ASSERT_TRUE(AddDesktopMenuEntry(kForeignMenu, foreignProgram));
    AppendTextRecord(log_.Records, DesktopMenuRecord, kForeignMenu);
    std::u16string systemFile = ForeignSystemFile();
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(systemFile), "the system's"));
    AddFile(kFolder + u"\\removal-foreign.dll", "planted");
    AppendTextRecord(log_.Records, SystemFileRecord, systemFile);
    // A system file with no copy in the install folder at all.
    std::u16string updateLibrary = ShellPath(CSIDL_SYSTEM) + u"\\wuapi.dll";
    ASSERT_TRUE(Exists(updateLibrary));
    AppendTextRecord(log_.Records, SystemFileRecord, updateLibrary);
    std::u16string link = ForeignLink();
    ASSERT_TRUE(CreateShortcut(link, foreignProgram));
    AppendTextRecord(log_.Records, DesktopShortcutRecord, link);
    ASSERT_TRUE(SaveUninstallLog(log_, kFolder + u"\\uninstall.log"));

    RemoveInstallationByLog(kFolder + u"\\uninstall.log", state_, RecordReport);

    EXPECT_FALSE(Exists(kFolder + u"\\own.txt"));
    EXPECT_TRUE(ServiceExists(kForeignService));
    EXPECT_TRUE(ServiceExists(u"wuauserv"));
    EXPECT_TRUE(Exists(updateLibrary));
    EXPECT_TRUE(RunValueExists(WidePtr(kForeignService)));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u"DesktopBackground\\Shell\\" + kForeignMenu));
    EXPECT_EQ(test_files::ReadTextFile(ToWide(systemFile)), "the system's");
    EXPECT_TRUE(Exists(link + u".lnk"));
}

// A link stands in place of the company folder: the log found through it
// runs no batch and deletes no file there, while the Run value, whose data
// the machine holds, still goes.
TEST_F(PreviousVersionTest, LogBehindALinkRunsNoBatchButRemovesWhatTheMachineProves) {
    test_files::CreateFolders(ToWide(kBase));
    test_files::CreateFolders(ToWide(kLinkTarget));
    ASSERT_TRUE(host_commands::LinkFolder(kLinkTarget, kBase + u"\\Zorvanelle"));
    AddFile(kFolder + u"\\own.txt");
    const std::u16string batch = kFolder + u"\\driver\\Uninstall.bat";
    AddFile(batch, "@echo ran>>" + std::string(kMarker.begin(), kMarker.end()) + "\r\n");
    AppendTextRecord(log_.Records, DriverUninstallRecord, batch);
    ASSERT_TRUE(AddRunEntry(kPanelPath));
    AppendTextRecord(log_.Records, RunEntryRecord, RunEntryCommandLine(kPanelPath));
    // The product's entry and key by name, but the entry is another
    // installation's: it names a folder elsewhere.
    ASSERT_TRUE(AddUninstallEntry(u"Zorvanelle", u"ZorvanelleV7", u"C:\\Elsewhere\\Uninstall.exe"));
    AppendTextRecord(log_.Records, UninstallEntryRecord, u"ZorvanelleV7");
    WriteProductKeyValues(true);
    std::vector<uint8_t> key = EncodeKeyRecord(kLocalMachineRootValue, kProductKeyPath);
    AppendRecord(log_.Records, RegistryKeyRecord, key.data(), static_cast<uint32_t>(key.size()));
    ASSERT_TRUE(SaveUninstallLog(log_, kFolder + u"\\uninstall.log"));

    RemoveInstallationByLog(kFolder + u"\\uninstall.log", state_, RecordReport);

    EXPECT_FALSE(test_files::FileExists(kMarker));
    EXPECT_TRUE(Exists(kLinkTarget + u"\\ZorvanelleV7\\own.txt"));
    EXPECT_TRUE(Exists(kLinkTarget + u"\\ZorvanelleV7\\driver\\Uninstall.bat"));
    EXPECT_TRUE(Exists(kLinkTarget + u"\\ZorvanelleV7\\uninstall.log"));
    EXPECT_FALSE(RunValueExists(L"ZorvanellePanelV7"));
    EXPECT_TRUE(UninstallEntryPlacesOf(u"ZorvanelleV7").has_value());
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kProductKeyPath));
    RemoveUninstallEntry(u"ZorvanelleV7");
}

// A batch the log does not record as one of its files is not run.
TEST_F(PreviousVersionTest, BatchTheLogDoesNotRecordAsItsFileIsNotRun) {
    AddFile(kFolder + u"\\own.txt");
    const std::u16string batch = kFolder + u"\\driver\\Planted.bat";
    test_files::CreateFolders(ToWide(kFolder + u"\\driver"));
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(batch), "@echo ran>>" + std::string(kMarker.begin(), kMarker.end())));
    AppendTextRecord(log_.Records, DriverUninstallRecord, batch);
    ASSERT_TRUE(SaveUninstallLog(log_, kFolder + u"\\uninstall.log"));

    RemoveInstallationByLog(kFolder + u"\\uninstall.log", state_, RecordReport);

    EXPECT_FALSE(test_files::FileExists(kMarker));
    EXPECT_FALSE(Exists(kFolder + u"\\own.txt"));
}

TEST_F(PreviousVersionTest, DamagedLogRemovesNothing) {
    AddFile(kFolder + u"\\keep.txt");
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(kFolder + u"\\uninstall.log"), "C\0:"));

    RemoveInstallationByLog(kFolder + u"\\uninstall.log", state_, RecordReport);

    EXPECT_TRUE(Exists(kFolder + u"\\keep.txt"));
    EXPECT_TRUE(g_reports.empty());
}

// The uninstaller's removal of its own product: the whole records before a
// damaged tail are undone, a refused one is counted, and the folder goes
// with the files the programs wrote there.
TEST_F(PreviousVersionTest, RemovalOfTheProductItselfUndoesWhatALogCutShortStillNames) {
    AddFile(kFolder + u"\\own.txt");
    AddFile(kFolder + u"\\Uninstall.exe");
    AppendTextRecord(log_.Records, FileRecord, u"C:\\removal-outside.txt");
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(kFolder + u"\\ZorvanelleServiceV7.log"), "ran"));
    std::vector<uint8_t> image;
    ASSERT_TRUE(SerializeUninstallLog(log_, &image));
    const uint8_t cut[] = {0, 100, 0, 0, 0, 'C', 0};  // a FileRecord whose Size runs past the end
    image.insert(image.end(), std::begin(cut), std::end(cut));
    ASSERT_TRUE(
        test_files::WriteTextFile(ToWide(kFolder + u"\\uninstall.log"), std::string(image.begin(), image.end())));
    RemovalOptions options;
    options.AcceptDamagedTail = true;
    options.WholeInstallFolder = true;
    options.Spared = kFolder + u"\\Uninstall.exe";

    RemovalResult result = RemoveInstallation(kFolder + u"\\uninstall.log", options);

    EXPECT_TRUE(result.Found);
    EXPECT_TRUE(result.DamagedTail);
    EXPECT_EQ(result.Refused, 1u);
    EXPECT_TRUE(result.Leftovers.empty());
    EXPECT_FALSE(Exists(kBase + u"\\Zorvanelle"));
}

// A run killed while writing its journal: the log ends in half a record and
// has no FileRecord of its own. The whole records before the cut are the run's
// and are undone; the journal goes with the folder.
TEST_F(PreviousVersionTest, JournalCutInARecordIsUndoneUpToTheCut) {
    AddFile(kFolder + u"\\first.txt");
    AddFile(kFolder + u"\\second.txt");
    AddFile(kFolder + u"\\third.txt");
    std::vector<uint8_t> image;
    ASSERT_TRUE(SerializeUninstallLog(log_, &image));
    image.resize(image.size() - 7);
    std::string bytes(image.begin(), image.end());
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(kFolder + u"\\uninstall.log"), bytes));

    RemoveInstallationByLog(kFolder + u"\\uninstall.log", state_, RecordReport);

    EXPECT_FALSE(Exists(kFolder + u"\\first.txt"));
    EXPECT_FALSE(Exists(kFolder + u"\\second.txt"));
    EXPECT_TRUE(Exists(kFolder + u"\\third.txt"));
    EXPECT_FALSE(Exists(kFolder + u"\\uninstall.log"));
    EXPECT_EQ(g_reports.size(), 1u);
}

// A driver batch set without an uninstall batch leaves an empty batch record:
// there is nothing to run, so the removal counts it as done, not refused.
TEST_F(PreviousVersionTest, EmptyDriverBatchRecordIsDoneNotRefused) {
    AddFile(kFolder + u"\\own.txt");
    AppendTextRecord(log_.Records, DriverUninstallRecord, u"");
    ASSERT_TRUE(SaveUninstallLog(log_, kFolder + u"\\uninstall.log"));
    RemovalOptions options;
    options.WholeInstallFolder = true;

    RemovalResult result = RemoveInstallation(kFolder + u"\\uninstall.log", options);

    EXPECT_TRUE(result.Found);
    EXPECT_EQ(result.Refused, 0u);
    EXPECT_TRUE(result.Leftovers.empty());
    EXPECT_FALSE(Exists(kBase + u"\\Zorvanelle"));
}

// An unattended removal never pauses, paced as the install worker paces it
// (through the window's sink, as in a script.ini run): it stays far below the
// pauses a paced removal of the same records takes at the least (30 ms a
// record undone and 500 ms at the end).
TEST_F(PreviousVersionTest, UnattendedRemovalNeverPauses) {
    constexpr int kFiles = 60;
    for (int i = 0; i < kFiles; ++i)
        AddFile(kFolder + u"\\file" + Utf8ToUtf16(std::to_string(i)) + u".txt");
    ASSERT_TRUE(SaveUninstallLog(log_, kFolder + u"\\uninstall.log"));
    state_.Options.Unattended = true;
    state_.Options.Reports = &WindowReportSink();
    PreviousVersionPacer pace = [](const InstallerState& state, uint32_t ms) {
        SinkOf(state.Options).Pace(state.Options, ms);
    };

    DWORD elapsed =
        test_timing::Elapsed([&] { RemoveInstallationByLog(kFolder + u"\\uninstall.log", state_, nullptr, pace); });

    EXPECT_FALSE(Exists(kFolder + u"\\file0.txt"));
    EXPECT_LT(elapsed, static_cast<DWORD>(kFiles * 30 + 500));
}

}  // namespace
