#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/progress.h"
#include "ui/status_text.h"

namespace {

class StatusTextTest : public ::testing::Test {
  protected:
    StatusTextTest() { FillLanguageTable(kLangEnglish, english_); }

    ReportReaction React(ProgressCode code, std::u16string_view detail) const {
        return ReactionToReport(static_cast<uint32_t>(code), detail, english_);
    }

    LanguageTable english_;
};

// Every report with a status line, in English.
TEST_F(StatusTextTest, StatusLinesJoinSlotAndDetail) {
    struct Case {
        ProgressCode Code;
        std::u16string Expected;
    };
    const Case cases[] = {
        {ProgressCode::CopyingFile, u"Copying file \r\nf.sys"},
        {ProgressCode::DeletingFile, u"Deleting file\r\nf.sys"},
        {ProgressCode::InstallingDrivers,
         u"Installing drivers, this may take several minutes, please wait...\r\nf.sys"},
        {ProgressCode::InstallingService, u"Installing servicing interface... \r\nf.sys"},
        {ProgressCode::UninstallingDriver, u"Uninstalling driver...\r\nf.sys"},
        {ProgressCode::RemovingService, u"Uninstalling servicing interface...\r\nf.sys"},
        {ProgressCode::StartingService, u"Configuring servicing interface...\r\nf.sys"},
        {ProgressCode::StoppingService, u"Stopping servicing interface...\r\nf.sys"},
        {ProgressCode::PreviousVersionFound, u"Previous version found, uninstalling\r\nf.sys"},
        {ProgressCode::RolledBack, u"Installation Cancelled!"},
        {ProgressCode::Completed, u"Installation Complete!"},
    };
    for (const Case& c : cases) {
        const ReportReaction reaction = React(c.Code, u"f.sys");
        EXPECT_EQ(reaction.Kind, ReportReactionKind::ShowStatus) << static_cast<uint32_t>(c.Code);
        EXPECT_EQ(reaction.Text, c.Expected) << static_cast<uint32_t>(c.Code);
    }
}

// The two failures open a message box with the detail text; code 18 finishes.
TEST_F(StatusTextTest, FailuresOpenBoxesAndFinishEnds) {
    const ReportReaction file = React(ProgressCode::FileCreateFailed, u"C:\\x\\f.sys");
    EXPECT_EQ(file.Kind, ReportReactionKind::MessageBox);
    EXPECT_EQ(file.Text, u"C:\\x\\f.sys");
    EXPECT_EQ(file.Caption, u"Error creating files!");
    const ReportReaction service = React(ProgressCode::ServiceCreateFailed, u"Svc");
    EXPECT_EQ(service.Kind, ReportReactionKind::MessageBox);
    EXPECT_EQ(service.Text, u"Svc");
    EXPECT_EQ(service.Caption, u"Error installing servicing interface, please try again after restart your computer.");
    EXPECT_EQ(React(ProgressCode::WorkerFinished, u"").Kind, ReportReactionKind::Finish);
}

// Codes the window does not know are ignored.
TEST_F(StatusTextTest, UnknownCodesAreIgnored) {
    for (uint32_t code : {2u, 7u, 10u, 12u, 19u, 22u, 24u, 0xffffffffu}) {
        const ReportReaction reaction = ReactionToReport(code, u"x", english_);
        EXPECT_EQ(reaction.Kind, ReportReactionKind::Ignore) << code;
        EXPECT_TRUE(reaction.Text.empty());
    }
}

// The texts come from the table as it is when the report arrives.
TEST_F(StatusTextTest, ChineseTableGivesChineseLines) {
    LanguageTable chinese;
    FillLanguageTable(kLangChinese, chinese);
    const ReportReaction reaction = ReactionToReport(static_cast<uint32_t>(ProgressCode::Completed), u"", chinese);
    EXPECT_EQ(reaction.Text, u"\u5B89\u88C5\u5B8C\u6210");  // 安装完成
}

// A long detail is cut to the 259-unit field, never in a surrogate pair.
TEST_F(StatusTextTest, LongDetailIsCutToTheField) {
    const ReportReaction cut = React(ProgressCode::CopyingFile, std::u16string(400, u'a'));
    ASSERT_EQ(cut.Text.size(), kStatusTextUnits);
    EXPECT_EQ(cut.Text.substr(0, 15), u"Copying file \r\n");
    // "Copying file \r\n" is 15 units: a pair at units 258 and 259 loses both.
    std::u16string detail(243, u'b');
    detail += u"\U0001F600tail";
    const std::u16string text = React(ProgressCode::CopyingFile, detail).Text;
    EXPECT_EQ(text.size(), kStatusTextUnits - 1);
    EXPECT_EQ(text.back(), u'b');
    EXPECT_EQ(ComposeStatusText(u"a", u"\r\n", u"b"), u"a\r\nb");
}

// The report's text is read only within cbData: up to its first zero unit,
// or cbData / 2 units when it has none.
TEST_F(StatusTextTest, ReportTextStaysWithinItsData) {
    const char16_t units[] = {u'a', u'b', u'c', u'd', u'\0', u'e'};
    EXPECT_EQ(ReadReportText(units, sizeof(units)), u"abcd");
    EXPECT_EQ(ReadReportText(units, 4), u"ab");
    EXPECT_EQ(ReadReportText(units, 5), u"ab");
    EXPECT_EQ(ReadReportText(units, 1), u"");
    EXPECT_EQ(ReadReportText(units, 0), u"");
    EXPECT_EQ(ReadReportText(nullptr, 100), u"");
    // Unaligned data is read as well.
    std::vector<unsigned char> bytes(7, 0);
    std::memcpy(bytes.data() + 1, u"xy", 4);
    EXPECT_EQ(ReadReportText(bytes.data() + 1, 6), u"xy");
}

}  // namespace
