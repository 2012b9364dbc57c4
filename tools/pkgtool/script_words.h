// The words of the manifest language, shared by the manifest parser and the
// listing (which prints every command as a manifest line).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Keyword of a command code 0..13 ("company", "driver-batches"...); empty
// for any other code.
std::string_view CommandKeyword(uint8_t code);

// Code of a command keyword; nullopt for an unknown word.
std::optional<uint8_t> CommandCodeOf(std::string_view keyword);

// Slot word of a command-8 index 0..3 ("x86", "x64", "uninstall-x86",
// "uninstall-x64"); empty for any other index.
std::string_view BatchKeyword(uint8_t index);
std::optional<uint8_t> BatchIndexOf(std::string_view keyword);

// Language word of a licence index 0..4 ("chinese"... "korean"); empty for
// other values, which the manifest writes as numbers.
std::string_view LanguageKeyword(uint8_t language);
std::optional<uint8_t> LanguageIndexOf(std::string_view keyword);

// A byte written in decimal or 0x-hexadecimal ("126", "0x7E"); nullopt when
// the word is not a number or the value is above 255.
std::optional<uint8_t> ParseByte(std::string_view word);

// The argument as the manifest writes it: always in double quotes, each
// quote inside doubled. Input and output are UTF-8.
std::string QuoteArgument(std::string_view text);
