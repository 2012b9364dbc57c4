#include "engine/uninstall_journal_win.h"

#include <windows.h>

#include "system/run_log.h"
#include "system/text_win.h"

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
    UninstallLog header;
    header.BaseFolder = log.BaseFolder;
    header.Company = log.Company;
    header.Product = log.Product;
    std::vector<uint8_t> image;
    if (!SerializeUninstallLog(header, &image))
        return false;
    journal.File = UniqueFile(CreateFileW(WidePtr(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!journal.File || !WriteFlushed(journal, image))
        return false;
    for (const ActionRecord& record : log.Records.Records) {
        if (!JournalRecord(journal, record.Type, record.Data.data(), record.Size))
            return false;
    }
    return true;
}

bool IsJournalOpen(const UninstallJournal& journal) {
    return static_cast<bool>(journal.File);
}

bool JournalRecord(UninstallJournal& journal, uint8_t type, const uint8_t* data, uint32_t size) {
    if (!journal.File)
        return false;
    std::vector<uint8_t> bytes;
    bytes.reserve(5 + size);
    bytes.push_back(type);
    AppendU32LE(bytes, size);
    bytes.insert(bytes.end(), data, data + size);
    const uint64_t start = journal.End;
    if (!WriteFlushed(journal, bytes))
        return false;
    journal.RecordStarts.push_back(start);
    return true;
}

void TakeBackNewestRecord(UninstallJournal& journal) {
    if (!journal.File || journal.RecordStarts.empty())
        return;
    const uint64_t start = journal.RecordStarts.back();
    if (!EndFileAt(journal, start)) {
        journal.File.Reset();
        return;
    }
    journal.RecordStarts.pop_back();
    journal.End = start;
}

void CloseJournal(UninstallJournal& journal, bool remove) {
    journal.File.Reset();
    if (remove && !journal.Path.empty())
        DeleteFileW(WidePtr(journal.Path));
    journal.RecordStarts.clear();
}
