// libFuzzer target for script.ini: the nesting count, the parse of the file's
// bytes and the rules applied to what was parsed. The count must never be
// below the depth of the tree the parser built (on a failed parse too), a
// document over the limit must stay unparsed, and after one application of the
// rules the document must be complete: a second one changes nothing and reads
// the same values. A broken invariant traps.

#include <tinyxml.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/unattended_config.h"

namespace {

constexpr char kDefaultPath[] = "C:\\Program Files";

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

// Depth of the deepest element of the tree, walked without recursion.
size_t ElementDepth(const TiXmlNode& root) {
    size_t deepest = 0;
    std::vector<std::pair<const TiXmlNode*, size_t>> pending = {{&root, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        for (const TiXmlElement* child = node->FirstChildElement(); child; child = child->NextSiblingElement()) {
            deepest = std::max(deepest, depth + 1);
            pending.emplace_back(child, depth + 1);
        }
    }
    return deepest;
}

bool SameValues(const UnattendedConfig& a, const UnattendedConfig& b) {
    return a.LangId == b.LangId && a.EndUserLicenseAgreed == b.EndUserLicenseAgreed && a.ShowPanel == b.ShowPanel &&
           a.Hid == b.Hid;
}

bool IsKnownLanguage(uint32_t id) {
    for (uint32_t known : {1033u, 2052u, 1040u, 1031u, 1042u})
        if (id == known)
            return true;
    return false;
}

void CheckRules(TiXmlDocument& document) {
    UnattendedConfig first;
    const UnattendedRulesOutcome applied = ApplyUnattendedRules(document, first, kDefaultPath);
    Require(IsKnownLanguage(first.LangId));
    UnattendedConfig second;
    const UnattendedRulesOutcome again = ApplyUnattendedRules(document, second, kDefaultPath);
    Require(!again.Changed && SameValues(first, second));
    Require(again.PathText == (applied.PathText ? applied.PathText : std::string(kDefaultPath)));
    TiXmlPrinter printer;  // what the write-back would print
    Require(document.Accept(&printer));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const size_t depth = UnattendedNestingDepth(bytes);
    TiXmlDocument document;
    const bool parsed = ParseUnattendedDocument(bytes, document);
    Require(ElementDepth(document) <= depth);
    if (depth > kMaxUnattendedNesting) {
        Require(!parsed && document.FirstChild() == nullptr);
        return 0;
    }
    if (parsed)
        CheckRules(document);
    return 0;
}
