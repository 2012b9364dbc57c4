// What a found log may still undo once its folder was checked, the index of
// its files, and the time its batches may take together.
#include "removal/found_log_trust.h"

#include <gtest/gtest.h>

#include "removal/batch_time_bound.h"
#include "removal/logged_files.h"

namespace {

constexpr char16_t kFolder[] = u"C:\\Base\\Zorvanelle\\ZorvanelleV7";
constexpr char16_t kBatch[] = u"C:\\Base\\Zorvanelle\\ZorvanelleV7\\driver\\Uninstall.bat";

ActionRecord TextRecord(uint8_t type, std::u16string_view text) {
    ActionRecordList list;
    AppendTextRecord(list, type, text);
    return list.Records.front();
}

RemovalPlaces Places() {
    RemovalPlaces places;
    places.InstallFolder = kFolder;
    places.ShortcutFolders = {u"C:\\Programs"};
    return places;
}

LoggedFiles FilesOf(std::initializer_list<std::u16string_view> paths, LongPathFunction longPath = nullptr) {
    UninstallLog log;
    for (std::u16string_view path : paths)
        AppendTextRecord(log.Records, FileRecord, path);
    return IndexLoggedFiles(log, kFolder, longPath);
}

struct TrustCase {
    uint8_t Type;
    std::u16string Text;
    bool FolderTrusted;
    FoundRecordVerdict Verdict;
};

TEST(FoundLogTrustTest, RefusedFolderLeavesOnlyWhatTheMachineProves) {
    const std::u16string inside = std::u16string(kFolder) + u"\\Tool.exe";
    const TrustCase cases[] = {
        {FileRecord, inside, true, FoundRecordVerdict::MayUndo},
        {FileRecord, inside, false, FoundRecordVerdict::FolderRefused},
        {DriverUninstallRecord, kBatch, false, FoundRecordVerdict::FolderRefused},
        {SystemFileRecord, u"C:\\windows\\system32\\x.dll", false, FoundRecordVerdict::FolderRefused},
        {DirectoryRecord, u"C:\\Base", false, FoundRecordVerdict::FolderRefused},
        {DirectoryRecord, u"C:\\Programs\\Zorvanelle", false, FoundRecordVerdict::MayUndo},
        {ServiceRecord, inside, false, FoundRecordVerdict::MayUndo},
        {RunEntryRecord, inside + u" -h", false, FoundRecordVerdict::MayUndo},
        {DesktopShortcutRecord, u"C:\\Programs\\Panel", false, FoundRecordVerdict::MayUndo},
        {DesktopMenuRecord, u"Zorvanelle Panel", false, FoundRecordVerdict::MayUndo},
        {UninstallEntryRecord, u"ZorvanelleV7", false, FoundRecordVerdict::FolderRefused},
        {DriverUninstallRecord, u"", false, FoundRecordVerdict::MayUndo},
    };
    const LoggedFiles files = FilesOf({kBatch});
    for (const TrustCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Type));
        EXPECT_EQ(JudgeFoundRecord(TextRecord(c.Type, c.Text), c.FolderTrusted, files, Places()), c.Verdict);
    }
}

// The Add/Remove Programs entry (and with it the product key) of a refused
// folder goes only when the entry on the machine names a place inside it.
TEST(FoundLogTrustTest, EntryOfARefusedFolderGoesOnlyWhenItNamesThatFolder) {
    RemovalPlaces places = Places();
    const ActionRecord entry = TextRecord(UninstallEntryRecord, u"ZorvanelleV7");
    places.UninstallEntryInFolder = true;
    EXPECT_EQ(JudgeFoundRecord(entry, false, FilesOf({}), places), FoundRecordVerdict::MayUndo);
    const std::u16string folder = kFolder;
    EXPECT_TRUE(UninstallEntryNamesFolder(folder, u"", folder));
    EXPECT_TRUE(UninstallEntryNamesFolder(u"", u"\"" + folder + u"\\Uninstall.exe\"", folder));
    EXPECT_TRUE(UninstallEntryNamesFolder(u"", folder + u"\\Uninstall.exe /quiet", folder));
    EXPECT_FALSE(UninstallEntryNamesFolder(u"D:\\Other", u"\"D:\\Other\\Uninstall.exe\"", folder));
    EXPECT_FALSE(UninstallEntryNamesFolder(folder + u"x", u"\"" + folder + u"x\\Uninstall.exe\"", folder));
    EXPECT_FALSE(UninstallEntryNamesFolder(u"", u"", folder));
}

TEST(FoundLogTrustTest, BatchRunsOnlyAsABatFileTheLogRecords) {
    const std::u16string script = std::u16string(kFolder) + u"\\driver\\Uninstall.cmd";
    const std::u16string unrecorded = std::u16string(kFolder) + u"\\driver\\Planted.bat";
    const LoggedFiles files = FilesOf({u"C:\\BASE\\zorvanelle\\ZorvanelleV7\\DRIVER\\uninstall.BAT", script});
    EXPECT_EQ(JudgeFoundRecord(TextRecord(DriverUninstallRecord, kBatch), true, files, Places()),
              FoundRecordVerdict::MayUndo);
    EXPECT_EQ(JudgeFoundRecord(TextRecord(DriverUninstallRecord, script), true, files, Places()),
              FoundRecordVerdict::BatchNotRecorded);
    EXPECT_EQ(JudgeFoundRecord(TextRecord(DriverUninstallRecord, unrecorded), true, files, Places()),
              FoundRecordVerdict::BatchNotRecorded);
}

// A record that names the batch by its 8.3 short name is the same file.
TEST(FoundLogTrustTest, ShortNameOfARecordedBatchIsThatBatch) {
    LongPathFunction longPath = [](const std::u16string& path) {
        return path == u"C:\\Base\\ZORVAN~1\\ZORVAN~1\\driver\\UNINST~1.BAT" ? std::u16string(kBatch) : path;
    };
    const LoggedFiles files = FilesOf({kBatch}, longPath);
    EXPECT_TRUE(IsRecordedBatch(u"C:\\Base\\ZORVAN~1\\ZORVAN~1\\driver\\UNINST~1.BAT", files));
    EXPECT_FALSE(IsRecordedBatch(u"C:\\Base\\ZORVAN~1\\ZORVAN~1\\driver\\OTHER~1.BAT", files));
}

TEST(LoggedFilesTest, FilesNamedAreThoseInsideTheFolderWithThatNameInAnyCase) {
    const std::u16string inside = std::u16string(kFolder) + u"\\system\\Ĳzer.dll";
    const LoggedFiles files = FilesOf({inside, u"C:\\Elsewhere\\ĳzer.dll", std::u16string(kFolder) + u"\\a.dll"});
    EXPECT_EQ(RecordedFilesNamed(files, u"ĳZER.DLL"), std::vector<std::u16string>{inside});
    EXPECT_TRUE(RecordedFilesNamed(files, u"none.dll").empty());
}

uint64_t g_now = 0;
uint64_t FakeNow() {
    return g_now;
}

// Batches of 170 s each: the fourth gets only the 90 s left of ten minutes,
// and a fifth is not started at all.
TEST(BatchTimeBoundTest, TotalTimeStopsTheBatchesWithoutWaiting) {
    g_now = 0;
    BatchTimeBound bound{FakeNow, 180000, 600000};
    std::vector<uint32_t> limits;
    auto batch = [&](uint32_t limit) {
        limits.push_back(limit);
        g_now += std::min<uint64_t>(170000, limit);
    };
    int ran = 0;
    while (ran < 10 && RunWithinBound(bound, batch))
        ++ran;
    EXPECT_EQ(ran, 4);
    EXPECT_EQ(limits, (std::vector<uint32_t>{180000, 180000, 180000, 90000}));
    EXPECT_EQ(bound.SpentMs, 600000u);
}

}  // namespace
