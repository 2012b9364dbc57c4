#include "platform/pending_renames.h"

#include "platform/case_fold.h"

namespace {

constexpr std::u16string_view kSourcePrefix = u"\\??\\";
constexpr std::u16string_view kCopyPrefix = u"~tv";
constexpr std::u16string_view kCopySuffix = u".tmp";

bool IsSourceOf(std::u16string_view source, std::u16string_view path) {
    if (source.substr(0, kSourcePrefix.size()) == kSourcePrefix)
        source.remove_prefix(kSourcePrefix.size());
    return EqualIgnoringCase(source, path);
}

bool IsHexDigit(char16_t unit) {
    return (unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'F') || (unit >= u'a' && unit <= u'f');
}

}  // namespace

std::vector<std::u16string> SplitMultiString(std::u16string_view units) {
    // The list's own end is one NUL after the last text's NUL; a deletion's
    // empty target before it is a text like any other.
    if (!units.empty() && units.back() == u'\0')
        units.remove_suffix(1);
    std::vector<std::u16string> texts;
    while (!units.empty()) {
        const size_t end = units.find(u'\0');
        texts.emplace_back(units.substr(0, end));
        if (end == std::u16string_view::npos)
            break;
        units.remove_prefix(end + 1);
    }
    return texts;
}

std::u16string JoinMultiString(const std::vector<std::u16string>& texts) {
    std::u16string units;
    for (const std::u16string& text : texts)
        units.append(text).push_back(u'\0');
    units.push_back(u'\0');
    return units;
}

size_t RemoveRenamesOf(std::vector<std::u16string>& pairs, std::u16string_view path) {
    std::vector<std::u16string> kept;
    size_t removed = 0;
    for (size_t i = 0; i < pairs.size(); i += 2) {
        if (i + 1 < pairs.size() && IsSourceOf(pairs[i], path)) {
            ++removed;
            continue;
        }
        kept.push_back(std::move(pairs[i]));
        if (i + 1 < pairs.size())
            kept.push_back(std::move(pairs[i + 1]));
    }
    pairs = std::move(kept);
    return removed;
}

std::optional<size_t> CancelRenamesOf(const RenameListAccess& list, std::u16string_view path) {
    constexpr int kAttempts = 3;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::optional<std::u16string> units = list.Read();
        if (!units)
            return std::nullopt;
        std::vector<std::u16string> pairs = SplitMultiString(*units);
        const size_t removed = RemoveRenamesOf(pairs, path);
        if (removed == 0)
            return 0;
        // Another installer may have added its entries since the first read;
        // writing our copy then would drop them.
        if (list.Read() != units)
            continue;
        if (!list.Write(pairs.empty() ? std::u16string() : JoinMultiString(pairs)))
            return std::nullopt;
        return removed;
    }
    return std::nullopt;
}

bool HasRenameOf(const std::vector<std::u16string>& pairs, std::u16string_view path) {
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        if (IsSourceOf(pairs[i], path))
            return true;
    }
    return false;
}

std::u16string ReplacementCopyName(uint16_t unique) {
    constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string name(kCopyPrefix);
    for (int shift = 12; shift >= 0; shift -= 4)
        name.push_back(kHex[(unique >> shift) & 0xF]);
    return name.append(kCopySuffix);
}

bool IsReplacementCopyName(std::u16string_view name) {
    if (name.size() != kCopyPrefix.size() + 4 + kCopySuffix.size() ||
        !EqualIgnoringCase(name.substr(0, kCopyPrefix.size()), kCopyPrefix) ||
        !EqualIgnoringCase(name.substr(name.size() - kCopySuffix.size()), kCopySuffix))
        return false;
    for (char16_t unit : name.substr(kCopyPrefix.size(), 4)) {
        if (!IsHexDigit(unit))
            return false;
    }
    return true;
}
