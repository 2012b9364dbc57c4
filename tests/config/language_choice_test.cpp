#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/language_choice.h"

namespace {

const std::u16string kChineseInstall = u"\u5B89\u88C5";  // 安装

class LanguageChoiceTest : public ::testing::Test {
  protected:
    std::optional<std::u16string> Slot(LanguageSlot slot) const { return SlotText(table_, slot); }

    LanguageChoiceState state_;
    LanguageTable table_;
    InstallOptions options_;
};

// 2052 takes the Chinese choice, labelled 简体中文, and fills the Chinese row.
TEST_F(LanguageChoiceTest, ApplyChineseChecksChineseChoice) {
    LanguageRedraw redraw = ApplyLanguage(kLangChinese, state_, table_, options_);
    EXPECT_EQ(LanguageChoiceLabel(state_.Current), u"\u7B80\u4F53\u4E2D\u6587");
    EXPECT_TRUE(state_.ChineseChecked);
    EXPECT_FALSE(state_.EnglishChecked);
    EXPECT_EQ(state_.LangId, kLangChinese);
    EXPECT_EQ(options_.LangId, kLangChinese);
    EXPECT_EQ(Slot(LanguageSlot::InstallButtonLabel), kChineseInstall);
    EXPECT_EQ(redraw, (LanguageRedraw{{LanguageChoice::Chinese}, false}));
}

// Every other identifier, including languages the table knows and other
// Chinese variants, runs the window in English with 1033 handed on.
TEST_F(LanguageChoiceTest, ApplyAnyOtherLanguageGivesEnglish) {
    for (uint32_t langId : {1031u, 1040u, 1042u, 1049u, 1028u, 3076u, 1033u, 0u}) {
        SCOPED_TRACE(langId);
        state_ = {};
        options_ = {};
        LanguageRedraw redraw = ApplyLanguage(langId, state_, table_, options_);
        EXPECT_EQ(state_.Current, LanguageChoice::English);
        EXPECT_TRUE(state_.EnglishChecked);
        EXPECT_FALSE(state_.ChineseChecked);
        EXPECT_EQ(state_.LangId, kLangEnglish);
        EXPECT_EQ(options_.LangId, kLangEnglish);
        EXPECT_EQ(Slot(LanguageSlot::LicenseTitle), u"License Agreement");
        EXPECT_EQ(Slot(LanguageSlot::InstallButtonLabel), u"Install");
        EXPECT_EQ(redraw, (LanguageRedraw{{LanguageChoice::English}, false}));
    }
}

// Clicking the choice already in force changes nothing: no redraw, no refill.
TEST_F(LanguageChoiceTest, ClickOnCurrentChoiceDoesNothing) {
    ApplyLanguage(kLangEnglish, state_, table_, options_);
    table_.Slots[0] = u"marker";
    const LanguageChoiceState before = state_;
    LanguageRedraw redraw = OnLanguageChoice(LanguageChoice::English, state_, table_, options_);
    EXPECT_EQ(redraw, LanguageRedraw{});
    EXPECT_EQ(table_.Slots[0], u"marker");
    EXPECT_EQ(state_.Current, before.Current);
    EXPECT_EQ(state_.EnglishChecked, before.EnglishChecked);
    EXPECT_EQ(options_.LangId, kLangEnglish);
}

// Switching to Chinese moves the check, hands on 2052, refills the table and
// redraws the clicked choice, the previous one, then the whole window.
TEST_F(LanguageChoiceTest, SwitchToChineseRefillsAndRedrawsBothChoices) {
    ApplyLanguage(kLangEnglish, state_, table_, options_);
    LanguageRedraw redraw = OnLanguageChoice(LanguageChoice::Chinese, state_, table_, options_);
    EXPECT_EQ(redraw, (LanguageRedraw{{LanguageChoice::Chinese, LanguageChoice::English}, true}));
    EXPECT_TRUE(state_.ChineseChecked);
    EXPECT_FALSE(state_.EnglishChecked);
    EXPECT_EQ(state_.Current, LanguageChoice::Chinese);
    EXPECT_EQ(state_.LangId, kLangChinese);
    EXPECT_EQ(options_.LangId, kLangChinese);
    EXPECT_EQ(Slot(LanguageSlot::InstallButtonLabel), kChineseInstall);
    EXPECT_EQ(Slot(LanguageSlot::StatusCopyingFile), u"\u6B63\u5728\u590D\u5236\u6587\u4EF6");  // 正在复制文件
}

// Switching back to English restores the English row and 1033.
TEST_F(LanguageChoiceTest, SwitchBackToEnglishRestoresEnglish) {
    ApplyLanguage(kLangChinese, state_, table_, options_);
    LanguageRedraw redraw = OnLanguageChoice(LanguageChoice::English, state_, table_, options_);
    EXPECT_EQ(redraw, (LanguageRedraw{{LanguageChoice::English, LanguageChoice::Chinese}, true}));
    EXPECT_TRUE(state_.EnglishChecked);
    EXPECT_FALSE(state_.ChineseChecked);
    EXPECT_EQ(options_.LangId, kLangEnglish);
    EXPECT_EQ(Slot(LanguageSlot::InstallButtonLabel), u"Install");
}

// The language choice touches no other install option.
TEST_F(LanguageChoiceTest, SwitchLeavesOtherOptionsAlone) {
    options_.BaseFolder = u"D:\\Apps";
    options_.Hid = 4;
    options_.ShowPanel = true;
    ApplyLanguage(kLangEnglish, state_, table_, options_);
    OnLanguageChoice(LanguageChoice::Chinese, state_, table_, options_);
    EXPECT_EQ(options_.BaseFolder, u"D:\\Apps");
    EXPECT_EQ(options_.Hid, 4);
    EXPECT_TRUE(options_.ShowPanel);
}

}  // namespace
