#include "platform/pending_renames_win.h"

#include "platform/case_fold.h"
#include "platform/pending_renames.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

constexpr wchar_t kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingValue[] = L"PendingFileRenameOperations";
// Far beyond any real list (a few entries per installation), and short of
// letting a damaged value cost the installer its memory.
constexpr DWORD kMaxListBytes = 16u * 1024 * 1024;

std::optional<std::u16string> ReadListUnits(HKEY key) {
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, kPendingValue, nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return std::u16string();
    if (status != ERROR_SUCCESS || type != REG_MULTI_SZ || size > kMaxListBytes)
        return std::nullopt;
    std::u16string units(size / 2 + 1, u'\0');
    status = RegQueryValueExW(key, kPendingValue, nullptr, &type, reinterpret_cast<BYTE*>(units.data()), &size);
    if (status != ERROR_SUCCESS || type != REG_MULTI_SZ)
        return std::nullopt;
    units.resize(size / 2);
    return units;
}

bool WriteListUnits(HKEY key, const std::u16string& units) {
    if (units.empty()) {
        const LSTATUS status = RegDeleteValueW(key, kPendingValue);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    return RegSetValueExW(key, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(units.data()),
                          static_cast<DWORD>(units.size() * 2)) == ERROR_SUCCESS;
}

// The path as the session manager, a native program, must see it. A 32-bit
// program on 64-bit Windows writes into the system folder's 32-bit twin
// without knowing it, but the list is read at start-up with no such
// redirection: a path in the system folder is named by its twin
// (SysWOW64), which is what this program's writes reached. Paths elsewhere,
// and every path on 32-bit Windows, stay as they are.
std::u16string NativePathOf(const std::u16string& path) {
    BOOL wow64 = FALSE;
    wchar_t system[MAX_PATH] = {};
    wchar_t twin[MAX_PATH] = {};
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64 || GetSystemDirectoryW(system, MAX_PATH) == 0 ||
        GetSystemWow64DirectoryW(twin, MAX_PATH) == 0)
        return path;
    const std::u16string prefix = FromWide(system) + u"\\";
    if (path.size() <= prefix.size() || !EqualIgnoringCase(std::u16string_view(path).substr(0, prefix.size()), prefix))
        return path;
    return FromWide(twin) + path.substr(prefix.size() - 1);
}

UniqueKey OpenSessionManager(REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, access, &key) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(key);
}

}  // namespace

bool IsFileInUse(DWORD error, const std::u16string& path) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_USER_MAPPED_FILE)
        return true;
    if (error != ERROR_ACCESS_DENIED)
        return false;
    UniqueFile probe(CreateFileW(WidePtr(path), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe && GetLastError() == ERROR_SHARING_VIOLATION;
}

bool ScheduleReplaceAtRestart(const std::u16string& copy, const std::u16string& target) {
    return MoveFileExW(WidePtr(NativePathOf(copy)), WidePtr(NativePathOf(target)),
                       MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
}

bool ScheduleDeleteAtRestart(const std::u16string& path) {
    return MoveFileExW(WidePtr(NativePathOf(path)), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

std::optional<size_t> CancelPendingRename(const std::u16string& source) {
    UniqueKey key = OpenSessionManager(KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key)
        return std::nullopt;
    const HKEY handle = key.Get();
    const RenameListAccess list{[handle] { return ReadListUnits(handle); },
                                [handle](const std::u16string& units) { return WriteListUnits(handle, units); }};
    return CancelRenamesOf(list, NativePathOf(source));
}

bool HasPendingRename(const std::u16string& source) {
    return HasRenameOf(PendingRenamePairs(), NativePathOf(source));
}

std::vector<std::u16string> PendingRenamePairs() {
    UniqueKey key = OpenSessionManager(KEY_QUERY_VALUE);
    std::optional<std::u16string> units = key ? ReadListUnits(key.Get()) : std::nullopt;
    return units ? SplitMultiString(*units) : std::vector<std::u16string>{};
}

DWORD WriteNewWholeFile(const std::u16string& path, const uint8_t* data, uint32_t size) {
    UniqueFile file(CreateFileW(WidePtr(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError();
    DWORD written = 0;
    const bool whole = size == 0 || (data && WriteFile(file.Get(), data, size, &written, nullptr) && written == size);
    DWORD error = whole ? ERROR_SUCCESS : GetLastError();
    if (!whole && error == ERROR_SUCCESS)
        error = ERROR_HANDLE_DISK_FULL;  // a short write sets no error
    file.Reset();
    if (!whole)
        DeleteFileW(WidePtr(path));
    return error;
}
