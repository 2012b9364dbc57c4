#include "records/uninstall_log.h"
#include "records/key_record.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void AppendKeyRecord(ActionRecordList& list, std::u16string_view path) {
    Bytes record = EncodeKeyRecord(kLocalMachineRootValue, path);
    AppendRecord(list, RegistryKeyRecord, record.data(), static_cast<uint32_t>(record.size()));
}

Bytes Utf16Bytes(std::u16string_view text) {
    Bytes out;
    for (char16_t unit : text) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

UninstallLog MakeLog(std::u16string base, std::u16string company, std::u16string product) {
    UninstallLog log;
    log.BaseFolder = std::move(base);
    log.Company = std::move(company);
    log.Product = std::move(product);
    return log;
}

// A valid image: three short header texts and then `records`.
Bytes ImageWithRecords(const Bytes& records) {
    Bytes image = Utf16Bytes(u"B");
    Append(image, Utf16Bytes(u"C"));
    Append(image, Utf16Bytes(u"P"));
    Append(image, records);
    return image;
}

std::vector<uint8_t> TypesOf(const ActionRecordList& list) {
    std::vector<uint8_t> types;
    for (const ActionRecord& record : list.Records)
        types.push_back(record.Type);
    return types;
}

class UninstallLogTest : public ::testing::Test {
  protected:
    // A list of three text records of the types 0, 3 and 4, oldest first.
    void AppendThree(ActionRecordList& list) {
        AppendTextRecord(list, FileRecord, u"C:\\a");
        AppendTextRecord(list, DriverUninstallRecord, u"C:\\b.bat");
        AppendTextRecord(list, ServiceRecord, u"C:\\c.exe");
    }
};

// Logs written by earlier installations carry these type bytes: each record
// type is pinned as the literal it is stored as.
TEST_F(UninstallLogTest, EveryRecordTypeHasItsFixedValue) {
    const struct {
        uint8_t type;
        uint8_t value;
    } cases[] = {
        {FileRecord, 0},        {RegistryKeyRecord, 2},     {DriverUninstallRecord, 3},
        {ServiceRecord, 4},     {DesktopShortcutRecord, 7}, {ProgramsShortcutRecord, 8},
        {DesktopMenuRecord, 9}, {SystemFileRecord, 10},     {ServiceStartedRecord, 16},
        {DirectoryRecord, 19},  {UninstallEntryRecord, 20}, {RunEntryRecord, 22},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.type, c.value);
    EXPECT_EQ(MachineRunEntryRecord, 23);
    EXPECT_EQ(PendingReplaceRecord, 24);
}

// Headers, then Type, unaligned little-endian Size and Data per record, nothing else.
TEST_F(UninstallLogTest, SerializedLogMatchesTheFileFormatByteForByte) {
    UninstallLog log = MakeLog(u"C:\\P", u"Co", u"Pr");
    AppendTextRecord(log.Records, FileRecord, u"C:\\x");
    AppendKeyRecord(log.Records, u"S\\K");
    AppendTextRecord(log.Records, DriverUninstallRecord, u"");
    AppendRecord(log.Records, ServiceStartedRecord, nullptr, 0);

    const Bytes expected = {
        'C', 0,  ':', 0, '\\', 0,    'P', 0,   0,    0,                               // BaseFolder
        'C', 0,  'o', 0, 0,    0,                                                     // Company
        'P', 0,  'r', 0, 0,    0,                                                     // Product
        0,   10, 0,   0, 0,    'C',  0,   ':', 0,    '\\', 0, 'x',  0, 0,   0,        // FileRecord
        2,   12, 0,   0, 0,    0x02, 0,   0,   0x80, 'S',  0, '\\', 0, 'K', 0, 0, 0,  // RegistryKeyRecord
        3,   2,  0,   0, 0,    0,    0,                                               // DriverUninstallRecord ""
        16,  0,  0,   0, 0,                                                           // empty record
    };
    Bytes image;
    ASSERT_TRUE(SerializeUninstallLog(log, &image));
    EXPECT_EQ(image, expected);
}

// Parsing a serialised log gives back the same headers and records, oldest first.
TEST_F(UninstallLogTest, ParsedImageKeepsHeadersRecordsAndOrder) {
    UninstallLog log = MakeLog(u"C:\\Program Files", u"Company", u"Product \u4E2D");
    AppendThree(log.Records);
    AppendKeyRecord(log.Records, u"SOFTWARE\\Key");
    Bytes image;
    ASSERT_TRUE(SerializeUninstallLog(log, &image));

    UninstallLog loaded;
    ASSERT_TRUE(ParseUninstallLog(image.data(), image.size(), loaded));
    EXPECT_EQ(loaded.BaseFolder, log.BaseFolder);
    EXPECT_EQ(loaded.Company, log.Company);
    EXPECT_EQ(loaded.Product, log.Product);
    EXPECT_EQ(TypesOf(loaded.Records),
              (std::vector<uint8_t>{FileRecord, DriverUninstallRecord, ServiceRecord, RegistryKeyRecord}));
    EXPECT_EQ(RecordText(*FirstRecord(loaded.Records)), u"C:\\a");
    const ActionRecord& keyRecord = *LastRecord(loaded.Records);
    std::optional<KeyRecord> key = DecodeKeyRecord(keyRecord.Data.data(), keyRecord.Data.size());
    ASSERT_TRUE(key);
    EXPECT_EQ(key->RootValue, kLocalMachineRootValue);
    EXPECT_EQ(key->Path, u"SOFTWARE\\Key");
}

// A record without data is five bytes in the image and reads back with empty Data.
TEST_F(UninstallLogTest, EmptyRecordTakesFiveBytesAndLoadsBackEmpty) {
    UninstallLog log = MakeLog(u"", u"", u"");
    Bytes headerOnly;
    ASSERT_TRUE(SerializeUninstallLog(log, &headerOnly));
    AppendRecord(log.Records, ServiceStartedRecord, nullptr, 0);
    Bytes image;
    ASSERT_TRUE(SerializeUninstallLog(log, &image));
    EXPECT_EQ(image.size(), headerOnly.size() + 5);

    UninstallLog loaded;
    ASSERT_TRUE(ParseUninstallLog(image.data(), image.size(), loaded));
    ASSERT_EQ(loaded.Records.Records.size(), 1u);
    EXPECT_EQ(FirstRecord(loaded.Records)->Size, 0u);
    EXPECT_TRUE(FirstRecord(loaded.Records)->Data.empty());
}

// Text records count the terminator; the key record adds the 4-byte root value.
TEST_F(UninstallLogTest, RecordSizesCountTerminatorAndRootValue) {
    ActionRecordList list;
    AppendTextRecord(list, FileRecord, u"abc");
    AppendTextRecord(list, DriverUninstallRecord, u"");
    AppendKeyRecord(list, u"SOFTWARE\\TrovalisServerV7");
    auto it = list.Records.begin();
    EXPECT_EQ(it->Size, 8u);
    EXPECT_EQ((++it)->Size, 2u);
    EXPECT_EQ((++it)->Size, 4u + (25u + 1u) * 2u);
    for (const ActionRecord& record : list.Records)
        EXPECT_EQ(record.Size, record.Data.size());
}

// AppendRecord keeps its own copy of the bytes.
TEST_F(UninstallLogTest, AppendedRecordOwnsACopyOfTheBytes) {
    ActionRecordList list;
    uint8_t bytes[] = {1, 2, 3};
    AppendRecord(list, SystemFileRecord, bytes, sizeof bytes);
    bytes[0] = 9;
    EXPECT_EQ(FirstRecord(list)->Data, (Bytes{1, 2, 3}));
}

// A record's text ends at its first NUL; an odd trailing byte is ignored.
TEST_F(UninstallLogTest, RecordTextStopsAtNulAndIgnoresOddByte) {
    ActionRecord record;
    record.Data = {'a', 0, 0, 0, 'b', 0};
    EXPECT_EQ(RecordText(record), u"a");
    record.Data = {'a', 0, 'b'};
    EXPECT_EQ(RecordText(record), u"a");
}

TEST_F(UninstallLogTest, PendingReplaceRecordReadsBackBothTextsAndRefusesDamagedOnes) {
    ActionRecord record{PendingReplaceRecord, 0, PendingReplaceRecordData(u"C:\\P\\~tv0001.tmp", u"C:\\P\\a.dll")};
    std::optional<PendingReplace> pending = ReadPendingReplace(record);
    ASSERT_TRUE(pending);
    EXPECT_EQ(pending->Copy, u"C:\\P\\~tv0001.tmp");
    EXPECT_EQ(pending->Target, u"C:\\P\\a.dll");
    EXPECT_EQ(RecordSubject(record), u"C:\\P\\a.dll");
    const std::vector<std::vector<uint8_t>> damaged = {
        {},
        {'a', 0, 0, 0},             // no target
        {'a', 0, 0, 0, 'b', 0},     // target without its terminator
        {0, 0, 'b', 0, 0, 0},       // empty copy
        {'a', 0, 0, 0, 0, 0},       // empty target
        {'a', 0, 0, 0, 'b', 0, 0},  // odd last byte cuts the terminator
    };
    for (const std::vector<uint8_t>& data : damaged)
        EXPECT_FALSE(ReadPendingReplace(ActionRecord{PendingReplaceRecord, 0, data})) << data.size();
    EXPECT_FALSE(ReadPendingReplace(ActionRecord{FileRecord, 0, record.Data}));
}

// The first record appended to an empty list becomes the cursor's record; later ones do not move it.
TEST_F(UninstallLogTest, CursorStartsOnFirstAppendedRecord) {
    ActionRecordList list;
    EXPECT_EQ(CursorRecord(list), nullptr);
    AppendThree(list);
    EXPECT_EQ(CursorRecord(list), FirstRecord(list));
    EXPECT_EQ(RecordText(*LastRecord(list)), u"C:\\c.exe");
}

// MoveNext on the newest record returns none and leaves the cursor on it.
TEST_F(UninstallLogTest, MoveNextOnNewestReturnsNoneAndKeepsCursor) {
    ActionRecordList list;
    AppendThree(list);
    ASSERT_EQ(MoveLast(list), LastRecord(list));
    EXPECT_EQ(MoveNext(list), nullptr);
    EXPECT_EQ(CursorRecord(list), LastRecord(list));
}

// MovePrevious on the oldest record returns none and leaves the cursor on it.
TEST_F(UninstallLogTest, MovePreviousOnOldestReturnsNoneAndKeepsCursor) {
    ActionRecordList list;
    AppendThree(list);
    ASSERT_EQ(MoveFirst(list), FirstRecord(list));
    EXPECT_EQ(MovePrevious(list), nullptr);
    EXPECT_EQ(CursorRecord(list), FirstRecord(list));
}

// A rollback's walk (MoveLast, then MovePrevious until none) visits newest to oldest; MoveNext goes back up.
TEST_F(UninstallLogTest, CursorWalksVisitEveryRecordInOrder) {
    ActionRecordList list;
    AppendThree(list);
    std::vector<uint8_t> backwards;
    for (const ActionRecord* r = MoveLast(list); r; r = MovePrevious(list))
        backwards.push_back(r->Type);
    EXPECT_EQ(backwards, (std::vector<uint8_t>{ServiceRecord, DriverUninstallRecord, FileRecord}));
    std::vector<uint8_t> forwards;
    for (const ActionRecord* r = MoveFirst(list); r; r = MoveNext(list))
        forwards.push_back(r->Type);
    EXPECT_EQ(forwards, (std::vector<uint8_t>{FileRecord, DriverUninstallRecord, ServiceRecord}));
}

// On an empty list every cursor operation returns none.
TEST_F(UninstallLogTest, CursorOperationsOnEmptyListReturnNone) {
    ActionRecordList list;
    EXPECT_EQ(MoveFirst(list), nullptr);
    EXPECT_EQ(MoveLast(list), nullptr);
    EXPECT_EQ(MoveNext(list), nullptr);
    EXPECT_EQ(MovePrevious(list), nullptr);
    EXPECT_EQ(FirstRecord(list), nullptr);
    EXPECT_EQ(LastRecord(list), nullptr);
}

// ClearRecords frees everything; the next append starts a fresh list with the cursor on it.
TEST_F(UninstallLogTest, ClearRecordsEmptiesListAndCursor) {
    ActionRecordList list;
    AppendThree(list);
    MoveLast(list);
    ClearRecords(list);
    EXPECT_TRUE(list.Records.empty());
    EXPECT_EQ(CursorRecord(list), nullptr);
    AppendTextRecord(list, FileRecord, u"x");
    EXPECT_EQ(CursorRecord(list), FirstRecord(list));
}

// A moved list keeps its cursor on the same record, or on none.
TEST_F(UninstallLogTest, MovedListKeepsItsCursor) {
    ActionRecordList list;
    AppendThree(list);
    MoveNext(list);
    ActionRecordList moved(std::move(list));
    ASSERT_NE(CursorRecord(moved), nullptr);
    EXPECT_EQ(CursorRecord(moved)->Type, DriverUninstallRecord);
    EXPECT_EQ(MoveNext(moved)->Type, ServiceRecord);

    ActionRecordList empty;
    moved = std::move(empty);
    EXPECT_EQ(CursorRecord(moved), nullptr);
    AppendTextRecord(moved, FileRecord, u"x");
    EXPECT_EQ(CursorRecord(moved), FirstRecord(moved));
}

// Header texts that the file format cannot hold are refused rather than written.
TEST_F(UninstallLogTest, SerializeRefusesHeaderTextsTheFormatCannotHold) {
    Bytes image;
    EXPECT_TRUE(SerializeUninstallLog(MakeLog(std::u16string(259, u'a'), u"C", u"P"), &image));
    EXPECT_FALSE(SerializeUninstallLog(MakeLog(std::u16string(260, u'a'), u"C", u"P"), &image));
    EXPECT_FALSE(SerializeUninstallLog(MakeLog(u"B", std::u16string(u"C\0D", 3), u"P"), &image));
    EXPECT_FALSE(SerializeUninstallLog(MakeLog(u"B", u"C", std::u16string(300, u'p')), &image));
}

struct DamagedCase {
    const char* name;
    Bytes image;
};

Bytes HeaderOfUnits(size_t units) {
    Bytes image = Utf16Bytes(std::u16string(units, u'a'));
    Append(image, Utf16Bytes(u"C"));
    Append(image, Utf16Bytes(u"P"));
    return image;
}

std::vector<DamagedCase> DamagedCases() {
    Bytes unterminated = Utf16Bytes(u"B");
    Append(unterminated, Utf16Bytes(u"C"));
    Append(unterminated, {'P', 0});
    return {
        {"empty file", {}},
        {"one odd byte", {'B'}},
        {"third header unterminated", unterminated},
        {"header of 260 units", HeaderOfUnits(260)},
        {"record type only", ImageWithRecords({0})},
        {"record size cut short", ImageWithRecords({0, 2, 0, 0})},
        {"size one past the end", ImageWithRecords({0, 3, 0, 0, 0, 'a', 0})},
        {"size of 4 GiB - 1", ImageWithRecords({0, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0})},
        {"good record then truncated one", ImageWithRecords({16, 0, 0, 0, 0, 16, 0, 0})},
    };
}

// A damaged image gives false and leaves nothing of it (nor of what the log held before) to act on.
TEST_F(UninstallLogTest, DamagedImagesAreRejectedWithEmptyLog) {
    for (const DamagedCase& c : DamagedCases()) {
        SCOPED_TRACE(c.name);
        UninstallLog log = MakeLog(u"old", u"old", u"old");
        AppendThree(log.Records);
        EXPECT_FALSE(ParseUninstallLog(c.image.data(), c.image.size(), log));
        EXPECT_TRUE(log.Records.Records.empty());
        EXPECT_EQ(CursorRecord(log.Records), nullptr);
        EXPECT_EQ(log.BaseFolder, u"");
        EXPECT_EQ(log.Company, u"");
        EXPECT_EQ(log.Product, u"");
    }
}

// Limits that are still inside the format: a 259-unit header and a record ending exactly at the end.
TEST_F(UninstallLogTest, ImagesAtTheLimitsAreAccepted) {
    UninstallLog log;
    Bytes longest = HeaderOfUnits(259);
    EXPECT_TRUE(ParseUninstallLog(longest.data(), longest.size(), log));
    EXPECT_EQ(log.BaseFolder.size(), 259u);
    EXPECT_TRUE(log.Records.Records.empty());

    Bytes exact = ImageWithRecords({0, 2, 0, 0, 0, 'a', 0});
    ASSERT_TRUE(ParseUninstallLog(exact.data(), exact.size(), log));
    ASSERT_EQ(log.Records.Records.size(), 1u);
    EXPECT_EQ(RecordText(*FirstRecord(log.Records)), u"a");
}

// An image of `count` empty records.
Bytes ImageOfEmptyRecords(size_t count) {
    Bytes records(count * 5, 0);
    for (size_t i = 0; i < count; ++i)
        records[i * 5] = ServiceStartedRecord;
    return ImageWithRecords(records);
}

// An image of exactly `size` bytes: the header and one record filling the rest.
Bytes ImageOfSize(size_t size) {
    Bytes image = ImageWithRecords({});
    uint32_t data = static_cast<uint32_t>(size - image.size() - 5);
    Append(image, {FileRecord, static_cast<uint8_t>(data), static_cast<uint8_t>(data >> 8),
                   static_cast<uint8_t>(data >> 16), static_cast<uint8_t>(data >> 24)});
    image.resize(size, 'a');
    return image;
}

// A log is at most kMaxLogBytes and kMaxLogRecords; beyond either it counts as
// damaged, however well formed, so a planted million records is never walked.
TEST_F(UninstallLogTest, LogsBeyondTheCapsAreDamaged) {
    struct Case {
        const char* name;
        Bytes image;
        bool loads;
    } cases[] = {
        {"records at the cap", ImageOfEmptyRecords(kMaxLogRecords), true},
        {"one record over the cap", ImageOfEmptyRecords(kMaxLogRecords + 1), false},
        {"a million tiny records", ImageOfEmptyRecords(1000000), false},
        {"bytes at the cap", ImageOfSize(kMaxLogBytes), true},
        {"one byte over the cap", ImageOfSize(kMaxLogBytes + 1), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UninstallLog log;
        EXPECT_EQ(ParseUninstallLog(c.image.data(), c.image.size(), log), c.loads);
        EXPECT_EQ(log.Records.Records.empty(), !c.loads);
    }
}

// Parsing replaces the records the log held before instead of adding to them.
TEST_F(UninstallLogTest, ParseReplacesPreviousRecords) {
    UninstallLog log;
    AppendThree(log.Records);
    Bytes image = ImageWithRecords({16, 0, 0, 0, 0});
    ASSERT_TRUE(ParseUninstallLog(image.data(), image.size(), log));
    EXPECT_EQ(TypesOf(log.Records), (std::vector<uint8_t>{ServiceStartedRecord}));
    EXPECT_EQ(CursorRecord(log.Records), FirstRecord(log.Records));
}

// The tolerant reading keeps the header and every whole record before the
// damage; a damaged header leaves nothing. One case per damage of the table
// above, in its order, plus a whole image.
TEST_F(UninstallLogTest, PrefixParseKeepsWholeRecordsBeforeTheDamage) {
    struct Expected {
        LogPrefixParse outcome;
        size_t records;
    };
    const Expected expected[] = {
        {LogPrefixParse::Unreadable, 0},  {LogPrefixParse::Unreadable, 0},  {LogPrefixParse::Unreadable, 0},
        {LogPrefixParse::Unreadable, 0},  {LogPrefixParse::DamagedTail, 0}, {LogPrefixParse::DamagedTail, 0},
        {LogPrefixParse::DamagedTail, 0}, {LogPrefixParse::DamagedTail, 0}, {LogPrefixParse::DamagedTail, 1},
    };
    const std::vector<DamagedCase> cases = DamagedCases();
    ASSERT_EQ(cases.size(), std::size(expected));
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        UninstallLog log = MakeLog(u"old", u"old", u"old");
        AppendThree(log.Records);
        EXPECT_EQ(ParseUninstallLogPrefix(cases[i].image.data(), cases[i].image.size(), log), expected[i].outcome);
        EXPECT_EQ(log.Records.Records.size(), expected[i].records);
        EXPECT_EQ(log.BaseFolder, expected[i].outcome == LogPrefixParse::Unreadable ? u"" : u"B");
    }
    UninstallLog whole;
    Bytes image = ImageWithRecords({16, 0, 0, 0, 0, 0, 2, 0, 0, 0, 'a', 0});
    EXPECT_EQ(ParseUninstallLogPrefix(image.data(), image.size(), whole), LogPrefixParse::Whole);
    EXPECT_EQ(TypesOf(whole.Records), (std::vector<uint8_t>{ServiceStartedRecord, FileRecord}));
}

}  // namespace

// Cutting an image at a record's offset leaves exactly the records before it,
// whole: what a removal relies on when it cuts its log back record by record.
TEST_F(UninstallLogTest, ImageCutAtARecordOffsetKeepsTheRecordsBeforeIt) {
    UninstallLog log = MakeLog(u"C:\\Base", u"Company", u"Product");
    AppendThree(log.Records);
    Bytes image;
    ASSERT_TRUE(SerializeUninstallLog(log, &image));
    const std::vector<uint64_t> offsets = RecordOffsets(log);
    ASSERT_EQ(offsets.size(), 3u);
    for (size_t kept = 0; kept < offsets.size(); ++kept) {
        UninstallLog cut;
        ASSERT_TRUE(ParseUninstallLog(image.data(), offsets[kept], cut)) << kept;
        EXPECT_EQ(cut.Records.Records.size(), kept);
        EXPECT_EQ(image[offsets[kept]], TypesOf(log.Records)[kept]);
    }
}
