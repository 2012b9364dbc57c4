// Helpers of the Windows suites that touch real files: a scratch folder per
// test and plain Win32 reads and writes to check results by round trip.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

// A new empty folder under the temporary folder; removed with everything in
// it when the owner goes.
class ScratchFolder {
  public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        static unsigned counter = 0;
        path_ = FromWide(temp) + u"scratch-" + FromWide(std::to_wstring(GetCurrentProcessId())) + u"-" +
                FromWide(std::to_wstring(++counter));
        CreateDirectoryW(WidePtr(path_), nullptr);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(ToWide(path_)), ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::u16string& Path() const { return path_; }
    std::u16string operator/(std::u16string_view name) const { return path_ + u"\\" + std::u16string(name); }

  private:
    std::u16string path_;
};

inline DWORD AttributesOf(const std::u16string& path) {
    return GetFileAttributesW(WidePtr(path));
}

inline bool IsExistingFile(const std::u16string& path) {
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool IsExistingDirectory(const std::u16string& path) {
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool WriteBytes(const std::u16string& path, const std::vector<uint8_t>& bytes) {
    UniqueFile file(
        CreateFileW(WidePtr(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

inline std::optional<std::vector<uint8_t>> ReadBytes(const std::u16string& path) {
    UniqueFile file(CreateFileW(WidePtr(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    std::vector<uint8_t> bytes(GetFileSize(file.Get(), nullptr));
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        return std::nullopt;
    return bytes;
}
