#include <gtest/gtest.h>

#include "ui/skin_layout.h"

namespace {

class SkinLayoutTest : public ::testing::Test {
  protected:
    // The main dialog's client area: 331 x 186 dialog units of 8-point
    // "MS Shell Dlg" (6 x 13 base units) at 96 dots per inch.
    static constexpr int32_t kW = 496;
    static constexpr int32_t kH = 302;
};

// Every rectangle of the real window, with the 250 x 35 logo.
TEST_F(SkinLayoutTest, RealClientSizeGivesTheTableRectangles) {
    const SkinLayout l = ComputeLayout(kW, kH, 250, 35);
    EXPECT_EQ(l.Margin, 10);
    EXPECT_EQ(l.RowHeight, 24);
    EXPECT_EQ(l.StatusHeight, 60);
    EXPECT_EQ(l.ClientArea, (SkinRect{0, 0, 496, 302}));
    EXPECT_EQ(l.StatusArea, (SkinRect{0, 242, 496, 60}));
    EXPECT_EQ(l.LogoRect, (SkinRect{10, 10, 171, 24}));
    EXPECT_EQ(l.CloseButtonRect, (SkinRect{462, 10, 24, 24}));
    EXPECT_EQ(l.LanguagePromptRect, (SkinRect{10, 54, 476, 24}));
    EXPECT_EQ(l.OptionSlotRect[0], (SkinRect{13, 81, 80, 24}));
    EXPECT_EQ(l.OptionSlotRect[1], (SkinRect{103, 81, 80, 24}));
    EXPECT_EQ(l.OptionSlotRect[2], (SkinRect{193, 81, 80, 24}));
    EXPECT_EQ(l.OptionSlotRect[3], (SkinRect{283, 81, 80, 24}));
    EXPECT_EQ(l.FolderPromptRect, (SkinRect{10, 115, 476, 24}));
    EXPECT_EQ(l.PathBoxRect, (SkinRect{13, 142, 436, 25}));
    EXPECT_EQ(l.BrowseButtonRect, (SkinRect{459, 142, 27, 25}));
    EXPECT_EQ(l.NoticeRect, (SkinRect{10, 214, 476, 24}));
    EXPECT_EQ(l.InstallButtonRect, (SkinRect{178, 247, 140, 50}));
    EXPECT_EQ(l.LicenseLinkRect, SkinRect{});
}

// The right-hand elements keep a 10-pixel margin and the bottom ones follow
// the height, whatever the client size; odd widths centre Install by
// integer division.
TEST_F(SkinLayoutTest, EdgesFollowTheClientSize) {
    struct Case {
        int32_t W, H;
    };
    for (Case c : {Case{500, 300}, Case{641, 480}, Case{301, 250}}) {
        SCOPED_TRACE(testing::Message() << c.W << "x" << c.H);
        const SkinLayout l = ComputeLayout(c.W, c.H, 250, 35);
        const SkinRect& close = l.CloseButtonRect;
        EXPECT_EQ(close.X + close.Width, c.W - 10);
        EXPECT_EQ(close.Y, 10);
        const SkinRect& browse = l.BrowseButtonRect;
        EXPECT_EQ(browse.X + browse.Width, c.W - 10);
        EXPECT_EQ(l.PathBoxRect.X + l.PathBoxRect.Width + 10, browse.X);
        EXPECT_EQ(l.LanguagePromptRect.X + l.LanguagePromptRect.Width, c.W - 10);
        EXPECT_EQ(l.FolderPromptRect.X + l.FolderPromptRect.Width, c.W - 10);
        EXPECT_EQ(l.StatusArea, (SkinRect{0, c.H - 60, c.W, 60}));
        EXPECT_EQ(l.NoticeRect.Y, c.H - 88);
        EXPECT_EQ(l.InstallButtonRect, (SkinRect{(c.W - 140) / 2, c.H - 55, 140, 50}));
        // The top rows do not depend on the size.
        EXPECT_EQ(l.PathBoxRect.Y, 142);
    }
}

// The logo is scaled to the row height with its proportions; without a logo
// its rectangle is empty and nothing else moves.
TEST_F(SkinLayoutTest, LogoKeepsItsProportionsAtRowHeight) {
    EXPECT_EQ(ComputeLayout(kW, kH, 250, 35).LogoRect, (SkinRect{10, 10, 171, 24}));
    EXPECT_EQ(ComputeLayout(kW, kH, 48, 48).LogoRect, (SkinRect{10, 10, 24, 24}));
    EXPECT_EQ(ComputeLayout(kW, kH, 100, 12).LogoRect, (SkinRect{10, 10, 200, 24}));
    const SkinLayout none = ComputeLayout(kW, kH, 0, 0);
    EXPECT_EQ(none.LogoRect, (SkinRect{10, 10, 0, 24}));
    EXPECT_EQ(ComputeLayout(kW, kH, 250, 0).LogoRect.Width, 0);
    EXPECT_EQ(none.LanguagePromptRect, ComputeLayout(kW, kH, 250, 35).LanguagePromptRect);
}

// The hit test is strict on all four edges.
TEST_F(SkinLayoutTest, StrictlyInsideExcludesEveryEdge) {
    const SkinRect r{10, 20, 30, 40};
    EXPECT_TRUE(StrictlyInside(r, 11, 21));
    EXPECT_TRUE(StrictlyInside(r, 39, 59));
    EXPECT_FALSE(StrictlyInside(r, 10, 30));
    EXPECT_FALSE(StrictlyInside(r, 40, 30));
    EXPECT_FALSE(StrictlyInside(r, 20, 20));
    EXPECT_FALSE(StrictlyInside(r, 20, 60));
    EXPECT_FALSE(StrictlyInside(SkinRect{}, 0, 0));
    EXPECT_FALSE(StrictlyInside(SkinRect{5, 5, 1, 1}, 5, 5));
}

}  // namespace
