// Which language the window runs in: the decision at start-up (ApplyLanguage)
// and the user's switch between the two language choice controls
// (OnLanguageChoice). Only the decisions live here; the window draws what the
// returned LanguageRedraw names.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "config/language_table.h"
#include "records/installer_state.h"

// The window's two language choice controls, in the order they are shown.
enum class LanguageChoice : uint8_t {
    None,  // no choice taken yet (before ApplyLanguage)
    Chinese,
    English,
};

// The controls' fixed labels (they are not part of the language table).
std::u16string_view LanguageChoiceLabel(LanguageChoice choice);

// The dialog's language state: each control's checked flag, the current
// choice and the dialog's own language value (2052 or 1033 once applied).
struct LanguageChoiceState {
    bool ChineseChecked = false;
    bool EnglishChecked = false;
    LanguageChoice Current = LanguageChoice::None;
    uint32_t LangId = 0;
};

// What the window must draw after a decision, in this order: the listed
// choice controls into the off-screen image, then, when WholeWindow is set,
// the whole page into the image and the image to the window.
struct LanguageRedraw {
    std::vector<LanguageChoice> Choices;
    bool WholeWindow = false;

    bool operator==(const LanguageRedraw& other) const {
        return Choices == other.Choices && WholeWindow == other.WholeWindow;
    }
};

// Start-up decision, from the configuration's language or the user's default
// UI language. 2052 takes the Chinese choice, every other identifier
// (German, Italian, Korean and Russian included) the English one with 1033.
// Checks the taken control and makes it current (the other control's flag is
// left as it is), stores the language in `state` and in `options.LangId`, and
// fills `table` for it. The taken control must be redrawn.
LanguageRedraw ApplyLanguage(uint32_t langId,
                             LanguageChoiceState& state,
                             LanguageTable& table,
                             InstallOptions& options);

// The user clicked `clicked`. Clicking the current choice (or None) changes
// nothing and needs no redraw. Otherwise the clicked control becomes checked
// and current, the previous one is unchecked, the language (2052 or 1033) is
// stored in `state` and `options.LangId`, and `table` is refilled; the clicked
// control, the previous control and then the whole window must be redrawn.
LanguageRedraw OnLanguageChoice(LanguageChoice clicked,
                                LanguageChoiceState& state,
                                LanguageTable& table,
                                InstallOptions& options);
