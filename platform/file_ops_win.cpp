#include "platform/file_ops_win.h"

#include <windows.h>

#include <shlobj.h>
#include <winternl.h>

#include <algorithm>
#include <vector>

#include "platform/directory_walk.h"
#include "platform/path_names.h"
#include "platform/product_constants.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

// NtCreateFile takes a counted name; the walk's names come from listings
// and are far shorter than the counted form allows.
UNICODE_STRING CountedName(const std::u16string& name) {
    UNICODE_STRING counted;
    counted.Buffer = const_cast<PWSTR>(WidePtr(name));
    counted.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    counted.MaximumLength = counted.Length;
    return counted;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A walk node over an open handle. Every handle is opened without following
// a reparse point, so a node for a link is the link itself; a child is opened
// relative to its parent's handle, never by a path that a link planted
// higher up could redirect.
class HandleNode final : public WalkNode {
  public:
    explicit HandleNode(UniqueFile handle) : handle_(std::move(handle)) {}

    std::optional<WalkNodeInfo> Info() override {
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(handle_.Get(), &info))
            return std::nullopt;
        return WalkNodeInfo{static_cast<uint32_t>(info.dwFileAttributes),
                            (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    }

    std::vector<WalkEntry> List() override {
        std::vector<WalkEntry> entries;
        // 8-byte alignment for the LARGE_INTEGER fields of each record.
        std::vector<uint64_t> buffer(8 * 1024);
        FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
        while (GetFileInformationByHandleEx(handle_.Get(), kind, buffer.data(),
                                            static_cast<DWORD>(buffer.size() * sizeof(uint64_t)))) {
            kind = FileIdBothDirectoryInfo;
            const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.data());
            for (size_t offset = 0;;) {
                const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + offset);
                entries.push_back(
                    {FromWide(std::wstring_view(record->FileName, record->FileNameLength / sizeof(wchar_t))),
                     static_cast<uint32_t>(record->FileAttributes), static_cast<uint64_t>(record->FileId.QuadPart)});
                if (record->NextEntryOffset == 0)
                    break;
                offset += record->NextEntryOffset;
            }
        }
        return entries;
    }

    std::unique_ptr<WalkNode> OpenChild(const std::u16string& name, bool forListing) override {
        const ACCESS_MASK access = FILE_READ_ATTRIBUTES | SYNCHRONIZE | (forListing ? FILE_LIST_DIRECTORY : 0);
        UniqueFile child = CreateRelative(name, access | DELETE, kShareAll, FILE_OPEN, FILE_OPEN_FOR_BACKUP_INTENT);
        // A directory that another process holds without sharing deletion (as
        // its current directory, say) cannot go, but it can still be emptied.
        if (!child && forListing && GetLastError() == ERROR_SHARING_VIOLATION)
            child = CreateRelative(name, access, kShareAll, FILE_OPEN, FILE_OPEN_FOR_BACKUP_INTENT);
        if (!child)
            return nullptr;
        return std::make_unique<HandleNode>(std::move(child));
    }

    // A new file `name` in this directory, for writing and deleting; fails
    // when anything of that name exists.
    UniqueFile CreateChildFile(const std::u16string& name) {
        return CreateRelative(name, FILE_GENERIC_WRITE | DELETE, FILE_SHARE_READ, FILE_CREATE, FILE_NON_DIRECTORY_FILE);
    }

    bool Delete() override {
        FILE_DISPOSITION_INFO disposition{TRUE};
        return SetFileInformationByHandle(handle_.Get(), FileDispositionInfo, &disposition, sizeof disposition);
    }

  private:
    // Opens `name` relative to this directory's handle, never following a
    // reparse point. The last error is set from the status on failure.
    UniqueFile CreateRelative(const std::u16string& name,
                              ACCESS_MASK access,
                              ULONG share,
                              ULONG disposition,
                              ULONG options) {
        UNICODE_STRING counted = CountedName(name);
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE, handle_.Get(), nullptr);
        IO_STATUS_BLOCK status;
        HANDLE opened = INVALID_HANDLE_VALUE;
        NTSTATUS result =
            NtCreateFile(&opened, access, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition,
                         options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
        if (result < 0) {
            SetLastError(RtlNtStatusToDosError(result));
            return UniqueFile();
        }
        return UniqueFile(opened);
    }

    UniqueFile handle_;
};

}  // namespace

bool PathExists(const std::u16string& path) {
    WIN32_FIND_DATAW entry;
    UniqueFind find(FindFirstFileW(WidePtr(path), &entry));
    return static_cast<bool>(find);
}

std::u16string LongPathOf(const std::u16string& path) {
    if (path.find(u'~') == std::u16string::npos)
        return path;
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetLongPathNameW(WidePtr(path), buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return path;
    return FromWide(std::wstring_view(buffer, length));
}

void EnsureDirectory(const std::u16string& path) {
    if (!PathExists(path))
        CreateDirectoryW(WidePtr(path), nullptr);
}

std::unique_ptr<WalkNode> OpenWalkRoot(const std::u16string& path) {
    const DWORD access = FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY | SYNCHRONIZE;
    auto open = [&](DWORD extra) {
        return UniqueFile(CreateFileW(WidePtr(path), access | extra, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    };
    UniqueFile handle = open(DELETE);
    // As for a child: a root held open elsewhere is emptied and left standing.
    if (!handle && GetLastError() == ERROR_SHARING_VIOLATION)
        handle = open(0);
    if (!handle)
        return nullptr;
    return std::make_unique<HandleNode>(std::move(handle));
}

void DeleteDirectoryTree(const std::u16string& path) {
    if (std::unique_ptr<WalkNode> root = OpenWalkRoot(path))
        PruneTree(*root, path.size(), DeleteTreeAction);
}

void RemoveEmptyDirectories(const std::u16string& path) {
    if (std::unique_ptr<WalkNode> root = OpenWalkRoot(path))
        PruneTree(*root, path.size(), RemoveEmptyAction);
}

bool WriteNewFileInFolder(const std::u16string& folder, const std::u16string& name, const std::vector<uint8_t>& bytes) {
    if (!IsPlainName(name)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    UniqueFile folderHandle(CreateFileW(
        WidePtr(folder), FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folderHandle)
        return false;
    HandleNode folderNode(std::move(folderHandle));
    std::optional<WalkNodeInfo> folderInfo = folderNode.Info();
    if (!folderInfo || !(folderInfo->Attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        IsLinkAttributes(folderInfo->Attributes)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Whatever holds the name goes first, a link as a link; a real directory
    // of that name is not replaced. The old entry goes when its handle
    // closes, at the end of this statement.
    if (std::unique_ptr<WalkNode> old = folderNode.OpenChild(name, false)) {
        std::optional<WalkNodeInfo> oldInfo = old->Info();
        if (!oldInfo || ((oldInfo->Attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLinkAttributes(oldInfo->Attributes))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        if (!old->Delete())
            return false;
    }
    // FILE_CREATE: the name must be free, so nothing planted since is opened.
    UniqueFile file = folderNode.CreateChildFile(name);
    if (!file)
        return false;
    DWORD written = 0;
    const bool wrote = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const bool complete = wrote && written == bytes.size();
    if (!complete) {
        const DWORD error = wrote ? ERROR_WRITE_FAULT : GetLastError();
        FILE_DISPOSITION_INFO disposition{TRUE};
        SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof disposition);
        SetLastError(error);
    }
    return complete;
}

std::optional<std::u16string> ShellFolder(int csidl, bool create) {
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, csidl, create ? TRUE : FALSE) || folder[0] == L'\0')
        return std::nullopt;
    return FromWide(folder);
}

// The registry value is where a moved folder is recorded too. Loading the
// shell (it brings user32) would cost a quiet run under Wine about 45 ms for
// this one path.
std::optional<std::u16string> CommonDocumentsFolder() {
    wchar_t folder[MAX_PATH] = {};
    DWORD bytes = sizeof(folder);
    // RRF_RT_REG_SZ takes REG_EXPAND_SZ too and expands it.
    const LSTATUS status =
        RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                     L"Common Documents", RRF_RT_REG_SZ, nullptr, folder, &bytes);
    folder[MAX_PATH - 1] = L'\0';
    const std::u16string path = status == ERROR_SUCCESS ? FromWide(folder) : std::u16string();
    const bool onDrive = path.size() >= 3 && ((path[0] | 0x20) >= u'a' && (path[0] | 0x20) <= u'z') &&
                         path[1] == u':' && path[2] == u'\\';
    if (onDrive && path.find(u'%') == std::u16string::npos)
        return path;
    return ShellFolder(CSIDL_COMMON_DOCUMENTS, false);
}

std::optional<std::u16string> PanelConfigFolder() {
    std::optional<std::u16string> documents = CommonDocumentsFolder();
    if (!documents)
        return std::nullopt;
    return JoinPath(*documents, kPanelConfigFolderName);
}
