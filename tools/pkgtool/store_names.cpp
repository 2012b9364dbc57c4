#include "tools/pkgtool/store_names.h"

#include <array>

#include "platform/text.h"
#include "records/package.h"

namespace {

constexpr std::u16string_view kForbidden = u"\\/:*?\"<>|";

char16_t AsciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices on Windows, also with
// any extension ("nul.txt").
bool IsReservedDeviceName(std::u16string_view name) {
    std::u16string stem;
    for (char16_t c : name.substr(0, name.find(u'.')))
        stem += AsciiUpper(c);
    static const std::array<std::u16string_view, 4> kFixed = {u"CON", u"PRN", u"AUX", u"NUL"};
    for (auto fixed : kFixed) {
        if (stem == fixed)
            return true;
    }
    const bool numbered = stem.size() == 4 && (stem.compare(0, 3, u"COM") == 0 || stem.compare(0, 3, u"LPT") == 0);
    return numbered && stem[3] >= u'1' && stem[3] <= u'9';
}

std::string CharacterReason(std::u16string_view name) {
    for (char16_t c : name) {
        if (c < 0x20)
            return "contains a control character";
        if (kForbidden.find(c) != std::u16string_view::npos)
            return "contains \"" + Utf16ToUtf8(std::u16string(1, c)) + "\"";
    }
    return {};
}

}  // namespace

std::string CheckTextLength(std::u16string_view text) {
    if (text.size() <= kMaxTextUnits)
        return {};
    return "is " + std::to_string(text.size()) + " UTF-16 units long; the limit is " + std::to_string(kMaxTextUnits);
}

std::string CheckPlainName(std::u16string_view name) {
    if (name.empty())
        return "is empty";
    if (std::string reason = CheckTextLength(name); !reason.empty())
        return reason;
    if (name == u"." || name == u"..")
        return "is \".\" or \"..\"";
    if (std::string reason = CharacterReason(name); !reason.empty())
        return reason;
    if (name.back() == u'.' || name.back() == u' ')
        return "ends in a dot or a blank, which Windows drops";
    if (IsReservedDeviceName(name))
        return "is a reserved device name on Windows";
    return {};
}
