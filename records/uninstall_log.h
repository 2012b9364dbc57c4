// The uninstall log: typed records of everything an installation did, kept
// in memory while it runs (so that a failed run can undo them at once) and
// saved as "uninstall.log" so that a later removal can undo them.
//
// Byte image, UTF-16LE, packed, no magic, version, count or checksum:
//   BaseFolder, Company, Product   NUL-terminated texts of at most 259 units
//   records, oldest first          Type (u8), Size (u32 LE), Data (Size bytes)
// The image ends directly after the last record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Record types. Every text record holds UTF-16LE with its terminator, and
// Size counts the terminator.
inline constexpr uint8_t FileRecord = 0;              // path of a written file
inline constexpr uint8_t RegistryKeyRecord = 2;       // u32 root key value, then the key path
inline constexpr uint8_t DriverUninstallRecord = 3;   // driver uninstall batch path (may be empty)
inline constexpr uint8_t ServiceRecord = 4;           // service program path
inline constexpr uint8_t DesktopShortcutRecord = 7;   // link path without ".lnk"
inline constexpr uint8_t ProgramsShortcutRecord = 8;  // link path without ".lnk"
inline constexpr uint8_t DesktopMenuRecord = 9;       // context-menu entry name
inline constexpr uint8_t SystemFileRecord = 10;       // path of a file in the system folder
inline constexpr uint8_t ServiceStartedRecord = 16;   // service name
inline constexpr uint8_t DirectoryRecord = 19;        // path of a created shortcut directory
inline constexpr uint8_t UninstallEntryRecord = 20;   // Add/Remove Programs key name
inline constexpr uint8_t RunEntryRecord = 22;         // logon command line (the current user's Run key)
// Logon command line under HKLM's Run key. Readers that predate it take it,
// as every unknown type, for nothing to undo: the value stays behind.
inline constexpr uint8_t MachineRunEntryRecord = 23;
// A package file that was in use, replaced at the next restart: two texts,
// the new copy written beside it under a temporary name, then the file it
// replaces. Undone by cancelling the pending rename and deleting the copy.
inline constexpr uint8_t PendingReplaceRecord = 24;

// Longest header text: a field of 260 units less its terminator.
inline constexpr size_t kMaxLogTextUnits = 259;

// The most a log that is read may cost. A real log holds a few dozen records
// and some kilobytes; a found log is data anyone may have planted, and one of
// gigabytes, or of millions of records each paused for, would exhaust the
// installer's memory or keep it busy for hours.
inline constexpr size_t kMaxLogBytes = size_t{16} * 1024 * 1024;
inline constexpr size_t kMaxLogRecords = 16384;

struct ActionRecord {
    uint8_t Type = 0;
    uint32_t Size = 0;          // always Data.size()
    std::vector<uint8_t> Data;  // the record's own copy
};

// Records oldest first (front is First, back is Last) and a cursor that
// stands on one record or on none (Records.end()). Moving a list keeps its
// cursor on the same record; lists are not copied.
struct ActionRecordList {
    ActionRecordList() = default;
    ActionRecordList(ActionRecordList&& other) noexcept;
    ActionRecordList& operator=(ActionRecordList&& other) noexcept;
    ActionRecordList(const ActionRecordList&) = delete;
    ActionRecordList& operator=(const ActionRecordList&) = delete;

    std::list<ActionRecord> Records;
    std::list<ActionRecord>::iterator Cursor = Records.end();
};

struct UninstallLog {
    std::u16string BaseFolder;
    std::u16string Company;
    std::u16string Product;
    ActionRecordList Records;
};

// Copies `size` bytes into a new newest record. The first record of an empty
// list also becomes the cursor's record when the cursor stands on none.
// Always returns true.
bool AppendRecord(ActionRecordList& list, uint8_t type, const uint8_t* bytes, uint32_t size);

// Appends `text` as UTF-16LE with its terminator (Size = (length + 1) * 2).
bool AppendTextRecord(ActionRecordList& list, uint8_t type, std::u16string_view text);

// The text of a text record: its units up to the first NUL (all of them when
// there is none); an odd last byte is ignored.
std::u16string RecordText(const ActionRecord& record);

// The data of a text record: `text` as UTF-16LE with its terminator.
std::vector<uint8_t> TextRecordData(std::u16string_view text);

// The data of a PendingReplaceRecord: both texts, each with its terminator.
std::vector<uint8_t> PendingReplaceRecordData(std::u16string_view copy, std::u16string_view target);

struct PendingReplace {
    std::u16string Copy;    // the new bytes under a temporary name
    std::u16string Target;  // the file in use they replace at the restart
};

// The two texts of a PendingReplaceRecord; none for any other record, or for
// one whose texts are not both there, terminated and not empty.
std::optional<PendingReplace> ReadPendingReplace(const ActionRecord& record);

// The record type's name for logs, e.g. "FileRecord"; "UnknownRecord" for a
// type no installation writes.
std::string_view RecordTypeName(uint8_t type);

// What a record names, for logs: the key path of a RegistryKeyRecord, the
// file a PendingReplaceRecord replaces, the text of every other record.
std::u16string RecordSubject(const ActionRecord& record);

// The oldest and newest records and the cursor's record; null for none.
const ActionRecord* FirstRecord(const ActionRecordList& list);
const ActionRecord* LastRecord(const ActionRecordList& list);
const ActionRecord* CursorRecord(const ActionRecordList& list);

// Cursor operations; each returns the record now under the cursor, or null.
// MoveNext (towards newer) and MovePrevious (towards older) return null and
// leave the cursor where it was when it stands on none or at that end.
const ActionRecord* MoveFirst(ActionRecordList& list);
const ActionRecord* MoveLast(ActionRecordList& list);
const ActionRecord* MoveNext(ActionRecordList& list);
const ActionRecord* MovePrevious(ActionRecordList& list);

// Frees every record; First, Last and the cursor become none.
void ClearRecords(ActionRecordList& list);

// Empties the header texts and frees every record.
void ClearUninstallLog(UninstallLog& log);

// The log's byte image. Empty (no image) when a header text is longer than
// kMaxLogTextUnits or holds a NUL: such a log could not be read back.
[[nodiscard]] bool SerializeUninstallLog(const UninstallLog& log, std::vector<uint8_t>* image);

// Replaces the log's contents with those of a byte image. A damaged image (a
// header text over kMaxLogTextUnits units or unterminated, a truncated record
// header, a record whose Size runs past the end, more than kMaxLogBytes bytes
// or more than kMaxLogRecords records) gives false and leaves the
// log with empty header texts and no records: nothing of it is to be acted on.
[[nodiscard]] bool ParseUninstallLog(const uint8_t* bytes, size_t size, UninstallLog& log);

// How much of an image ParseUninstallLogPrefix could read.
enum class LogPrefixParse {
    Whole,        // the whole image, as ParseUninstallLog reads it
    DamagedTail,  // the header and the whole records before the first damaged one
    Unreadable,   // not even the header: the log is left empty
};

// The tolerant reading a removal of the log's own installation uses: a log
// damaged in its tail (cut short, or a record whose Size runs past the end)
// still yields its header and every whole record before the damage, oldest
// first, so they can be checked and undone one by one. A damaged header
// leaves nothing to act on, and so does a log over kMaxLogBytes or
// kMaxLogRecords. Replaces the log's contents.
[[nodiscard]] LogPrefixParse ParseUninstallLogPrefix(const uint8_t* bytes, size_t size, UninstallLog& log);

// The byte offset of each record in the log's image, oldest first: where
// the image would end if that record and every newer one were taken away.
std::vector<uint64_t> RecordOffsets(const UninstallLog& log);
