#include "records/uninstall_log.h"

#include <utility>

#include "records/byte_reader.h"

namespace {

void AppendU32LE(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendText16(std::vector<uint8_t>& out, std::u16string_view text) {
    for (char16_t unit : text) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

// Units up to the first NUL, or all of them; an odd last byte is ignored.
std::u16string DecodeText16(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

bool IsStorableHeaderText(std::u16string_view text) {
    return text.size() <= kMaxLogTextUnits && text.find(u'\0') == std::u16string_view::npos;
}

const ActionRecord* RecordAt(const ActionRecordList& list, std::list<ActionRecord>::const_iterator at) {
    return at == list.Records.end() ? nullptr : &*at;
}

// One record at the reader's position; false when its header is cut short or
// its Size runs past the end of the image.
bool ReadRecord(ByteReader& reader, ActionRecordList& list) {
    uint8_t type = 0;
    uint32_t size = 0;
    const uint8_t* data = nullptr;
    if (!reader.ReadU8(&type) || !reader.ReadU32LE(&size) || !reader.ReadBytes(size, &data))
        return false;
    return AppendRecord(list, type, data, size);
}

bool ReadHeader(ByteReader& reader, UninstallLog& log) {
    return reader.ReadString16(kMaxLogTextUnits, &log.BaseFolder) &&
           reader.ReadString16(kMaxLogTextUnits, &log.Company) && reader.ReadString16(kMaxLogTextUnits, &log.Product);
}

}  // namespace

std::string_view RecordTypeName(uint8_t type) {
    switch (type) {
        case FileRecord:
            return "FileRecord";
        case RegistryKeyRecord:
            return "RegistryKeyRecord";
        case DriverUninstallRecord:
            return "DriverUninstallRecord";
        case ServiceRecord:
            return "ServiceRecord";
        case DesktopShortcutRecord:
            return "DesktopShortcutRecord";
        case ProgramsShortcutRecord:
            return "ProgramsShortcutRecord";
        case DesktopMenuRecord:
            return "DesktopMenuRecord";
        case SystemFileRecord:
            return "SystemFileRecord";
        case ServiceStartedRecord:
            return "ServiceStartedRecord";
        case DirectoryRecord:
            return "DirectoryRecord";
        case UninstallEntryRecord:
            return "UninstallEntryRecord";
        case RunEntryRecord:
            return "RunEntryRecord";
        case MachineRunEntryRecord:
            return "MachineRunEntryRecord";
        case PendingReplaceRecord:
            return "PendingReplaceRecord";
        default:
            return "UnknownRecord";
    }
}

std::vector<uint8_t> TextRecordData(std::u16string_view text) {
    std::vector<uint8_t> data;
    data.reserve((text.size() + 1) * 2);
    AppendText16(data, text);
    return data;
}

std::vector<uint8_t> PendingReplaceRecordData(std::u16string_view copy, std::u16string_view target) {
    std::vector<uint8_t> data = TextRecordData(copy);
    AppendText16(data, target);
    return data;
}

std::optional<PendingReplace> ReadPendingReplace(const ActionRecord& record) {
    if (record.Type != PendingReplaceRecord)
        return std::nullopt;
    const size_t size = record.Data.size();
    PendingReplace pending{DecodeText16(record.Data.data(), size), {}};
    // Each text ends at its terminator, which must be there.
    const size_t targetAt = (pending.Copy.size() + 1) * 2;
    if (pending.Copy.empty() || targetAt > size)
        return std::nullopt;
    pending.Target = DecodeText16(record.Data.data() + targetAt, size - targetAt);
    if (pending.Target.empty() || targetAt + (pending.Target.size() + 1) * 2 > size)
        return std::nullopt;
    return pending;
}

std::u16string RecordSubject(const ActionRecord& record) {
    if (std::optional<PendingReplace> pending = ReadPendingReplace(record))
        return pending->Target;
    if (record.Type == RegistryKeyRecord)
        return record.Data.size() > 4 ? DecodeText16(record.Data.data() + 4, record.Data.size() - 4) : u"";
    return RecordText(record);
}

ActionRecordList::ActionRecordList(ActionRecordList&& other) noexcept {
    *this = std::move(other);
}

// Moving a std::list keeps iterators to its elements valid (they now refer
// into this list) but not its end(), which stands for "no cursor".
ActionRecordList& ActionRecordList::operator=(ActionRecordList&& other) noexcept {
    if (this == &other)
        return *this;
    bool onRecord = other.Cursor != other.Records.end();
    auto cursor = other.Cursor;
    Records = std::move(other.Records);
    Cursor = onRecord ? cursor : Records.end();
    other.Records.clear();
    other.Cursor = other.Records.end();
    return *this;
}

bool AppendRecord(ActionRecordList& list, uint8_t type, const uint8_t* bytes, uint32_t size) {
    ActionRecord record;
    record.Type = type;
    record.Size = size;
    if (size > 0)
        record.Data.assign(bytes, bytes + size);
    list.Records.push_back(std::move(record));
    if (list.Cursor == list.Records.end())
        list.Cursor = std::prev(list.Records.end());
    return true;
}

bool AppendTextRecord(ActionRecordList& list, uint8_t type, std::u16string_view text) {
    const std::vector<uint8_t> data = TextRecordData(text);
    return AppendRecord(list, type, data.data(), static_cast<uint32_t>(data.size()));
}

std::u16string RecordText(const ActionRecord& record) {
    return DecodeText16(record.Data.data(), record.Data.size());
}

const ActionRecord* FirstRecord(const ActionRecordList& list) {
    return list.Records.empty() ? nullptr : &list.Records.front();
}

const ActionRecord* LastRecord(const ActionRecordList& list) {
    return list.Records.empty() ? nullptr : &list.Records.back();
}

const ActionRecord* CursorRecord(const ActionRecordList& list) {
    return RecordAt(list, list.Cursor);
}

const ActionRecord* MoveFirst(ActionRecordList& list) {
    list.Cursor = list.Records.begin();
    return CursorRecord(list);
}

const ActionRecord* MoveLast(ActionRecordList& list) {
    list.Cursor = list.Records.empty() ? list.Records.end() : std::prev(list.Records.end());
    return CursorRecord(list);
}

const ActionRecord* MoveNext(ActionRecordList& list) {
    if (list.Cursor == list.Records.end() || std::next(list.Cursor) == list.Records.end())
        return nullptr;
    ++list.Cursor;
    return CursorRecord(list);
}

const ActionRecord* MovePrevious(ActionRecordList& list) {
    if (list.Cursor == list.Records.end() || list.Cursor == list.Records.begin())
        return nullptr;
    --list.Cursor;
    return CursorRecord(list);
}

void ClearRecords(ActionRecordList& list) {
    list.Records.clear();
    list.Cursor = list.Records.end();
}

void ClearUninstallLog(UninstallLog& log) {
    log.BaseFolder.clear();
    log.Company.clear();
    log.Product.clear();
    ClearRecords(log.Records);
}

bool SerializeUninstallLog(const UninstallLog& log, std::vector<uint8_t>* image) {
    if (!IsStorableHeaderText(log.BaseFolder) || !IsStorableHeaderText(log.Company) ||
        !IsStorableHeaderText(log.Product))
        return false;
    size_t total = (log.BaseFolder.size() + log.Company.size() + log.Product.size() + 3) * 2;
    for (const ActionRecord& record : log.Records.Records)
        total += 5 + record.Data.size();
    image->clear();
    image->reserve(total);
    AppendText16(*image, log.BaseFolder);
    AppendText16(*image, log.Company);
    AppendText16(*image, log.Product);
    for (const ActionRecord& record : log.Records.Records) {
        image->push_back(record.Type);
        AppendU32LE(*image, static_cast<uint32_t>(record.Data.size()));
        image->insert(image->end(), record.Data.begin(), record.Data.end());
    }
    return true;
}

bool ParseUninstallLog(const uint8_t* bytes, size_t size, UninstallLog& log) {
    if (ParseUninstallLogPrefix(bytes, size, log) == LogPrefixParse::Whole)
        return true;
    ClearUninstallLog(log);
    return false;
}

LogPrefixParse ParseUninstallLogPrefix(const uint8_t* bytes, size_t size, UninstallLog& log) {
    ClearUninstallLog(log);
    ByteReader reader(bytes, size);
    if (size > kMaxLogBytes || !ReadHeader(reader, log)) {
        ClearUninstallLog(log);
        return LogPrefixParse::Unreadable;
    }
    for (size_t count = 0; !reader.AtEnd(); ++count) {
        // A log over the caps is no log of an installation: nothing of it is
        // acted on, whatever its tail.
        if (count == kMaxLogRecords) {
            ClearUninstallLog(log);
            return LogPrefixParse::Unreadable;
        }
        // A record that fails to read has appended nothing.
        if (!ReadRecord(reader, log.Records))
            return LogPrefixParse::DamagedTail;
    }
    return LogPrefixParse::Whole;
}

std::vector<uint64_t> RecordOffsets(const UninstallLog& log) {
    uint64_t offset = (log.BaseFolder.size() + log.Company.size() + log.Product.size() + 3) * 2;
    std::vector<uint64_t> offsets;
    offsets.reserve(log.Records.Records.size());
    for (const ActionRecord& record : log.Records.Records) {
        offsets.push_back(offset);
        offset += 5 + static_cast<uint64_t>(record.Size);
    }
    return offsets;
}
