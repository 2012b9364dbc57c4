#include "platform/text.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the sequence a lead byte announces; 0 for a byte that cannot
// start one.
size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Decodes one code point at text[*pos] and advances past it; a malformed
// sequence yields U+FFFD and advances past its longest valid prefix (at
// least one byte), so decoding always makes progress.
char32_t DecodeUtf8(std::string_view text, size_t* pos) {
    const auto lead = static_cast<unsigned char>(text[*pos]);
    const size_t length = SequenceLength(lead);
    ++*pos;
    if (length == 1)
        return lead;
    if (length == 0)
        return kReplacement;
    char32_t value = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if (*pos >= text.size() || !IsContinuation(static_cast<unsigned char>(text[*pos])))
            return kReplacement;
        value = (value << 6) | (static_cast<unsigned char>(text[*pos]) & 0x3F);
        ++*pos;
    }
    const char32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return kReplacement;
    return value;
}

void AppendUtf16(std::u16string& out, char32_t value) {
    if (value < 0x10000) {
        out.push_back(static_cast<char16_t>(value));
        return;
    }
    value -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
}

// Decodes one code point at text[*pos], joining a surrogate pair, and
// advances past it.
char32_t DecodeUtf16(std::u16string_view text, size_t* pos) {
    const char16_t unit = text[(*pos)++];
    if (unit < 0xD800 || unit > 0xDFFF)
        return unit;
    if (unit >= 0xDC00 || *pos >= text.size())
        return kReplacement;
    const char16_t low = text[*pos];
    if (low < 0xDC00 || low > 0xDFFF)
        return kReplacement;
    ++*pos;
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00);
}

void AppendUtf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (value >> 6)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (value >> 12)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (value >> 18)));
        out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();)
        AppendUtf16(out, DecodeUtf8(text, &pos));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();)
        AppendUtf8(out, DecodeUtf16(text, &pos));
    return out;
}
