#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "config/language_table.h"

namespace {

// FNV-1a (32 bits) over the UTF-16 units of a slot's text; 0 for an empty slot.
uint32_t Checksum(const std::optional<std::u16string>& text) {
    if (!text)
        return 0;
    uint32_t hash = 2166136261u;
    for (char16_t unit : *text) {
        hash ^= unit;
        hash *= 16777619u;
    }
    return hash;
}

struct RowChecksums {
    const char* Language;
    uint32_t LangId;
    std::array<uint32_t, kLanguageSlotCount> Slots;  // slot N at index N - 1; 0 = empty
};

// Recorded once from the product's texts. A failure means a text was edited:
// every character counts, trailing blanks and misspellings included.
const RowChecksums kRows[] = {
    {"English", 1033, {{0x0681D379u, 0xCA23F958u, 0xC2FE51EEu, 0x0EAC1F07u, 0xC6362BE3u, 0x8E6C94B9u, 0xB845FD11u,
                        0xC273844Fu, 0x86530685u, 0x52F1F83Eu, 0x4809E849u, 0xCF9A5247u, 0x0E2F92DBu, 0x3733F7F3u,
                        0x9CCF3106u, 0x6DB4978Eu, 0xBE618887u, 0x5EA5C23Fu, 0xE449A0EFu, 0x2A7ADE68u, 0xAB030542u,
                        0x308FAE12u, 0x2DEAB79Au, 0x97340605u, 0x4D61E909u, 0x0516E421u, 0xB50CBD40u}}},
    {"Chinese", 2052, {{0x0681D379u, 0x26D075EEu, 0xF3CA715Eu, 0xD3BDE342u, 0x0FBB4F6Cu, 0xA28D52C9u, 0xA3ADBFC2u,
                        0xAC198307u, 0x5B6288D1u, 0xA5447448u, 0x9D4B9193u, 0x2F807F6Fu, 0x7F0681B4u, 0xB8DF0424u,
                        0x1B2C8553u, 0x84832DF7u, 0x82CA72FEu, 0xCBAE8B4Fu, 0xE996A123u, 0x195262F2u, 0x9B531485u,
                        0x0EBD373Eu, 0xC7F0AD10u, 0xA72475BBu, 0x32737C4Fu, 0x5F8EAECEu, 0x3DA20BB3u}}},
    {"German", 1031, {{0x0681D379u, 0xD26655A9u, 0x7029FAB7u, 0x8A9F92B0u, 0xC35D7A8Bu, 0x428A089Du, 0xC99F569Au,
                       0xEB078B41u, 0x1E8E105Cu, 0x46F8261Cu, 0x07E63EDEu, 0xF48B12ACu, 0x32C616CBu, 0x80F50B6Eu,
                       0x3EAD56AFu, 0x8BA335CBu, 0xB75FCC31u, 0x53E93CBBu, 0xBCD6FF7Cu, 0x788E62C8u, 0x06433614u,
                       0x8A8381E3u, 0x69057E1Eu, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u}}},
    {"Italian", 1040, {{0x0681D379u, 0x3859D3CEu, 0xB2E11FB7u, 0x0BC7B5F0u, 0x9A5ACA76u, 0x2840CA35u, 0xEAF8F35Bu,
                        0xE46E5C04u, 0x7F6878FBu, 0xB43B88D8u, 0x51B27E8Cu, 0xA3480EE2u, 0xABEAD2EBu, 0x12E7BE0Bu,
                        0xDB6C7061u, 0xC5144ADEu, 0xC23E49FBu, 0xCE958BF8u, 0x344DBA80u, 0x4B468997u, 0x01BA9353u,
                        0xA7F6C67Bu, 0xDB71DA49u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u}}},
    {"Korean", 1042, {{0x0681D379u, 0xCEB50B11u, 0x3329DD18u, 0x63FDF3DDu, 0x88F43E24u, 0xF84FFF62u, 0x104525E2u,
                       0x36854BABu, 0xF2CF5977u, 0xF8BE9779u, 0x3B44FB41u, 0x968C33F2u, 0xCAF4FAE0u, 0x6F8C11BAu,
                       0xFEACD65Cu, 0x4FB36F3Bu, 0x77327E92u, 0xEAEB930Au, 0x74B43067u, 0x690BEDE5u, 0x19BB1FDCu,
                       0x48C05889u, 0xAFBCA659u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u}}},
    {"Russian", 1049, {{0x0681D379u, 0x76C83FF2u, 0x906EDA14u, 0x5EF748A7u, 0xE90416A9u, 0xE33E4369u, 0xEC624B31u,
                        0xB9EC2797u, 0xBE7593F5u, 0x1CAE86D2u, 0xDF74C22Du, 0x2E685141u, 0xBEE24371u, 0x3DE7D3BCu,
                        0x9800B6FBu, 0x241E6EE3u, 0x09E265E6u, 0xBF69EA46u, 0x34041952u, 0xE19FE898u, 0x50BE76E2u,
                        0x40115B25u, 0xBBD26863u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u}}},
};

const RowChecksums& EnglishRow() {
    return kRows[0];
}

class LanguageTableTest : public ::testing::Test {
  protected:
    // Compares every slot of table_ with `row`, naming the slot that differs.
    void ExpectRow(const RowChecksums& row) {
        for (size_t i = 0; i < kLanguageSlotCount; ++i) {
            SCOPED_TRACE("slot " + std::to_string(i + 1));
            EXPECT_EQ(Checksum(table_.Slots[i]), row.Slots[i]);
        }
    }

    LanguageTable table_;
};

// Each of the six languages fills every slot with exactly its recorded text.
TEST_F(LanguageTableTest, EveryLanguageFillsItsRecordedTexts) {
    for (const RowChecksums& row : kRows) {
        SCOPED_TRACE(row.Language);
        FillLanguageTable(row.LangId, table_);
        ExpectRow(row);
    }
}

// Identifiers without a row of their own, neighbours of the known ones
// included, get the complete English row.
TEST_F(LanguageTableTest, UnknownIdentifiersGetEnglish) {
    for (uint32_t langId : {0u, 1028u, 3076u, 2057u, 1032u, 4100u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(langId);
        FillLanguageTable(langId, table_);
        ExpectRow(EnglishRow());
    }
}

// A new table holds no text at all until it is filled.
TEST_F(LanguageTableTest, NewTableIsEmpty) {
    for (const auto& slot : table_.Slots)
        EXPECT_FALSE(slot.has_value());
}

// Russian: its own licence title, and no page texts (slots 24 to 27).
TEST_F(LanguageTableTest, RussianLeavesPageTextsEmpty) {
    FillLanguageTable(kLangRussian, table_);
    EXPECT_EQ(SlotText(table_, LanguageSlot::LicenseTitle),
              std::optional<std::u16string>(u"\u043B\u0438\u0446\u0435\u043D\u0437\u0438\u043E\u043D\u043D\u043E\u0435 "
                                            u"\u0441\u043E\u0433\u043B\u0430\u0448\u0435\u043D\u0438\u0435"));
    for (LanguageSlot slot : {LanguageSlot::SelectLanguagePrompt, LanguageSlot::SelectFolderPrompt,
                              LanguageSlot::LicenseNotice, LanguageSlot::InstallButtonLabel})
        EXPECT_FALSE(SlotText(table_, slot).has_value());
}

// Refilling replaces every slot: page texts of an earlier Chinese fill do not
// survive a refill with a language that has none.
TEST_F(LanguageTableTest, RefillEmptiesSlotsTheNewRowLacks) {
    FillLanguageTable(kLangChinese, table_);
    table_.Slots[0] = u"stale";
    FillLanguageTable(kLangGerman, table_);
    ExpectRow(kRows[2]);
}

// Slot names keep their numbers: the window addresses slots by name.
TEST_F(LanguageTableTest, SlotNamesAddressTheirNumbers) {
    FillLanguageTable(kLangEnglish, table_);
    EXPECT_EQ(SlotText(table_, LanguageSlot::SelectLanguageLabel), std::optional<std::u16string>(u"Select Language:"));
    EXPECT_EQ(SlotText(table_, LanguageSlot::StatusCopyingFile), std::optional<std::u16string>(u"Copying file "));
    EXPECT_EQ(SlotText(table_, LanguageSlot::StatusPreviousVersion),
              std::optional<std::u16string>(u"Previous version found, uninstalling"));
    EXPECT_EQ(SlotText(table_, LanguageSlot::InstallButtonLabel), std::optional<std::u16string>(u"Install"));
}

// Chinese for 2052 only, English for every other identifier, as the window.
TEST_F(LanguageTableTest, DamagedInstallerTextFollowsTheWindowsLanguage) {
    EXPECT_EQ(DamagedInstallerText(kLangChinese), u"安装程序已损坏，请重新下载。");
    EXPECT_EQ(DamagedInstallerText(kLangEnglish), u"The installer is damaged. Please download it again.");
    EXPECT_EQ(DamagedInstallerText(kLangGerman), DamagedInstallerText(kLangEnglish));
}

}  // namespace
