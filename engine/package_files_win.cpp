#include "engine/package_files_win.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/file_ops_win.h"
#include "platform/path_names.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

void PushInReverse(std::vector<const PackageFolder*>& stack, const std::forward_list<PackageFolder>& folders) {
    size_t first = stack.size();
    for (const PackageFolder& folder : folders)
        stack.push_back(&folder);
    std::reverse(stack.begin() + static_cast<ptrdiff_t>(first), stack.end());
}

std::optional<std::u16string> SystemFolder() {
    return ShellFolder(CSIDL_SYSTEM, true);
}

// Creates or replaces `path` with the `size` bytes at `data`; false unless
// all of them were written. A partial file is deleted so that nothing
// half-written stays in the system folder.
bool WriteWholeFile(const std::u16string& path, const uint8_t* data, uint32_t size) {
    UniqueFile file(CreateFileW(WidePtr(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    bool complete = size == 0 || (data && WriteFile(file.Get(), data, size, &written, nullptr) && written == size);
    file.Reset();
    if (!complete)
        DeleteFileW(WidePtr(path));
    return complete;
}

}  // namespace

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
