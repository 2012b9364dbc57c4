#include <windows.h>

#include "platform/text_win.h"
#include "platform/unique_handle_win.h"
#include "removal/uninstall_log_file_win.h"

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

// Replaces `path` with the whole image in one step: the image goes to a
// temporary file beside it, is flushed, and then takes the log's name
// (MoveFileExW, written through). A kill at any instant leaves either the
// old file (a journal) or the new one, never half of either.
bool WriteWholeFile(const std::u16string& path, const std::vector<uint8_t>& image) {
    const std::u16string temporary = path + u".new";
    UniqueFile file(CreateFileW(WidePtr(temporary), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    bool complete = WriteFile(file.Get(), image.data(), static_cast<DWORD>(image.size()), &written, nullptr) &&
                    written == image.size() && FlushFileBuffers(file.Get());
    file.Reset();
    complete =
        complete && MoveFileExW(WidePtr(temporary), WidePtr(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!complete) {
        const DWORD error = GetLastError();
        DeleteFileW(WidePtr(temporary));
        SetLastError(error);
    }
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
