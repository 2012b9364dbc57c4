// Which of the package's licence texts the user gets to read, and its text.
// Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "records/installer_state.h"

// The LanguageIndex a language identifier asks for: 2052 Chinese, 1040
// Italian, 1031 German, 1042 Korean, every other value English.
uint8_t LicenseIndexForLanguage(uint32_t langId);

// The licence text for `langId`: the first entry of state.LicenseList (in list
// order) with the wanted LanguageIndex, else the first English entry, else
// the first entry. Its file (N bytes, UTF-16LE after a two-byte byte-order
// mark) gives N / 2 - 1 units: the first two bytes are dropped unread and an
// odd last byte is ignored. Embedded zero units are kept. A file shorter than
// two bytes gives an empty text. Returns std::nullopt when the list is empty.
std::optional<std::u16string> SelectLicenseText(const InstallerState& state, uint32_t langId);
