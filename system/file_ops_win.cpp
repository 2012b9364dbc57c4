#include "system/file_ops_win.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "system/directory_walk.h"
#include "system/path_names.h"
#include "system/product_constants.h"
#include "system/text_win.h"
#include "system/unique_handle_win.h"

namespace {

using DecideEntry = EntryAction (*)(std::u16string_view name, uint32_t attributes);

// Calls visit(name, attributes) for every entry of `directory`, "." and ".."
// included. Entries may be deleted while the enumeration runs: FindNextFileW
// keeps going over a changing directory.
template <typename Visit>
void ForEachEntry(const std::u16string& directory, Visit&& visit) {
    std::optional<std::u16string> pattern = JoinPath(directory, u"*.*");
    if (!pattern)
        return;
    WIN32_FIND_DATAW entry;
    UniqueFind find(FindFirstFileW(WidePtr(*pattern), &entry));
    if (!find)
        return;
    do {
        visit(FromWide(entry.cFileName), static_cast<uint32_t>(entry.dwFileAttributes));
    } while (FindNextFileW(find.Get(), &entry));
}

// Applies `decide` to every entry below `directory`, then removes the
// directory (which fails harmlessly while anything stayed in it). A directory
// link given as `directory` is removed without looking inside: enumerating
// it would walk its target.
void PruneTree(const std::u16string& directory, DecideEntry decide) {
    if (!IsLinkAttributes(GetFileAttributesW(WidePtr(directory)))) {
        ForEachEntry(directory, [&](const std::u16string& name, uint32_t attributes) {
            std::optional<std::u16string> entry = JoinPath(directory, name);
            if (!entry)
                return;
            switch (decide(name, attributes)) {
                case EntryAction::DeleteFile:
                    DeleteFileW(WidePtr(*entry));
                    break;
                case EntryAction::RemoveLink:
                    RemoveDirectoryW(WidePtr(*entry));
                    break;
                case EntryAction::Descend:
                    PruneTree(*entry, decide);
                    break;
                case EntryAction::Leave:
                    break;
            }
        });
    }
    RemoveDirectoryW(WidePtr(directory));
}

void PushInReverse(std::vector<const PackageFolder*>& stack, const std::forward_list<PackageFolder>& folders) {
    size_t first = stack.size();
    for (const PackageFolder& folder : folders)
        stack.push_back(&folder);
    std::reverse(stack.begin() + static_cast<ptrdiff_t>(first), stack.end());
}

std::optional<std::u16string> SystemFolder() {
    return ShellFolder(CSIDL_SYSTEM, true);
}

// Creates or replaces `path` with the first `size` bytes of `data`; false
// unless all `size` bytes were written. A partial file is deleted so that
// nothing half-written stays in the system folder.
bool WriteWholeFile(const std::u16string& path, const std::vector<uint8_t>& data, uint32_t size) {
    UniqueFile file(CreateFileW(WidePtr(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD count = static_cast<DWORD>(std::min<size_t>(size, data.size()));
    DWORD written = 0;
    bool complete = WriteFile(file.Get(), data.data(), count, &written, nullptr) && written == size;
    file.Reset();
    if (!complete)
        DeleteFileW(WidePtr(path));
    return complete;
}

}  // namespace

bool PathExists(const std::u16string& path) {
    WIN32_FIND_DATAW entry;
    UniqueFind find(FindFirstFileW(WidePtr(path), &entry));
    return static_cast<bool>(find);
}

void EnsureDirectory(const std::u16string& path) {
    if (!PathExists(path))
        CreateDirectoryW(WidePtr(path), nullptr);
}

void CreateInstallDirectories(const PackageTree& tree) {
    EnsureDirectory(tree.InstallFolder);
    // An explicit stack instead of recursion: the depth of a package's
    // folder tree is whatever the package says.
    std::vector<const PackageFolder*> pending;
    PushInReverse(pending, tree.Folders);
    while (!pending.empty()) {
        const PackageFolder* folder = pending.back();
        pending.pop_back();
        if (std::optional<std::u16string> path = JoinPath(tree.InstallFolder, folder->Name))
            EnsureDirectory(*path);
        PushInReverse(pending, folder->Folders);
    }
}

void DeleteDirectoryTree(const std::u16string& path) {
    PruneTree(path, DeleteTreeAction);
}

void RemoveEmptyDirectories(const std::u16string& path) {
    PruneTree(path, RemoveEmptyAction);
}

bool WriteFileToSystemFolder(const PackageFile* file, std::u16string* targetPath) {
    if (!file)
        return false;
    std::optional<std::u16string> folder = SystemFolder();
    std::optional<std::u16string> target = folder ? JoinPath(*folder, file->Name) : std::nullopt;
    if (!target)
        return false;
    if (targetPath)
        *targetPath = *target;
    return WriteWholeFile(*target, file->Data, file->Size);
}

std::optional<std::u16string> ShellFolder(int csidl, bool create) {
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, csidl, create ? TRUE : FALSE) || folder[0] == L'\0')
        return std::nullopt;
    return FromWide(folder);
}

std::optional<std::u16string> PanelConfigFolder() {
    std::optional<std::u16string> documents = ShellFolder(CSIDL_COMMON_DOCUMENTS, false);
    if (!documents)
        return std::nullopt;
    return JoinPath(*documents, kPanelConfigFolderName);
}
