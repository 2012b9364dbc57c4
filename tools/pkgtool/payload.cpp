#include "tools/pkgtool/payload.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <vector>

#include "platform/text.h"
#include "tools/pkgtool/host_files.h"
#include "tools/pkgtool/store_names.h"

namespace fs = std::filesystem;

namespace {

struct PayloadContext {
    uint64_t StoreBytes = 0;  // running estimate of the store size
};

constexpr uint64_t kStoreLimit = UINT32_MAX;

std::string Fail(const fs::path& path, const std::string& reason) {
    return PathToUtf8(path) + ": " + reason;
}

// Directory entries sorted by their UTF-8 name.
std::string ListSorted(const fs::path& dir, std::vector<fs::directory_entry>* entries) {
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        entries->push_back(*it);
    if (error)
        return Fail(dir, "cannot read directory: " + error.message());
    std::sort(entries->begin(), entries->end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
        return a.path().filename().u8string() < b.path().filename().u8string();
    });
    return {};
}

// The entry's name as the store will hold it.
std::string StoreName(const fs::path& path, std::u16string* name) {
    const std::string utf8 = path.filename().u8string();
    *name = Utf8ToUtf16(utf8);
    if (Utf16ToUtf8(*name) != utf8)
        return Fail(path, "name is not valid UTF-8");
    const std::string reason = CheckPlainName(*name);
    return reason.empty() ? reason : Fail(path, "name " + reason);
}

std::string AddFile(const fs::path& path, std::u16string name, PayloadContext* context, StoreFolder* folder) {
    StoreFile file{std::move(name), {}};
    std::string error;
    if (!ReadFileBytes(path, &file.Data, &error))
        return Fail(path, error);
    context->StoreBytes += 4 + (file.Name.size() + 1) * 2 + file.Data.size();
    if (context->StoreBytes > kStoreLimit)
        return Fail(path, "the payload does not fit a store of 4 GiB");
    folder->Files.push_back(std::move(file));
    return {};
}

std::string ReadFolder(const fs::path& dir, PayloadContext* context, StoreFolder* folder, bool isRoot);

std::string AddFolder(const fs::path& path,
                      const std::u16string& name,
                      PayloadContext* context,
                      StoreFolder* parent,
                      bool parentIsRoot) {
    StoreFolder sub;
    sub.Name = parentIsRoot ? name : parent->Name + u"\\" + name;
    if (std::string reason = CheckTextLength(sub.Name); !reason.empty())
        return Fail(path, "relative path " + reason);
    context->StoreBytes += 12 + (sub.Name.size() + 1) * 2;
    if (std::string error = ReadFolder(path, context, &sub, false); !error.empty())
        return error;
    parent->Folders.push_back(std::move(sub));
    return {};
}

std::string AddEntry(const fs::directory_entry& entry, PayloadContext* context, StoreFolder* folder, bool isRoot) {
    std::u16string name;
    if (std::string error = StoreName(entry.path(), &name); !error.empty())
        return error;
    std::error_code code;
    if (entry.is_directory(code))
        return AddFolder(entry.path(), name, context, folder, isRoot);
    if (entry.is_regular_file(code))
        return AddFile(entry.path(), std::move(name), context, folder);
    return Fail(entry.path(), "neither a regular file nor a directory");
}

std::string ReadFolder(const fs::path& dir, PayloadContext* context, StoreFolder* folder, bool isRoot) {
    std::vector<fs::directory_entry> entries;
    if (std::string error = ListSorted(dir, &entries); !error.empty())
        return error;
    for (const fs::directory_entry& entry : entries) {
        if (std::string error = AddEntry(entry, context, folder, isRoot); !error.empty())
            return error;
    }
    return {};
}

StoreFolder* FindSubfolder(StoreFolder* folder, const std::u16string& name) {
    for (StoreFolder& sub : folder->Folders) {
        if (sub.Name == name)
            return &sub;
        if (StoreFolder* found = FindSubfolder(&sub, name))
            return found;
    }
    return nullptr;
}

std::u16string LastComponent(const std::u16string& path) {
    return path.substr(path.find_last_of(u'\\') + 1);
}

// Moves the entry called `name` (if any) to position *front and advances it.
template <typename Entry, typename NameOf>
bool MoveToFront(std::vector<Entry>* entries, const std::u16string& name, size_t* front, NameOf nameOf) {
    for (size_t i = *front; i < entries->size(); ++i) {
        if (nameOf((*entries)[i]) == name) {
            std::rotate(entries->begin() + *front, entries->begin() + i, entries->begin() + i + 1);
            ++*front;
            return true;
        }
    }
    return false;
}

std::string ApplyOrder(const ManifestOrder& order, StoreFolder* root) {
    StoreFolder* folder = order.Folder.empty() ? root : FindSubfolder(root, order.Folder);
    if (!folder)
        return "folder \"" + Utf16ToUtf8(order.Folder) + "\" is not in the payload";
    size_t fileFront = 0;
    size_t folderFront = 0;
    for (const std::u16string& name : order.Names) {
        const bool file = MoveToFront(&folder->Files, name, &fileFront, [](const StoreFile& f) { return f.Name; });
        const bool sub = MoveToFront(&folder->Folders, name, &folderFront,
                                     [](const StoreFolder& f) { return LastComponent(f.Name); });
        if (!file && !sub)
            return "\"" + Utf16ToUtf8(name) + "\" is not in payload folder \"" + Utf16ToUtf8(order.Folder) + "\"";
    }
    return {};
}

}  // namespace

std::vector<ManifestError> ApplyManifestOrders(const std::vector<ManifestOrder>& orders, StoreFolder* root) {
    std::vector<ManifestError> errors;
    for (const ManifestOrder& order : orders) {
        if (std::string error = ApplyOrder(order, root); !error.empty())
            errors.push_back({order.Line, std::move(error)});
    }
    return errors;
}

std::string ReadPayload(const fs::path& dir, const std::u16string& rootName, StoreFolder* root) {
    std::error_code code;
    if (!fs::is_directory(dir, code))
        return Fail(dir, "not a directory");
    if (std::string reason = CheckPlainName(rootName); !reason.empty())
        return Fail(dir, "root name \"" + Utf16ToUtf8(rootName) + "\" " + reason);
    *root = StoreFolder{rootName, {}, {}};
    PayloadContext context;
    context.StoreBytes = 12 + (rootName.size() + 1) * 2;
    return ReadFolder(dir, &context, root, true);
}
