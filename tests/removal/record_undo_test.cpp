// The one undo of a record under Wine, with the two policies that use it: a
// rollback's (the run's own records, reported to the window) and a found
// log's (the records checked first), on the same records and things.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_ops_win.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "records/uninstall_log.h"
#include "removal/record_undo_win.h"
#include "tests/support/test_files_win.h"

namespace {

const std::u16string kBase = u"C:\\Undo Base";
const std::u16string kFolder = kBase + u"\\Zorvanelle\\ZorvanelleV7";
const std::u16string kMarker = u"C:\\undo-batch-ran.txt";

struct Told {
    UndoReport Report;
    std::u16string Subject;
    bool operator==(const Told& other) const { return Report == other.Report && Subject == other.Subject; }
};

void Record(UndoReport report, std::u16string_view subject, void* context) {
    static_cast<std::vector<Told>*>(context)->push_back({report, std::u16string(subject)});
}

bool Exists(const std::u16string& path) {
    return test_files::FileExists(ToWide(path));
}

// One record, and the trace that tells how its undo went: a path that must
// be gone after it, or that must be there (`traceStays`); none when empty.
struct UndoCase {
    uint8_t Type;
    std::u16string Text;
    UndoOutcome Outcome;
    std::vector<Told> Reports;
    std::u16string Trace;
    bool TraceStays;
};

class RecordUndoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        log_.BaseFolder = kBase;
        log_.Company = u"Zorvanelle";
        log_.Product = u"ZorvanelleV7";
        places_.InstallFolder = kFolder;
        places_.ShortcutFolders.push_back(ShellFolder(CSIDL_PROGRAMS, true).value_or(u""));
        test_files::CreateFolders(ToWide(kFolder));
    }

    void TearDown() override {
        DeleteDirectoryTree(kBase);
        DeleteFileW(WidePtr(kMarker));
        RemoveDirectoryW(WidePtr(places_.ShortcutFolders.front() + u"\\Undo Test"));
    }

    UndoPolicy RollbackPolicy() {
        UndoPolicy policy;
        policy.Report = Record;
        policy.ReportContext = &told_;
        policy.BatchLimitMs = 60000;
        policy.Spared = kFolder + u"\\Uninstall.exe";
        return policy;
    }

    UndoPolicy FoundLogPolicy() {
        UndoPolicy policy = RollbackPolicy();
        policy.BatchLimitMs = 180000;
        policy.FoundLog = &log_;
        policy.Places = &places_;
        // The installation recorded its batch as one of its files.
        UninstallLog files;
        AppendTextRecord(files.Records, FileRecord, kFolder + u"\\Uninstall.bat");
        files_ = IndexLoggedFiles(files, kFolder, nullptr);
        policy.Files = &files_;
        return policy;
    }

    UninstallLog log_;
    RemovalPlaces places_;
    LoggedFiles files_;
    std::vector<Told> told_;
};

// The same record gives the same outcome, the same reports and the same
// machine through both policies: the checks let a product's own record pass.
TEST_F(RecordUndoTest, RollbackAndFoundLogPoliciesUndoTheProductsRecordAlike) {
    const std::u16string file = kFolder + u"\\Tool.txt";
    const std::u16string batch = kFolder + u"\\Uninstall.bat";
    const std::u16string spared = kFolder + u"\\Uninstall.exe";
    const std::u16string folder = places_.ShortcutFolders.front() + u"\\Undo Test";
    const UndoCase cases[] = {
        {FileRecord, file, UndoOutcome::Undone, {{UndoReport::DeletingFile, file}}, file, false},
        {FileRecord, spared, UndoOutcome::NothingToUndo, {}, spared, true},
        {DriverUninstallRecord, batch, UndoOutcome::Undone, {{UndoReport::UninstallingDriver, batch}}, kMarker, true},
        {DriverUninstallRecord, u"", UndoOutcome::NothingToUndo, {{UndoReport::UninstallingDriver, u""}}, u"", false},
        {DirectoryRecord, folder, UndoOutcome::Undone, {}, folder, false},
    };
    for (const bool found : {false, true}) {
        for (const UndoCase& c : cases) {
            SCOPED_TRACE(Utf16ToUtf8(c.Text) + (found ? " from a found log" : " in a rollback"));
            ASSERT_TRUE(test_files::WriteTextFile(ToWide(file), "x"));
            ASSERT_TRUE(test_files::WriteTextFile(ToWide(spared), "x"));
            ASSERT_TRUE(test_files::WriteTextFile(ToWide(batch), "@echo off\r\necho ran>" + Utf16ToUtf8(kMarker)));
            EnsureDirectory(folder);
            DeleteFileW(WidePtr(kMarker));
            told_.clear();
            ActionRecordList records;
            AppendTextRecord(records, c.Type, c.Text);
            EXPECT_EQ(UndoRecord(*FirstRecord(records), found ? FoundLogPolicy() : RollbackPolicy()), c.Outcome);
            EXPECT_EQ(told_, c.Reports);
            if (!c.Trace.empty()) {
                EXPECT_EQ(Exists(c.Trace), c.TraceStays);
            }
        }
    }
}

}  // namespace
