#include "config/language_choice.h"

namespace {

uint32_t LanguageOf(LanguageChoice choice) {
    return choice == LanguageChoice::Chinese ? kLangChinese : kLangEnglish;
}

bool& CheckedFlag(LanguageChoiceState& state, LanguageChoice choice) {
    return choice == LanguageChoice::Chinese ? state.ChineseChecked : state.EnglishChecked;
}

void SetLanguage(LanguageChoice choice, LanguageChoiceState& state, LanguageTable& table, InstallOptions& options) {
    state.Current = choice;
    state.LangId = LanguageOf(choice);
    options.LangId = state.LangId;
    FillLanguageTable(state.LangId, table);
}

}  // namespace

std::u16string_view LanguageChoiceLabel(LanguageChoice choice) {
    switch (choice) {
        case LanguageChoice::Chinese:
            return u"\u7B80\u4F53\u4E2D\u6587";  // 简体中文
        case LanguageChoice::English:
            return u"English";
        default:
            return u"";
    }
}

LanguageRedraw ApplyLanguage(uint32_t langId,
                             LanguageChoiceState& state,
                             LanguageTable& table,
                             InstallOptions& options) {
    // Only Simplified Chinese gets the Chinese window: the other rows of the
    // table lack the page texts (slots 24 to 27) the window draws.
    const LanguageChoice taken = langId == kLangChinese ? LanguageChoice::Chinese : LanguageChoice::English;
    CheckedFlag(state, taken) = true;
    SetLanguage(taken, state, table, options);
    return {{taken}, false};
}

LanguageRedraw OnLanguageChoice(LanguageChoice clicked,
                                LanguageChoiceState& state,
                                LanguageTable& table,
                                InstallOptions& options) {
    if (clicked == LanguageChoice::None || clicked == state.Current)
        return {};
    const LanguageChoice previous = state.Current;
    CheckedFlag(state, clicked) = true;
    LanguageRedraw redraw{{clicked}, true};
    if (previous != LanguageChoice::None) {
        CheckedFlag(state, previous) = false;
        redraw.Choices.push_back(previous);
    }
    SetLanguage(clicked, state, table, options);
    return redraw;
}
