#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <utility>

#include "ui/license_text.h"

namespace {

class LicenseTextTest : public ::testing::Test {
  protected:
    // A licence file: a byte-order mark and `text` as UTF-16LE.
    const PackageFile* File(std::u16string_view text) {
        std::vector<uint8_t> bytes = {0xff, 0xfe};
        for (char16_t unit : text) {
            bytes.push_back(static_cast<uint8_t>(unit & 0xff));
            bytes.push_back(static_cast<uint8_t>(unit >> 8));
        }
        return RawFile(std::move(bytes));
    }

    const PackageFile* RawFile(std::vector<uint8_t> bytes) {
        PackageFile& file = files_.emplace_back();
        const std::vector<uint8_t>& kept = bytes_.emplace_back(std::move(bytes));
        file.Size = static_cast<uint32_t>(kept.size());
        file.Data = kept.empty() ? nullptr : kept.data();
        return &file;
    }

    // Sets the list to `entries` in list (head-first) order.
    void SetList(std::initializer_list<std::pair<uint8_t, const PackageFile*>> entries) {
        state_.LicenseList.clear();
        auto at = state_.LicenseList.before_begin();
        for (const auto& [index, file] : entries)
            at = state_.LicenseList.insert_after(at, LicenseEntry{index, file});
    }

    std::deque<PackageFile> files_;
    std::deque<std::vector<uint8_t>> bytes_;  // the files' bytes
    InstallerState state_;
};

// Chinese for 2052, and the English entry for a language without an entry.
TEST_F(LicenseTextTest, WantedLanguageElseEnglish) {
    SetList({{kLanguageEnglish, File(u"English terms")}, {kLanguageChinese, File(u"\u6761\u6B3E")}});
    EXPECT_EQ(SelectLicenseText(state_, 2052), u"\u6761\u6B3E");
    EXPECT_EQ(SelectLicenseText(state_, 1031), u"English terms");
    EXPECT_EQ(SelectLicenseText(state_, 1033), u"English terms");
}

// Each language identifier maps to its index; everything else is English.
TEST_F(LicenseTextTest, LanguageIdentifiersMapToIndices) {
    const std::pair<uint32_t, uint8_t> cases[] = {
        {2052, kLanguageChinese}, {1040, kLanguageItalian}, {1031, kLanguageGerman},  {1042, kLanguageKorean},
        {1033, kLanguageEnglish}, {1049, kLanguageEnglish}, {1028, kLanguageEnglish}, {0, kLanguageEnglish},
    };
    for (const auto& [langId, index] : cases)
        EXPECT_EQ(LicenseIndexForLanguage(langId), index) << langId;
    SetList({{kLanguageItalian, File(u"it")}, {kLanguageGerman, File(u"de")}, {kLanguageKorean, File(u"ko")}});
    EXPECT_EQ(SelectLicenseText(state_, 1040), u"it");
    EXPECT_EQ(SelectLicenseText(state_, 1031), u"de");
    EXPECT_EQ(SelectLicenseText(state_, 1042), u"ko");
}

// Without the wanted language or English, the first entry is shown.
TEST_F(LicenseTextTest, SingleEntryServesEveryLanguage) {
    SetList({{kLanguageGerman, File(u"nur deutsch")}});
    for (uint32_t langId : {2052u, 1033u, 1031u, 1049u})
        EXPECT_EQ(SelectLicenseText(state_, langId), u"nur deutsch") << langId;
}

// Of two entries with the same index the one first in the list wins.
TEST_F(LicenseTextTest, FirstEntryOfAnIndexWins) {
    SetList({{kLanguageKorean, File(u"k")}, {kLanguageEnglish, File(u"first")}, {kLanguageEnglish, File(u"second")}});
    EXPECT_EQ(SelectLicenseText(state_, 1033), u"first");
    EXPECT_EQ(SelectLicenseText(state_, 2052), u"first");
}

// No entries: no text at all.
TEST_F(LicenseTextTest, EmptyListGivesNoText) {
    EXPECT_EQ(SelectLicenseText(state_, 1033), std::nullopt);
}

// N bytes give N / 2 - 1 units whatever the first two bytes are; fewer than
// two bytes give an empty text without reading past the file.
TEST_F(LicenseTextTest, TextLengthFollowsTheFileSize) {
    struct Case {
        std::vector<uint8_t> Bytes;
        std::u16string Expected;
    };
    const Case cases[] = {
        {{}, u""},
        {{0xff}, u""},
        {{0xff, 0xfe}, u""},
        {{0xff, 0xfe, 'A'}, u""},
        {{0x00, 0x00, 'A', 0x00}, u"A"},
        {{0x12, 0x34, 'A', 0x00, 'B'}, u"A"},
        {{0xff, 0xfe, 'A', 0x00, 0x00, 0x00, 'C', 0x00}, std::u16string(u"A\0C", 3)},
    };
    for (const Case& c : cases) {
        SetList({{kLanguageEnglish, RawFile(c.Bytes)}});
        EXPECT_EQ(SelectLicenseText(state_, 1033), c.Expected) << c.Bytes.size() << " bytes";
    }
}

// A file without bytes is read as empty whatever size it records.
TEST_F(LicenseTextTest, RecordedSizeWithoutBytesIsNotRead) {
    const PackageFile* file = RawFile({});
    const_cast<PackageFile*>(file)->Size = 1000;
    SetList({{kLanguageEnglish, file}});
    EXPECT_EQ(SelectLicenseText(state_, 1033), u"");
}

}  // namespace
