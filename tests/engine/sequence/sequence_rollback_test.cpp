// Runs that end in a rollback: a package file that cannot be created (a
// folder in its place, a locked or read-only file), a stop request at chosen
// reports, and a service that cannot be created. Each compares the machine
// before and after: files below the base folder, shortcut folders, the
// product key, the Add/Remove Programs, Run and context-menu keys and the
// services must be as they were. Faults come from the environment only.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/case_fold.h"
#include "platform/pending_renames_win.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"
#include "records/package.h"
#include "removal/uninstall_log_file_win.h"
#include "tests/engine/sequence/machine_state_win.h"
#include "tests/engine/sequence/sequence_harness_win.h"
#include "tests/support/host_commands_win.h"
#include "tests/support/test_files_win.h"
#include "tests/support/test_timing_win.h"

namespace {

constexpr char16_t kBase[] = u"C:\\Seq Rollback Base";
constexpr char16_t kInstall[] = u"C:\\Seq Rollback Base\\Zorvanelle\\ZorvanelleV7";
constexpr char16_t kBlockingService[] = u"SeqBlockingService";

std::u16string InstallPath(const std::u16string& relative) {
    return std::u16string(kInstall) + u"\\" + relative;
}

std::vector<std::u16string> Reversed(std::vector<std::u16string> texts) {
    std::reverse(texts.begin(), texts.end());
    return texts;
}

// Hardware ids the payload's device-console tool holds installed.
std::string InstalledDriverIds() {
    return test_files::ReadTextFile(ToWide(InstallPath(u"driver\\DevConsole.state")));
}

// Whether CreateFileW can open a read-only file for writing here, as it
// cannot on Windows.
bool ReadOnlyFileIsWritable(const std::u16string& path) {
    UniqueFile file(CreateFileW(WidePtr(path), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return static_cast<bool>(file);
}

using host_commands::HostPathOf;

// Opens `path` as a program that uses it may: reading, sharing nothing (Wine
// lets a file shared for reading only be deleted all the same).
UniqueFile HoldFile(const std::u16string& path) {
    return UniqueFile(CreateFileW(WidePtr(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

// The copies scheduled to replace `target` at the next restart.
std::vector<std::u16string> PendingCopiesOf(const std::u16string& target) {
    const std::vector<std::u16string> pairs = PendingRenamePairs();
    std::vector<std::u16string> copies;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        if (EqualIgnoringCase(pairs[i + 1], u"!\\??\\" + target) && pairs[i].rfind(u"\\??\\", 0) == 0)
            copies.push_back(pairs[i].substr(4));
    }
    return copies;
}

// Takes out every rename at restart whose target lies below the base folder.
void CancelRenamesBelowBase() {
    const std::vector<std::u16string> pairs = PendingRenamePairs();
    const std::u16string below = std::u16string(u"!\\??\\") + kBase + u"\\";
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        if (EqualIgnoringCase(pairs[i + 1].substr(0, below.size()), below))
            CancelPendingRename(pairs[i].substr(4));
    }
}

bool CanOpen(const std::u16string& path) {
    return static_cast<bool>(UniqueFile(CreateFileW(WidePtr(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_EXISTING, 0, nullptr)));
}

// Makes `path` a host link to /dev/full. False when that is not possible.
bool LinkToFullDevice(const std::u16string& path) {
    const std::u16string host = HostPathOf(path);
    return !host.empty() && host.find(u'"') == std::u16string::npos &&
           host_commands::Run(u"Z:\\bin\\ln -sf /dev/full \"" + host + u"\"", [&] { return CanOpen(path); });
}

bool RemoveHostLink(const std::u16string& path) {
    return host_commands::Run(u"Z:\\bin\\rm -f \"" + HostPathOf(path) + u"\"", [&] { return !CanOpen(path); });
}

void DeleteBlockingService() {
    UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    UniqueService service(manager ? OpenServiceW(manager.Get(), WidePtr(kBlockingService), DELETE) : nullptr);
    if (service)
        DeleteService(service.Get());
}

class SequenceRollbackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Clean();
        ASSERT_TRUE(harness_.Load(DemoPackage()));
        order_ = RelativePathsInWriteOrder(*harness_.State().Tree);
        ASSERT_EQ(order_.size(), 31u);
    }
    void TearDown() override { Clean(); }

    static void Clean() {
        CancelRenamesBelowBase();
        DeleteBlockingService();
        WipeDemoProduct(kBase);
        CreateDirectoryW(WidePtr(kBase), nullptr);
    }

    // A full path of the demo file written `index`-th (from 0).
    std::u16string WrittenPath(size_t index) const { return InstallPath(order_[index]); }

    // Creates the folders that hold `path`.
    static void CreateFoldersOf(const std::u16string& path) {
        test_files::CreateFolders(ToWide(path.substr(0, path.find_last_of(u'\\'))));
    }

    void ExpectMachineAsBefore(const MachineSnapshot& before) const {
        EXPECT_EQ(SnapshotDifference(before, TakeSnapshot(kBase)), "");
        EXPECT_FALSE(test_files::FileExists(ToWide(InstallPath(u"uninstall.log")))) << "a rolled-back run saves no log";
    }

    InstallOptions Attended() const {
        InstallOptions options = UnattendedOptions(kBase);
        options.Unattended = false;
        return options;
    }

    // The bytes the package holds for the file at `relative`.
    std::string PackageBytesOf(const std::u16string& relative) {
        for (const PackageFile& file : harness_.State().Tree->AllFiles) {
            if (FullPathOfPackageFile(file) == InstallPath(relative))
                return std::string(reinterpret_cast<const char*>(file.Data), file.Size);
        }
        return "";
    }

    // The copies the saved uninstall log records as replacing a file.
    static std::vector<std::u16string> LoggedReplacements() {
        UninstallLog log;
        std::vector<std::u16string> copies;
        if (!LoadUninstallLog(log, InstallPath(u"uninstall.log")))
            return copies;
        for (const ActionRecord& record : log.Records.Records) {
            if (std::optional<PendingReplace> pending = ReadPendingReplace(record))
                copies.push_back(pending->Copy);
        }
        return copies;
    }

    SequenceHarness harness_;
    std::vector<std::u16string> order_;
};

TEST_F(SequenceRollbackTest, FolderInPlaceOfAPackageFileUndoesEverything) {
    const std::u16string blocked = WrittenPath(10);
    test_files::CreateFolders(ToWide(blocked));
    // Not empty, so it is a folder the run must leave alone.
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(blocked + u"\\keep.txt"), "mine"));
    const MachineSnapshot before = TakeSnapshot(kBase);

    ASSERT_TRUE(harness_.Run(UnattendedOptions(kBase)));
    EXPECT_EQ(harness_.Codes(),
              (std::vector<ProgressCode>{ProgressCode::FileCreateFailed, ProgressCode::WorkerFinished}));
    EXPECT_EQ(harness_.TextsOf(ProgressCode::FileCreateFailed), std::vector<std::u16string>{blocked});
    ExpectMachineAsBefore(before);
}

// A file another program holds without delete sharing (a loaded client
// library) is not a failure: the rest is installed, and the held file is
// replaced at the next restart.
TEST_F(SequenceRollbackTest, HeldFileIsReplacedAtRestartWithTheCopyBesideIt) {
    const std::u16string held = WrittenPath(9);
    CreateFoldersOf(held);
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(held), "in use"));
    {
        UniqueFile lock = HoldFile(held);
        ASSERT_TRUE(lock);
        ASSERT_TRUE(harness_.Run(Attended()));
    }
    EXPECT_EQ(harness_.CountOf(ProgressCode::FileCreateFailed), 0);
    std::vector<ProgressCode> codes = harness_.Codes();
    EXPECT_EQ(std::vector<ProgressCode>(codes.end() - 2, codes.end()),
              (std::vector<ProgressCode>{ProgressCode::RestartNeeded, ProgressCode::WorkerFinished}));
    EXPECT_EQ(harness_.State().Outcome.load(), RunOutcome::CompletedRestartNeeded);
    const std::vector<std::u16string> copies = PendingCopiesOf(held);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(test_files::ReadTextFile(ToWide(held)), "in use");
    EXPECT_EQ(test_files::ReadTextFile(ToWide(copies[0])), PackageBytesOf(order_[9]));
    EXPECT_EQ(LoggedReplacements(), copies) << "the saved log lets a removal cancel it";
}

TEST_F(SequenceRollbackTest, RollbackCancelsTheReplacementAtRestartAndDeletesTheCopy) {
    const std::u16string held = WrittenPath(9);
    CreateFoldersOf(held);
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(held), "in use"));
    const MachineSnapshot before = TakeSnapshot(kBase);
    {
        UniqueFile lock = HoldFile(held);
        ASSERT_TRUE(lock);
        ASSERT_TRUE(harness_.Run(Attended(), StopAt{ProgressCode::InstallingService, 1}));
    }
    EXPECT_EQ(harness_.CountOf(ProgressCode::CopyingFile), 31);
    EXPECT_EQ(PendingCopiesOf(held), std::vector<std::u16string>{});
    EXPECT_EQ(test_files::ReadTextFile(ToWide(held)), "in use");
    // The held file keeps its folders, and with them the state and log the
    // driver tool leaves there, as a program's runtime files stay.
    EXPECT_EQ(InstalledDriverIds(), "");
    for (const char16_t* runtime : {u"driver\\DevConsole.state", u"driver\\DevConsole.log"})
        DeleteFileW(WidePtr(InstallPath(runtime)));
    ExpectMachineAsBefore(before);
}

TEST_F(SequenceRollbackTest, IncompleteWriteFailsTheRunAndIsUndoneLikeAWrittenFile) {
    // The file lies on a full disk: creating it works, writing its content
    // does not. Under Wine a link to the host's /dev/full stands in for one.
    const std::u16string target = WrittenPath(5);
    CreateFoldersOf(target);
    const MachineSnapshot before = TakeSnapshot(kBase);
    if (!LinkToFullDevice(target))
        GTEST_SKIP() << "no way to place a full device here (needs Wine's host file names)";
    ASSERT_TRUE(harness_.Run(Attended()));
    const bool unlinked = RemoveHostLink(target);

    std::vector<std::u16string> copied = harness_.TextsOf(ProgressCode::CopyingFile);
    ASSERT_EQ(copied.size(), 6u);
    EXPECT_EQ(harness_.TextsOf(ProgressCode::FileCreateFailed), std::vector<std::u16string>{target});
    // Recorded before the failure was reported: the rollback deletes it first.
    EXPECT_EQ(harness_.TextsOf(ProgressCode::DeletingFile), Reversed(copied));
    ASSERT_TRUE(unlinked);
    ExpectMachineAsBefore(before);
}

TEST_F(SequenceRollbackTest, ReadOnlyLastFileUndoesEveryFileWrittenBeforeIt) {
    const std::u16string readOnly = WrittenPath(order_.size() - 1);
    CreateFoldersOf(readOnly);
    ASSERT_TRUE(test_files::WriteTextFile(ToWide(readOnly), "read only"));
    ASSERT_TRUE(SetFileAttributesW(WidePtr(readOnly), FILE_ATTRIBUTE_READONLY));
    if (ReadOnlyFileIsWritable(readOnly))
        GTEST_SKIP() << "Wine maps read-only to Unix permissions, which this user (root) bypasses";
    const MachineSnapshot before = TakeSnapshot(kBase);

    ASSERT_TRUE(harness_.Run(UnattendedOptions(kBase)));
    EXPECT_EQ(harness_.Codes(),
              (std::vector<ProgressCode>{ProgressCode::FileCreateFailed, ProgressCode::WorkerFinished}));
    EXPECT_EQ(harness_.TextsOf(ProgressCode::FileCreateFailed), std::vector<std::u16string>{readOnly});
    ExpectMachineAsBefore(before);
}

TEST_F(SequenceRollbackTest, StopDuringTheCopyEndsItAtTheNextFileAndUndoesTheRun) {
    for (int k : {1, 2, 17, 31}) {
        SCOPED_TRACE(k);
        Clean();
        const MachineSnapshot before = TakeSnapshot(kBase);
        ASSERT_TRUE(harness_.Run(Attended(), StopAt{ProgressCode::CopyingFile, k}));
        const std::vector<std::u16string> copied = harness_.TextsOf(ProgressCode::CopyingFile);
        ASSERT_EQ(copied.size(), static_cast<size_t>(k));
        for (int i = 0; i < k; ++i)
            EXPECT_EQ(copied[i], WrittenPath(i)) << "files are written in the package's order";
        // The file whose report carried the stop is still written, and undone.
        EXPECT_EQ(harness_.TextsOf(ProgressCode::DeletingFile), Reversed(copied));
        for (ProgressCode skipped : {ProgressCode::InstallingDrivers, ProgressCode::InstallingService,
                                     ProgressCode::StartingService, ProgressCode::Completed})
            EXPECT_EQ(harness_.CountOf(skipped), 0) << static_cast<int>(skipped);
        std::vector<ProgressCode> codes = harness_.Codes();
        EXPECT_EQ(std::vector<ProgressCode>(codes.end() - 2, codes.end()),
                  (std::vector<ProgressCode>{ProgressCode::RolledBack, ProgressCode::WorkerFinished}));
        ExpectMachineAsBefore(before);
    }
}

TEST_F(SequenceRollbackTest, StopWhileTheFirstDriverSetInstallsUninstallsIt) {
    const MachineSnapshot before = TakeSnapshot(kBase);
    ASSERT_TRUE(harness_.Run(Attended(), StopAt{ProgressCode::InstallingDrivers, 1}));
    // The HID set, whose report carried the stop, still ran; the USB set did not.
    EXPECT_EQ(harness_.TextsOf(ProgressCode::InstallingDrivers),
              std::vector<std::u16string>{InstallPath(u"driver\\InstallHIDDriverX64.bat")});
    EXPECT_EQ(harness_.TextsOf(ProgressCode::UninstallingDriver),
              std::vector<std::u16string>{InstallPath(u"driver\\UninstallHIDDriverX64.bat")});
    EXPECT_EQ(harness_.CountOf(ProgressCode::InstallingService), 0);
    EXPECT_EQ(harness_.CountOf(ProgressCode::DeletingFile), 31);
    EXPECT_EQ(InstalledDriverIds(), "") << "the rollback must run the uninstall batch";
    ExpectMachineAsBefore(before);
}

TEST_F(SequenceRollbackTest, StopWhileTheServiceIsCreatedDeletesItAndUninstallsTheDrivers) {
    const MachineSnapshot before = TakeSnapshot(kBase);
    ASSERT_TRUE(harness_.Run(Attended(), StopAt{ProgressCode::InstallingService, 1}));
    EXPECT_EQ(harness_.TextsOf(ProgressCode::RemovingService), std::vector<std::u16string>{u"ZorvanelleServiceV7"});
    // Newest first: the USB set ran last, so it is uninstalled first.
    EXPECT_EQ(harness_.TextsOf(ProgressCode::UninstallingDriver),
              (std::vector<std::u16string>{InstallPath(u"driver\\UninstallUsbDriverx64.bat"),
                                           InstallPath(u"driver\\UninstallHIDDriverX64.bat")}));
    EXPECT_EQ(harness_.CountOf(ProgressCode::StartingService), 0);
    EXPECT_EQ(InstalledDriverIds(), "");
    EXPECT_FALSE(ReadService(u"ZorvanelleServiceV7"));
    ExpectMachineAsBefore(before);
}

TEST_F(SequenceRollbackTest, ServiceThatCannotBeCreatedUndoesTheRun) {
    // Another service already shows the package service's name as its
    // display name: the service manager refuses a second one.
    {
        UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ASSERT_TRUE(manager);
        UniqueService blocker(CreateServiceW(manager.Get(), WidePtr(kBlockingService), L"ZorvanelleServiceV7",
                                             SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                             SERVICE_ERROR_NORMAL, L"C:\\windows\\system32\\notepad.exe", nullptr,
                                             nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(blocker) << GetLastError();
    }
    const MachineSnapshot before = TakeSnapshot(kBase);
    ASSERT_TRUE(harness_.Run(UnattendedOptions(kBase)));
    EXPECT_EQ(harness_.Codes(),
              (std::vector<ProgressCode>{ProgressCode::ServiceCreateFailed, ProgressCode::WorkerFinished}));
    EXPECT_EQ(harness_.TextsOf(ProgressCode::ServiceCreateFailed),
              std::vector<std::u16string>{InstallPath(u"ZorvanelleServiceV7.exe")});
    EXPECT_EQ(InstalledDriverIds(), "") << "the drivers installed before the failure must be uninstalled";
    ExpectMachineAsBefore(before);
}

TEST_F(SequenceRollbackTest, StopDuringTheFinishNoLongerUndoesTheInstallation) {
    ASSERT_TRUE(harness_.Run(Attended(), StopAt{ProgressCode::StartingService, 1}));
    EXPECT_EQ(harness_.CountOf(ProgressCode::Completed), 1);
    EXPECT_EQ(harness_.CountOf(ProgressCode::RolledBack), 0);
    EXPECT_TRUE(test_files::FileExists(ToWide(InstallPath(u"uninstall.log"))));
    std::optional<ServiceFacts> service = ReadService(u"ZorvanelleServiceV7");
    ASSERT_TRUE(service);
    EXPECT_EQ(service->State, static_cast<DWORD>(SERVICE_RUNNING));
}

}  // namespace
