#include <windows.h>

#include "engine/uninstall_log.h"
#include "system/text_win.h"
#include "system/unique_handle_win.h"

namespace {

// The whole file in one read. The file is shared for reading and writing so
// that a log another process still holds open can be read. A file over
// kMaxLogBytes is refused before anything is allocated for it.
bool ReadWholeFile(const std::u16string& path, std::vector<uint8_t>* bytes) {
    UniqueFile file(CreateFileW(WidePtr(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > kMaxLogBytes)
        return false;
    bytes->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return ReadFile(file.Get(), bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) &&
           read == bytes->size();
}

// Creates or replaces `path`; false unless the whole image was written. A
// partial log is deleted: a truncated log would read back as damaged anyway,
// and a removal must not find half of one.
bool WriteWholeFile(const std::u16string& path, const std::vector<uint8_t>& image) {
    UniqueFile file(CreateFileW(WidePtr(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    bool complete = WriteFile(file.Get(), image.data(), static_cast<DWORD>(image.size()), &written, nullptr) &&
                    written == image.size();
    file.Reset();
    if (!complete)
        DeleteFileW(WidePtr(path));
    return complete;
}

}  // namespace

bool LoadUninstallLog(UninstallLog& log, const std::u16string& path) {
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(path, &bytes))
        return ParseUninstallLog(bytes.data(), bytes.size(), log);
    ClearUninstallLog(log);
    return false;
}

LogPrefixParse LoadUninstallLogPrefix(UninstallLog& log, const std::u16string& path) {
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(path, &bytes))
        return ParseUninstallLogPrefix(bytes.data(), bytes.size(), log);
    ClearUninstallLog(log);
    return LogPrefixParse::Unreadable;
}

bool SaveUninstallLog(UninstallLog& log, const std::u16string& path) {
    AppendTextRecord(log.Records, FileRecord, path);
    std::vector<uint8_t> image;
    return SerializeUninstallLog(log, &image) && WriteWholeFile(path, image);
}
