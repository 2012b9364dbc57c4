#include "ui/license_text.h"

#include <algorithm>

uint8_t LicenseIndexForLanguage(uint32_t langId) {
    switch (langId) {
        case 2052:
            return kLanguageChinese;
        case 1040:
            return kLanguageItalian;
        case 1031:
            return kLanguageGerman;
        case 1042:
            return kLanguageKorean;
        default:
            return kLanguageEnglish;
    }
}

namespace {

const LicenseEntry* FirstWithIndex(const InstallerState& state, uint8_t index) {
    for (const LicenseEntry& entry : state.LicenseList) {
        if (entry.LanguageIndex == index)
            return &entry;
    }
    return nullptr;
}

const LicenseEntry* ChooseEntry(const InstallerState& state, uint32_t langId) {
    if (const LicenseEntry* wanted = FirstWithIndex(state, LicenseIndexForLanguage(langId)))
        return wanted;
    if (const LicenseEntry* english = FirstWithIndex(state, kLanguageEnglish))
        return english;
    return state.LicenseList.empty() ? nullptr : &state.LicenseList.front();
}

// The file's units after its two-byte mark, little-endian; a buffer of N / 2
// units whose last one is the terminator leaves N / 2 - 1 of them.
std::u16string TextOfFile(const PackageFile& file) {
    const size_t size = file.Data ? file.Size : 0;
    if (size < 2)
        return {};
    const size_t units = size / 2 - 1;
    std::u16string text(units, u'\0');
    for (size_t i = 0; i < units; ++i) {
        const size_t at = 2 + 2 * i;
        text[i] = static_cast<char16_t>(file.Data[at] | (file.Data[at + 1] << 8));
    }
    return text;
}

}  // namespace

std::optional<std::u16string> SelectLicenseText(const InstallerState& state, uint32_t langId) {
    const LicenseEntry* entry = ChooseEntry(state, langId);
    if (!entry || !entry->File)
        return std::nullopt;
    return TextOfFile(*entry->File);
}
