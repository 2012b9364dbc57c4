#include "config/unattended_config.h"

#include <tinyxml.h>

#include <cctype>
#include <cstring>
#include <limits>

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
