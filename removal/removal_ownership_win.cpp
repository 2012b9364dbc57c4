#include "removal/removal_ownership_win.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/file_ops_win.h"
#include "platform/path_names.h"
#include "platform/service_control_win.h"
#include "platform/shell_entries_win.h"
#include "platform/shortcut_win.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

constexpr DWORD kCompareChunkBytes = 64 * 1024;

UniqueFile OpenForReading(const std::u16string& path) {
    return UniqueFile(CreateFileW(WidePtr(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Reads up to `buffer.size()` bytes; the count read, or nothing on failure.
std::optional<DWORD> ReadChunk(const UniqueFile& file, std::vector<uint8_t>& buffer) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
        return std::nullopt;
    return read;
}

// Both files can be read and hold the same bytes. Read in chunks: a system
// file may be large, and only its first difference matters.
bool HaveEqualBytes(const std::u16string& a, const std::u16string& b) {
    UniqueFile first = OpenForReading(a);
    UniqueFile second = OpenForReading(b);
    LARGE_INTEGER firstSize, secondSize;
    if (!first || !second || !GetFileSizeEx(first.Get(), &firstSize) || !GetFileSizeEx(second.Get(), &secondSize) ||
        firstSize.QuadPart != secondSize.QuadPart)
        return false;
    std::vector<uint8_t> firstBytes(kCompareChunkBytes), secondBytes(kCompareChunkBytes);
    for (;;) {
        std::optional<DWORD> firstRead = ReadChunk(first, firstBytes);
        std::optional<DWORD> secondRead = ReadChunk(second, secondBytes);
        if (!firstRead || !secondRead || *firstRead != *secondRead ||
            !std::equal(firstBytes.begin(), firstBytes.begin() + *firstRead, secondBytes.begin()))
            return false;
        if (*firstRead == 0)
            return true;
    }
}

// The install folder holds a logged file of the same name with the same bytes.
// A missing system file is settled before anything is read: a planted log
// may name thousands of them.
bool IsCopyOfInstalledFile(const std::u16string& systemFile, const LoggedFiles& files) {
    if (!PathExists(systemFile))
        return false;
    for (const std::u16string& installed : RecordedFilesNamed(files, FileNameOfPath(systemFile))) {
        if (HaveEqualBytes(installed, systemFile))
            return true;
    }
    return false;
}

bool IsInsideInstallFolder(const std::optional<std::u16string>& path, const RemovalPlaces& places) {
    return path && IsPathInside(*path, places.InstallFolder);
}

}  // namespace

RunScope RunScopeOf(const ActionRecord& record) {
    return record.Type == MachineRunEntryRecord ? RunScope::AllUsers : RunScope::CurrentUser;
}

bool IsProductsOwn(const ActionRecord& record, const LoggedFiles& files, const RemovalPlaces& places) {
    std::u16string text = RecordText(record);
    switch (record.Type) {
        case ServiceRecord: {
            std::optional<std::u16string> imagePath = ServiceImagePath(BaseNameOfPath(text));
            return imagePath && IsImagePathOf(*imagePath, text);
        }
        case RunEntryRecord:
        case MachineRunEntryRecord: {
            std::optional<std::u16string> data = RunEntryData(text, RunScopeOf(record));
            return data && IsRecordedRunData(*data, text);
        }
        case DesktopMenuRecord: {
            std::optional<std::u16string> command = DesktopMenuCommand(text);
            return command && IsCommandOfProgramInside(*command, places.InstallFolder);
        }
        case SystemFileRecord:
            return IsCopyOfInstalledFile(text, files);
        case DesktopShortcutRecord:
        case ProgramsShortcutRecord:
            return IsInsideInstallFolder(ShortcutTarget(text), places);
        default:
            return true;
    }
}
