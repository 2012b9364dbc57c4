// The per-language texts of the main window and of its error message boxes:
// 27 numbered slots holding the texts of one language. Six languages are
// known; the window itself only ever runs in Chinese (2052) or English (1033).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Slot numbers, 1 to 27. The comment names what the window does with the slot.
enum class LanguageSlot : uint8_t {
    SelectLanguageLabel = 1,    // not shown
    LicenseTitle,               // licence link text on the page
    InstallPathLabel,           // not shown
    BrowseLabel,                // the browse button's name for screen readers
    AgreeLabel,                 // not shown
    DisagreeLabel,              // not shown
    StatusPreparing,            // not shown
    StatusComplete,             // status line of the Completed report
    StatusCancelled,            // status line of the RolledBack report
    StatusCopyingFile,          // status line of the CopyingFile report
    StatusDeletingFile,         // status line of the DeletingFile report
    StatusInstallingDrivers,    // status line of the InstallingDrivers report
    StatusUninstallingDriver,   // status line of the UninstallingDriver report
    StatusInstallingService,    // status line of the InstallingService report
    StatusUninstallingService,  // status line of the RemovingService report
    ErrorCreatingFiles,         // caption of the FileCreateFailed message box
    ErrorInstallingDrivers,     // not shown
    ErrorInstallingService,     // caption of the ServiceCreateFailed message box
    StatusConfiguringService,   // status line of the StartingService report
    StatusStoppingService,      // status line of the StoppingService report
    CancelTitle,                // not shown
    CancelQuestion,             // not shown
    StatusPreviousVersion,      // status line of the PreviousVersionFound report
    SelectLanguagePrompt,       // heading of the two language choices
    SelectFolderPrompt,         // heading of the installation path box
    LicenseNotice,              // sentence drawn before the licence link
    InstallButtonLabel,         // caption of the Install button
};

inline constexpr size_t kLanguageSlotCount = 27;

// Language identifiers (Windows LANGIDs) that have a row of their own; every
// other identifier gets the English row.
inline constexpr uint32_t kLangEnglish = 1033;
inline constexpr uint32_t kLangChinese = 2052;
inline constexpr uint32_t kLangGerman = 1031;
inline constexpr uint32_t kLangItalian = 1040;
inline constexpr uint32_t kLangKorean = 1042;
inline constexpr uint32_t kLangRussian = 1049;

// The language a run works in, from the one asked for (script.ini's Lang, or
// the user's default UI language): 2052 stays, every other identifier becomes
// 1033. The window, the product key and the uninstaller all use this code.
inline constexpr uint32_t ProductLanguageFor(uint32_t requested) {
    return requested == kLangChinese ? kLangChinese : kLangEnglish;
}

// Each slot is either empty (no text) or holds its own copy of its text.
// A default-constructed table has every slot empty.
struct LanguageTable {
    std::array<std::optional<std::u16string>, kLanguageSlotCount> Slots;  // slot N at index N - 1
};

// The slot's text; std::nullopt when the slot is empty.
const std::optional<std::u16string>& SlotText(const LanguageTable& table, LanguageSlot slot);

// Empties every slot, then fills the table with the row of `langId`: German,
// Italian, Korean, Russian and Chinese by their identifiers, English for every
// other value. Slot 1 is the English "Select Language:" in every row; slots
// 24 to 27 are filled for Chinese and English only and stay empty otherwise.
// Cannot fail.
void FillLanguageTable(uint32_t langId, LanguageTable& table);

// The sentence a run shows (and logs, in English) when the package inside the
// installer fails its integrity check: Chinese for 2052, English for every
// other identifier, as the window's own language is chosen.
std::u16string_view DamagedInstallerText(uint32_t langId);
