#include "config/unattended_config.h"

#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr char kElementName[] = "Unattended";

struct LangName {
    const char* Name;
    uint32_t LangId;
};

// Compared exactly, letter case included, in this order.
constexpr LangName kLangNames[] = {
    {"English", 1033}, {"Chinese", 2052}, {"Italiano", 1040}, {"Deutsch", 1031}, {"Korean", 1042},
};

const char* YesNo(bool value) {
    return value ? "Yes" : "No";
}

const char* AgreeDisagree(bool value) {
    return value ? "Agree" : "Disagree";
}

// An unknown name leaves the identifier as it was (English).
void ReadLang(const char* value, UnattendedConfig& config) {
    for (const LangName& lang : kLangNames) {
        if (std::strcmp(value, lang.Name) == 0) {
            config.LangId = lang.LangId;
            return;
        }
    }
}

// Each handler reads its attribute when present and returns false, or sets
// the default and returns true when the document had to change.
bool CompleteLang(TiXmlElement& element, UnattendedConfig& config) {
    if (const char* value = element.Attribute("Lang")) {
        ReadLang(value, config);
        return false;
    }
    element.SetAttribute("Lang", "English");
    return true;
}

bool CompleteLicense(TiXmlElement& element, UnattendedConfig& config) {
    if (const char* value = element.Attribute("EndUserLicense")) {
        config.EndUserLicenseAgreed = std::strcmp(value, "Agree") == 0;
        return false;
    }
    element.SetAttribute("EndUserLicense", AgreeDisagree(config.EndUserLicenseAgreed));
    return true;
}

bool CompleteShowPanel(TiXmlElement& element, UnattendedConfig& config) {
    if (const char* value = element.Attribute("ShowPanel")) {
        config.ShowPanel = std::strcmp(value, "Yes") == 0;
        return false;
    }
    element.SetAttribute("ShowPanel", YesNo(config.ShowPanel));
    return true;
}

// A HID without a number is replaced in place by the current count, so the
// administrator sees the value that was used.
bool CompleteHid(TiXmlElement& element, UnattendedConfig& config) {
    if (const char* value = element.Attribute("HID")) {
        if (std::optional<int32_t> hid = ParseDecimalPrefix(value)) {
            config.Hid = *hid;
            return false;
        }
    }
    element.SetAttribute("HID", config.Hid);
    return true;
}

bool CompletePath(TiXmlElement& element, const std::string& defaultPathNarrow, UnattendedRulesOutcome& outcome) {
    if (const char* value = element.Attribute("Path")) {
        outcome.PathText = value;
        return false;
    }
    element.SetAttribute("Path", defaultPathNarrow.c_str());
    return true;
}

void AppendDefaultElement(TiXmlDocument& document,
                          const UnattendedConfig& config,
                          const std::string& defaultPathNarrow) {
    TiXmlElement element(kElementName);
    element.SetAttribute("Lang", "English");
    element.SetAttribute("EndUserLicense", AgreeDisagree(config.EndUserLicenseAgreed));
    element.SetAttribute("ShowPanel", YesNo(config.ShowPanel));
    element.SetAttribute("HID", config.Hid);
    element.SetAttribute("Path", defaultPathNarrow.c_str());
    document.InsertEndChild(element);
}

// The C locale's white space, as "%d" skips it.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// ---------------------------------------------------------------------------
// Nesting depth

// TinyXML's tokenizer helpers are protected members of its base class; this
// class only names them and is never instantiated.
class XmlSteps : public TiXmlBase {
  public:
    using TiXmlBase::IsAlpha;
    using TiXmlBase::ReadName;
    using TiXmlBase::SkipWhiteSpace;
    using TiXmlBase::StringEqual;
};

enum class NodeKind { Declaration, Comment, CData, Unknown, Element };

// How TinyXML classifies the node that starts at the '<' under `p`.
NodeKind KindAt(const char* p, TiXmlEncoding encoding) {
    if (XmlSteps::StringEqual(p, "<?xml", true, encoding))
        return NodeKind::Declaration;
    if (XmlSteps::StringEqual(p, "<!--", false, encoding))
        return NodeKind::Comment;
    if (XmlSteps::StringEqual(p, "<![CDATA[", false, encoding))
        return NodeKind::CData;
    if (XmlSteps::StringEqual(p, "<!", false, encoding))
        return NodeKind::Unknown;
    if (XmlSteps::IsAlpha(static_cast<unsigned char>(p[1]), encoding) || p[1] == '_')
        return NodeKind::Element;
    return NodeKind::Unknown;
}

// Reads a node that holds no elements with TinyXML's own code, so its end is
// found exactly where the parser finds it. The position after it, or null on
// an error. `declared` receives a declaration's encoding.
const char* SkipLeaf(NodeKind kind, const char* p, TiXmlEncoding encoding, std::string* declared) {
    switch (kind) {
        case NodeKind::Declaration: {
            TiXmlDeclaration declaration;
            p = declaration.Parse(p, nullptr, encoding);
            *declared = declaration.Encoding();
            return p;
        }
        case NodeKind::Comment:
            return TiXmlComment().Parse(p, nullptr, encoding);
        case NodeKind::CData: {
            TiXmlText text("");
            text.SetCDATA(true);
            return text.Parse(p, nullptr, encoding);
        }
        default:
            return TiXmlUnknown().Parse(p, nullptr, encoding);
    }
}

// The encoding the parser takes from the document's first declaration.
TiXmlEncoding EncodingNamed(const std::string& name) {
    if (name.empty() || XmlSteps::StringEqual(name.c_str(), "UTF-8", true, TIXML_ENCODING_UNKNOWN) ||
        XmlSteps::StringEqual(name.c_str(), "UTF8", true, TIXML_ENCODING_UNKNOWN))
        return TIXML_ENCODING_UTF8;
    return TIXML_ENCODING_LEGACY;
}

// Reads an element's start tag at the '<' under `p` as TiXmlElement::Parse
// does. The position after it, or null on an error; `opened` tells whether it
// ended with ">" (content and the end tag `endTag` follow) rather than "/>".
// A repeated attribute, which ends the parser, is read over: walking on can
// only find more depth, never less.
const char* ReadStartTag(const char* p, TiXmlEncoding encoding, std::string* endTag, bool* opened) {
    std::string name;
    p = XmlSteps::ReadName(XmlSteps::SkipWhiteSpace(p + 1, encoding), &name, encoding);
    if (!p || !*p)
        return nullptr;
    *endTag = "</" + name;
    for (;;) {
        p = XmlSteps::SkipWhiteSpace(p, encoding);
        if (!p || !*p)
            return nullptr;
        if (*p == '/' || *p == '>') {
            *opened = *p == '>';
            if (*opened)
                return p + 1;
            return p[1] == '>' ? p + 2 : nullptr;
        }
        TiXmlAttribute attribute;
        p = attribute.Parse(p, nullptr, encoding);
        if (!p || !*p)
            return nullptr;
    }
}

// The deepest element of `text` as TinyXML's parser reaches it, counted in a
// loop: the parser's own recursion (and its tree's, when the document is
// printed or freed) is as deep as this count. The walk follows the parser's
// control flow and reads every leaf with the parser's own code, including the
// encoding a byte-order mark or the first declaration selects (a UTF-8 lead
// byte swallows the bytes after it). It stops once the count exceeds `limit`,
// and where the parser stops on an error.
size_t ElementNestingDepth(const char* p, size_t limit) {
    TiXmlEncoding encoding = TIXML_ENCODING_UNKNOWN;
    const auto* bytes = reinterpret_cast<const unsigned char*>(p);
    if (bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        encoding = TIXML_ENCODING_UTF8;
    std::vector<std::string> open;  // end tags of the elements whose content is read
    size_t deepest = 0;
    p = XmlSteps::SkipWhiteSpace(p, encoding);
    while (p && *p && deepest <= limit) {
        if (*p != '<') {
            if (open.empty())
                return deepest;  // text at the document's level ends the parse
            p = TiXmlText("").Parse(p, nullptr, encoding);
        } else if (!open.empty() && XmlSteps::StringEqual(p, "</", false, encoding)) {
            if (!XmlSteps::StringEqual(p, open.back().c_str(), false, encoding))
                return deepest;
            p = XmlSteps::SkipWhiteSpace(p + open.back().size(), encoding);
            if (!p || *p != '>')
                return deepest;
            ++p;
            open.pop_back();
        } else if (const NodeKind kind = KindAt(p, encoding); kind == NodeKind::Element) {
            deepest = std::max(deepest, open.size() + 1);
            std::string endTag;
            bool opened = false;
            p = ReadStartTag(p, encoding, &endTag, &opened);
            if (p && opened)
                open.push_back(std::move(endTag));
        } else {
            std::string declared;
            p = SkipLeaf(kind, p, encoding, &declared);
            if (kind == NodeKind::Declaration && open.empty() && encoding == TIXML_ENCODING_UNKNOWN)
                encoding = EncodingNamed(declared);
        }
        p = XmlSteps::SkipWhiteSpace(p, encoding);
    }
    return deepest;
}

// The file's bytes as TinyXML's LoadFile hands them to the parser: up to the
// first NUL, with CR LF and lone CR turned into LF. Four NULs end the text: a
// UTF-8 lead byte at its very end makes the parser step up to three bytes
// past the first one.
std::string ParserText(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    std::string text;
    text.reserve(bytes.size() + 4);
    for (size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] != '\r') {
            text += bytes[at];
            continue;
        }
        text += '\n';
        if (at + 1 < bytes.size() && bytes[at + 1] == '\n')
            ++at;
    }
    text.append(4, '\0');
    return text;
}

}  // namespace

std::optional<int32_t> ParseDecimalPrefix(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        ++at;
    if (at >= text.size() || !IsDigit(text[at]))
        return std::nullopt;
    // Accumulated as a magnitude that stops growing past the 32-bit range, so
    // any number of digits is read without overflow.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        if (magnitude <= kLimit)
            magnitude = magnitude * 10 + (text[at] - '0');
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

UnattendedRulesOutcome ApplyUnattendedRules(TiXmlDocument& document,
                                            UnattendedConfig& config,
                                            const std::string& defaultPathNarrow) {
    UnattendedRulesOutcome outcome;
    // Only a top-level element counts: one nested elsewhere is another
    // program's business and is left alone.
    TiXmlElement* element = document.FirstChildElement(kElementName);
    if (!element) {
        AppendDefaultElement(document, config, defaultPathNarrow);
        outcome.Changed = true;
        return outcome;
    }
    // Every handler runs (no short-circuit): each may add its attribute.
    outcome.Changed |= CompleteLang(*element, config);
    outcome.Changed |= CompleteLicense(*element, config);
    outcome.Changed |= CompleteShowPanel(*element, config);
    outcome.Changed |= CompleteHid(*element, config);
    outcome.Changed |= CompletePath(*element, defaultPathNarrow, outcome);
    return outcome;
}

size_t UnattendedNestingDepth(std::string_view bytes) {
    return ElementNestingDepth(ParserText(bytes).c_str(), kMaxUnattendedNesting);
}

bool ParseUnattendedDocument(std::string_view bytes, TiXmlDocument& document) {
    document.Clear();
    const std::string text = ParserText(bytes);
    // The parser recurses once per level and has no limit of its own; a deep
    // document would overflow the stack before it could fail.
    if (ElementNestingDepth(text.c_str(), kMaxUnattendedNesting) > kMaxUnattendedNesting)
        return false;
    document.Parse(text.c_str());
    return !document.Error();
}
