#include "tools/pkgtool/script_words.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 14> kCommandKeywords = {
    "company", "main-app",       "uninstaller", "programs-shortcut", "desktop-menu", "system-file", "desktop-shortcut",
    "service", "driver-batches", "license",     "run-entry",         "launch",       "aux-app",     "product",
};

constexpr std::array<std::string_view, 4> kBatchKeywords = {"x86", "x64", "uninstall-x86", "uninstall-x64"};

constexpr std::array<std::string_view, 5> kLanguageKeywords = {"chinese", "english", "italian", "german", "korean"};

template <size_t N>
std::string_view WordAt(const std::array<std::string_view, N>& words, uint8_t index) {
    return index < N ? words[index] : std::string_view();
}

template <size_t N>
std::optional<uint8_t> IndexOf(const std::array<std::string_view, N>& words, std::string_view word) {
    for (size_t i = 0; i < N; ++i) {
        if (words[i] == word)
            return static_cast<uint8_t>(i);
    }
    return std::nullopt;
}

int DigitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

}  // namespace

std::string_view CommandKeyword(uint8_t code) {
    return WordAt(kCommandKeywords, code);
}

std::optional<uint8_t> CommandCodeOf(std::string_view keyword) {
    return IndexOf(kCommandKeywords, keyword);
}

std::string_view BatchKeyword(uint8_t index) {
    return WordAt(kBatchKeywords, index);
}

std::optional<uint8_t> BatchIndexOf(std::string_view keyword) {
    return IndexOf(kBatchKeywords, keyword);
}

std::string_view LanguageKeyword(uint8_t language) {
    return WordAt(kLanguageKeywords, language);
}

std::optional<uint8_t> LanguageIndexOf(std::string_view keyword) {
    return IndexOf(kLanguageKeywords, keyword);
}

std::optional<uint8_t> ParseByte(std::string_view word) {
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        base = 16;
        word.remove_prefix(2);
    }
    if (word.empty() || word.size() > 3)
        return std::nullopt;
    int value = 0;
    for (char c : word) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
    }
    if (value > 255)
        return std::nullopt;
    return static_cast<uint8_t>(value);
}

std::string QuoteArgument(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}
