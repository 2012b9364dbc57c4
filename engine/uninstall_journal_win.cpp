#include "engine/uninstall_journal_win.h"

#include <windows.h>

#include "platform/run_log.h"
#include "platform/text_win.h"

namespace {

void AppendU32LE(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

// One write and one flush: the bytes are on disk when this returns true.
bool WriteFlushed(UninstallJournal& journal, const std::vector<uint8_t>& bytes) {
    DWORD written = 0;
    if (!WriteFile(journal.File.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !FlushFileBuffers(journal.File.Get())) {
        WriteLogLine("error",
                     u"the uninstall journal cannot be written; the installation goes on without it: " + journal.Path);
        journal.File.Reset();
        return false;
    }
    journal.End += bytes.size();
    return true;
}

bool EndFileAt(UninstallJournal& journal, uint64_t offset) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(journal.File.Get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(journal.File.Get()) &&
           FlushFileBuffers(journal.File.Get());
}

}  // namespace

bool StartJournal(UninstallJournal& journal, const std::u16string& path, const UninstallLog& log) {
    journal = UninstallJournal{};
    journal.Path = path;
    std::vector<uint8_t> image;
    if (!SerializeUninstallLog(log, &image))
        return false;
    journal.File = UniqueFile(CreateFileW(WidePtr(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!journal.File || !WriteFlushed(journal, image))
        return false;
    journal.RecordStarts = RecordOffsets(log);
    return true;
}

bool IsJournalOpen(const UninstallJournal& journal) {
    return static_cast<bool>(journal.File);
}

bool JournalRecord(UninstallJournal& journal, uint8_t type, const uint8_t* data, uint32_t size) {
    return JournalRecords(journal, type, {std::vector<uint8_t>(data, data + size)});
}

bool JournalRecords(UninstallJournal& journal, uint8_t type, const std::vector<std::vector<uint8_t>>& records) {
    if (!journal.File)
        return false;
    std::vector<uint8_t> bytes;
    std::vector<uint64_t> starts;
    for (const std::vector<uint8_t>& data : records) {
        starts.push_back(journal.End + bytes.size());
        bytes.push_back(type);
        AppendU32LE(bytes, static_cast<uint32_t>(data.size()));
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    if (!WriteFlushed(journal, bytes))
        return false;
    journal.RecordStarts.insert(journal.RecordStarts.end(), starts.begin(), starts.end());
    return true;
}

size_t JournalRecordCount(const UninstallJournal& journal) {
    return journal.RecordStarts.size();
}

void TakeBackRecordsFrom(UninstallJournal& journal, size_t index) {
    if (!journal.File || index >= journal.RecordStarts.size())
        return;
    const uint64_t start = journal.RecordStarts[index];
    if (!EndFileAt(journal, start)) {
        journal.File.Reset();
        return;
    }
    journal.RecordStarts.resize(index);
    journal.End = start;
}

void TakeBackNewestRecord(UninstallJournal& journal) {
    if (!journal.RecordStarts.empty())
        TakeBackRecordsFrom(journal, journal.RecordStarts.size() - 1);
}

void CloseJournal(UninstallJournal& journal, bool remove) {
    journal.File.Reset();
    if (remove && !journal.Path.empty())
        DeleteFileW(WidePtr(journal.Path));
    journal.RecordStarts.clear();
}
