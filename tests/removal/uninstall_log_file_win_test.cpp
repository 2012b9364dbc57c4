#include <windows.h>

#include <gtest/gtest.h>

#include "records/key_record.h"
#include "removal/uninstall_log_file_win.h"
#include "tests/support/scratch_files_win.h"

namespace {

class UninstallLogFileTest : public ::testing::Test {
  protected:
    UninstallLog MakeLog() {
        UninstallLog log;
        log.BaseFolder = scratch_.Path();
        log.Company = u"Zorvanelle";
        log.Product = u"ZorvanelleV7";
        AppendTextRecord(log.Records, FileRecord, scratch_ / u"Panel.exe");
        std::vector<uint8_t> key = EncodeKeyRecord(kLocalMachineRootValue, u"SOFTWARE\\TrovalisServerV7");
        AppendRecord(log.Records, RegistryKeyRecord, key.data(), static_cast<uint32_t>(key.size()));
        AppendRecord(log.Records, ServiceStartedRecord, nullptr, 0);
        return log;
    }

    ScratchFolder scratch_;
};

// A saved log loads back with its headers, its records in order and its own FileRecord last.
TEST_F(UninstallLogFileTest, SavedLogLoadsBackWithItsOwnFileRecordLast) {
    std::u16string path = scratch_ / u"uninstall.log";
    UninstallLog saved = MakeLog();
    ASSERT_TRUE(SaveUninstallLog(saved, path));

    UninstallLog loaded;
    ASSERT_TRUE(LoadUninstallLog(loaded, path));
    EXPECT_EQ(loaded.BaseFolder, scratch_.Path());
    EXPECT_EQ(loaded.Company, u"Zorvanelle");
    EXPECT_EQ(loaded.Product, u"ZorvanelleV7");
    ASSERT_EQ(loaded.Records.Records.size(), 4u);
    EXPECT_EQ(FirstRecord(loaded.Records)->Type, FileRecord);
    EXPECT_EQ(LastRecord(loaded.Records)->Type, FileRecord);
    EXPECT_EQ(RecordText(*LastRecord(loaded.Records)), path);
}

// The file holds the log's byte image and nothing else.
TEST_F(UninstallLogFileTest, SavedFileHoldsExactlyTheImage) {
    std::u16string path = scratch_ / u"uninstall.log";
    UninstallLog log = MakeLog();
    ASSERT_TRUE(SaveUninstallLog(log, path));
    std::vector<uint8_t> image;
    ASSERT_TRUE(SerializeUninstallLog(log, &image));
    EXPECT_EQ(ReadBytes(path), image);
}

// A log with no records but its own loads back with one record: the log's path.
TEST_F(UninstallLogFileTest, LogWithoutRecordsLoadsBackWithItsPath) {
    std::u16string path = scratch_ / u"uninstall.log";
    UninstallLog log;
    ASSERT_TRUE(SaveUninstallLog(log, path));
    UninstallLog loaded;
    ASSERT_TRUE(LoadUninstallLog(loaded, path));
    ASSERT_EQ(loaded.Records.Records.size(), 1u);
    EXPECT_EQ(RecordText(*FirstRecord(loaded.Records)), path);
}

// Saving over a longer existing file replaces it completely.
TEST_F(UninstallLogFileTest, SaveReplacesLongerExistingFile) {
    std::u16string path = scratch_ / u"uninstall.log";
    ASSERT_TRUE(WriteBytes(path, std::vector<uint8_t>(4096, 0xEE)));
    UninstallLog log = MakeLog();
    ASSERT_TRUE(SaveUninstallLog(log, path));
    std::vector<uint8_t> image;
    ASSERT_TRUE(SerializeUninstallLog(log, &image));
    EXPECT_EQ(ReadBytes(path), image);
}

// A missing file cannot be loaded and leaves the log empty.
TEST_F(UninstallLogFileTest, LoadOfMissingFileFailsWithEmptyLog) {
    UninstallLog log = MakeLog();
    EXPECT_FALSE(LoadUninstallLog(log, scratch_ / u"missing.log"));
    EXPECT_TRUE(log.Records.Records.empty());
    EXPECT_EQ(CursorRecord(log.Records), nullptr);
    EXPECT_EQ(log.BaseFolder, u"");
}

// A truncated file is damaged: false, and nothing of it is kept.
TEST_F(UninstallLogFileTest, LoadOfTruncatedFileFailsWithEmptyLog) {
    std::u16string path = scratch_ / u"uninstall.log";
    UninstallLog log = MakeLog();
    ASSERT_TRUE(SaveUninstallLog(log, path));
    std::vector<uint8_t> bytes = *ReadBytes(path);
    bytes.resize(bytes.size() - 1);
    ASSERT_TRUE(WriteBytes(path, bytes));

    UninstallLog loaded;
    EXPECT_FALSE(LoadUninstallLog(loaded, path));
    EXPECT_TRUE(loaded.Records.Records.empty());
}

// A log in a missing folder cannot be created; its own FileRecord stays in memory.
TEST_F(UninstallLogFileTest, SaveIntoMissingFolderFailsAndKeepsFileRecord) {
    std::u16string path = scratch_ / u"missing\\uninstall.log";
    UninstallLog log = MakeLog();
    EXPECT_FALSE(SaveUninstallLog(log, path));
    EXPECT_FALSE(IsExistingFile(path));
    ASSERT_EQ(log.Records.Records.size(), 4u);
    EXPECT_EQ(RecordText(*LastRecord(log.Records)), path);
}

// A log that another process holds open for writing can still be read.
TEST_F(UninstallLogFileTest, LoadReadsFileHeldOpenForWriting) {
    std::u16string path = scratch_ / u"uninstall.log";
    UninstallLog log = MakeLog();
    ASSERT_TRUE(SaveUninstallLog(log, path));
    UniqueFile writer(CreateFileW(WidePtr(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer);
    UninstallLog loaded;
    EXPECT_TRUE(LoadUninstallLog(loaded, path));
    EXPECT_EQ(loaded.Records.Records.size(), 4u);
}

// A file longer than kMaxLogBytes is damaged and is not read: neither a
// well-formed log just over the cap nor a sparse one of 3 GB, which a 32-bit
// program could not even hold in memory.
TEST_F(UninstallLogFileTest, LoadOfFileOverTheSizeCapFailsWithEmptyLog) {
    std::u16string overCap = scratch_ / u"over-cap.log";
    UninstallLog big = MakeLog();
    std::vector<uint8_t> filler(kMaxLogBytes, 'a');
    AppendRecord(big.Records, FileRecord, filler.data(), static_cast<uint32_t>(filler.size()));
    ASSERT_TRUE(SaveUninstallLog(big, overCap));

    // SetEndOfFile extends the file without writing it: sparse under Wine.
    std::u16string sparse = scratch_ / u"sparse.log";
    {
        UniqueFile file(
            CreateFileW(WidePtr(sparse), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        LARGE_INTEGER size;
        size.QuadPart = 3LL * 1024 * 1024 * 1024;
        ASSERT_TRUE(SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get()));
    }

    for (const std::u16string& path : {overCap, sparse}) {
        UninstallLog loaded = MakeLog();
        EXPECT_FALSE(LoadUninstallLog(loaded, path));
        EXPECT_TRUE(loaded.Records.Records.empty());
        EXPECT_EQ(loaded.BaseFolder, u"");
    }
}

}  // namespace
