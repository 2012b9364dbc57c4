#include "platform/base_folder_text.h"

#include "platform/case_fold.h"
#include "platform/path_names.h"

namespace {

bool IsAsciiLetter(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
}

// "X:\" or "X:/" and whatever follows.
bool StartsWithDriveRoot(std::u16string_view text) {
    return text.size() >= 3 && IsAsciiLetter(text[0]) && text[1] == u':' && (text[2] == u'\\' || text[2] == u'/');
}

// How many leading units of `path` are the Program Files folder's, ending at
// a component's end; 0 when `path` does not lie in it.
size_t ProgramFilesPrefix(std::u16string_view path, std::u16string_view programFiles) {
    if (!programFiles.empty() && programFiles.back() == u'\\')
        programFiles.remove_suffix(1);
    if (programFiles.size() < 3 || path.size() < programFiles.size() ||
        !EqualIgnoringCase(path.substr(0, programFiles.size()), programFiles))
        return 0;
    if (path.size() > programFiles.size() && path[programFiles.size()] != u'\\')
        return 0;
    return programFiles.size();
}

bool IsAcceptedComponent(std::u16string_view name, bool inProgramFiles) {
    if (!IsPlainName(name))
        return false;
    for (char16_t unit : name) {
        const bool parenthesis = unit == u'(' || unit == u')';
        if (kCmdSpecialUnits.find(unit) != std::u16string_view::npos && !(parenthesis && inProgramFiles))
            return false;
    }
    return true;
}

// Every component after "X:\" (none for a drive root).
bool HasOnlyAcceptedComponents(std::u16string_view path, size_t programFilesEnd) {
    size_t start = 3;
    if (start == path.size())
        return true;
    while (start <= path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos)
            end = path.size();
        if (!IsAcceptedComponent(path.substr(start, end - start), end <= programFilesEnd))
            return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

std::optional<std::u16string> CanonicalBaseFolder(std::u16string_view text, const FolderTextFacts& facts) {
    std::u16string_view full = facts.FullPath;
    if (full.size() > 3 && full.back() == u'\\')
        full.remove_suffix(1);  // "C:\Apps\" names "C:\Apps"
    if (!StartsWithDriveRoot(text) || !StartsWithDriveRoot(full) || full[2] != u'\\' || !facts.OnLocalFixedDrive)
        return std::nullopt;
    if (!HasOnlyAcceptedComponents(full, ProgramFilesPrefix(full, facts.ProgramFiles)))
        return std::nullopt;
    return std::u16string(full);
}

bool NeedsProgramFilesFact(std::u16string_view path) {
    return path.find_first_of(u"()") != std::u16string_view::npos;
}
