#include "tools/pkgtool/extract.h"

#include <system_error>
#include <vector>

#include "platform/text.h"
#include "records/package.h"
#include "tools/pkgtool/host_files.h"

namespace fs = std::filesystem;

namespace {

struct PlannedFile {
    fs::path Path;  // relative to the extraction folder
    const PackageFile* File = nullptr;
};

struct ExtractionPlan {
    std::vector<fs::path> Folders;  // relative, parents first
    std::vector<PlannedFile> Files;
};

bool IsSafeComponent(std::u16string_view name) {
    return !name.empty() && name != u"." && name != u".." &&
           name.find_first_of(std::u16string_view(u"\\/:\0", 4)) == std::u16string_view::npos;
}

// A stored "\"-separated relative path as a host path; false when any
// component could leave its parent.
bool ToRelativePath(std::u16string_view stored, fs::path* out) {
    for (;;) {
        const size_t cut = stored.find(u'\\');
        const std::u16string_view component = stored.substr(0, cut);
        if (!IsSafeComponent(component))
            return false;
        *out /= PathFromUtf8(Utf16ToUtf8(component));
        if (cut == std::u16string_view::npos)
            return true;
        stored.remove_prefix(cut + 1);
    }
}

std::string PlanFiles(const std::forward_list<PackageFile*>& files, const fs::path& folder, ExtractionPlan* plan) {
    for (const PackageFile* file : files) {
        if (!IsSafeComponent(file->Name))
            return "file name \"" + Utf16ToUtf8(file->Name) + "\" could leave its folder";
        plan->Files.push_back({folder / PathFromUtf8(Utf16ToUtf8(file->Name)), file});
    }
    return {};
}

std::string PlanFolders(const std::forward_list<PackageFolder>& folders, const fs::path& root, ExtractionPlan* plan) {
    for (const PackageFolder& folder : folders) {
        fs::path relative = root;
        if (!ToRelativePath(folder.Name, &relative))
            return "folder name \"" + Utf16ToUtf8(folder.Name) + "\" could leave the root folder";
        plan->Folders.push_back(relative);
        if (std::string error = PlanFiles(folder.Files, relative, plan); !error.empty())
            return error;
        if (std::string error = PlanFolders(folder.Folders, root, plan); !error.empty())
            return error;
    }
    return {};
}

std::string PlanTree(const PackageTree& tree, ExtractionPlan* plan) {
    if (!IsSafeComponent(tree.RootName))
        return "root name \"" + Utf16ToUtf8(tree.RootName) + "\" is not a plain folder name";
    const fs::path root = PathFromUtf8(Utf16ToUtf8(tree.RootName));
    plan->Folders.push_back(root);
    if (std::string error = PlanFiles(tree.RootFiles, root, plan); !error.empty())
        return error;
    return PlanFolders(tree.Folders, root, plan);
}

// True when `path`, with every link resolved, lies below `base` (canonical).
bool IsBelow(const fs::path& base, const fs::path& path) {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(path, error);
    if (error)
        return false;
    const fs::path relative = resolved.lexically_relative(base);
    return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

std::string MakeFolder(const fs::path& base, const fs::path& relative) {
    const fs::path target = base / relative;
    std::error_code error;
    fs::create_directories(target, error);
    if (error)
        return PathToUtf8(target) + ": cannot create folder: " + error.message();
    if (!IsBelow(base, target))
        return PathToUtf8(target) + ": resolves outside " + PathToUtf8(base) + "; nothing written there";
    return {};
}

std::string WritePlannedFile(const fs::path& base, const PlannedFile& planned) {
    const fs::path target = base / planned.Path;
    if (!IsBelow(base, target))
        return PathToUtf8(target) + ": resolves outside " + PathToUtf8(base) + "; nothing written there";
    std::string error;
    if (!WriteFileBytes(target, BytesOf(*planned.File), &error))
        return PathToUtf8(target) + ": " + error;
    return {};
}

}  // namespace

std::string ExtractPackageTree(const PackageTree& tree, const fs::path& dir) {
    ExtractionPlan plan;
    if (std::string error = PlanTree(tree, &plan); !error.empty())
        return error;
    std::error_code code;
    fs::create_directories(dir, code);
    const fs::path base = fs::canonical(dir, code);
    if (code)
        return PathToUtf8(dir) + ": cannot use as extraction folder: " + code.message();
    for (const fs::path& folder : plan.Folders) {
        if (std::string error = MakeFolder(base, folder); !error.empty())
            return error;
    }
    for (const PlannedFile& file : plan.Files) {
        if (std::string error = WritePlannedFile(base, file); !error.empty())
            return error;
    }
    return {};
}
