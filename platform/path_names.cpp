#include "platform/path_names.h"

#include <algorithm>

namespace {

// Only A-Z fold: the comparisons are defined on ASCII letters, and every other
// unit (including non-ASCII letters) must match exactly.
char16_t FoldAscii(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + 32) : unit;
}

bool EqualFolded(std::u16string_view text, std::u16string_view lowerPattern) {
    return text.size() == lowerPattern.size() && std::equal(text.begin(), text.end(), lowerPattern.begin(),
                                                            [](char16_t a, char16_t b) { return FoldAscii(a) == b; });
}

// Names Windows opens as a device in every folder, whatever follows them after
// a full stop ("NUL.txt" is NUL) and with trailing blanks ignored.
bool IsDeviceName(std::u16string_view name) {
    std::u16string_view stem = name.substr(0, name.find(u'.'));
    while (!stem.empty() && stem.back() == u' ')
        stem.remove_suffix(1);
    for (std::u16string_view device : {u"con", u"prn", u"aux", u"nul", u"conin$", u"conout$"}) {
        if (EqualFolded(stem, device))
            return true;
    }
    if (stem.size() != 4 || !(EqualFolded(stem.substr(0, 3), u"com") || EqualFolded(stem.substr(0, 3), u"lpt")))
        return false;
    // Windows reserves port 0 and the superscript digits one to three too.
    const char16_t digit = stem[3];
    return (digit >= u'0' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' || digit == u'\u00B3';
}

// Wildcards, redirections and quotes have no place in a file name, and cmd
// expands a percent sign even inside quotes when a path reaches cmd /c.
bool HasForbiddenUnit(std::u16string_view name) {
    for (char16_t unit : name) {
        if (unit < 0x20 || std::u16string_view(u"\\/:*?<>|\"%").find(unit) != std::u16string_view::npos)
            return true;
    }
    return false;
}

std::u16string_view AfterLastBackslash(std::u16string_view path) {
    size_t slash = path.rfind(u'\\');
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<std::u16string> JoinPath(std::u16string_view a, std::u16string_view b) {
    if (a.size() + 1 + b.size() > kMaxPathUnits)
        return std::nullopt;
    std::u16string joined(a);
    joined += u'\\';
    joined += b;
    return joined;
}

std::optional<std::u16string> JoinPath(std::u16string_view a, std::u16string_view b, std::u16string_view c) {
    if (a.size() + 1 + b.size() + 1 + c.size() > kMaxPathUnits)
        return std::nullopt;
    std::u16string joined(a);
    joined += u'\\';
    joined += b;
    joined += u'\\';
    joined += c;
    return joined;
}

std::u16string FileNameOfPath(std::u16string_view path) {
    return std::u16string(AfterLastBackslash(path));
}

std::u16string BaseNameOfPath(std::u16string_view path) {
    std::u16string_view name = AfterLastBackslash(path);
    return std::u16string(name.substr(0, name.find(u'.')));
}

void CutLastPathComponent(std::u16string& path) {
    size_t slash = path.rfind(u'\\');
    if (slash != std::u16string::npos && slash >= 1)
        path.resize(slash);
}

bool HasExeExtension(std::u16string_view path) {
    constexpr std::u16string_view kExe = u".exe";
    return path.size() >= kExe.size() && EqualFolded(path.substr(path.size() - kExe.size()), kExe);
}

bool ContainsHID(std::u16string_view name) {
    constexpr std::u16string_view kHid = u"hid";
    for (size_t i = 0; i + kHid.size() <= name.size(); ++i) {
        if (EqualFolded(name.substr(i, kHid.size()), kHid))
            return true;
    }
    return false;
}

bool IsPlainName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..")
        return false;
    if (HasForbiddenUnit(name) || IsDeviceName(name))
        return false;
    return name.back() != u'.' && name.back() != u' ';
}
