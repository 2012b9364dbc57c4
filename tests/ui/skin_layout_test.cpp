#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <vector>

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

// Pixel sizes scale from 96 dots per inch, rounded to the nearest pixel.
TEST_F(SkinLayoutTest, ScaleForDpiRoundsToTheNearestPixel) {
    struct Case {
        int32_t Value, Dpi, Expected;
    };
    for (Case c :
         {Case{14, 96, 14}, Case{14, 144, 21}, Case{14, 192, 28}, Case{3, 144, 5}, Case{25, 144, 38}, Case{1, 120, 1},
          Case{1, 144, 2}, Case{24, 120, 30}, Case{7, 0, 7}, Case{7, -96, 7}, Case{-3, 144, -5}}) {
        EXPECT_EQ(ScaleForDpi(c.Value, c.Dpi), c.Expected) << c.Value << " at " << c.Dpi;
    }
}

// The page at 144 and 192 dots per inch, on the client size the dialog
// template gives there, is the 96 page scaled: exactly twice at 192, within
// the rounding of its few summed constants at 144.
TEST_F(SkinLayoutTest, LayoutScalesWithTheDisplay) {
    const auto rects = [](const SkinLayout& l) {
        return std::vector<SkinRect>{l.StatusArea,        l.LogoRect,          l.CloseButtonRect,  l.LanguagePromptRect,
                                     l.OptionSlotRect[0], l.OptionSlotRect[3], l.FolderPromptRect, l.PathBoxRect,
                                     l.BrowseButtonRect,  l.NoticeRect,        l.InstallButtonRect};
    };
    const std::vector<SkinRect> base = rects(ComputeLayout(kW, kH, 250, 35));
    for (int32_t dpi : {96, 144, 192}) {
        SCOPED_TRACE(dpi);
        const SkinLayout l = ComputeLayout(ScaleForDpi(kW, dpi), ScaleForDpi(kH, dpi), 250, 35, dpi);
        EXPECT_EQ(l.Dpi, dpi);
        EXPECT_EQ(l.PenWidth, dpi == 96 ? 1 : 2);
        EXPECT_EQ(l.RowHeight, ScaleForDpi(24, dpi));
        const std::vector<SkinRect> scaled = rects(l);
        const int32_t slack = dpi == 144 ? 2 : 0;
        for (size_t i = 0; i < base.size(); ++i) {
            const int32_t want[] = {base[i].X, base[i].Y, base[i].Width, base[i].Height};
            const int32_t got[] = {scaled[i].X, scaled[i].Y, scaled[i].Width, scaled[i].Height};
            for (int field = 0; field < 4; ++field)
                EXPECT_LE(std::abs(got[field] - want[field] * dpi / 96), slack)
                    << "rectangle " << i << " field " << field;
        }
    }
}

// At every scale the controls and text rows stay apart and inside the page:
// no two overlap (the path box counting its outline, which lies outside it
// at right and bottom), and each option's box, mark and label keep apart.
TEST_F(SkinLayoutTest, NothingOverlapsAtAnyScale) {
    const auto overlap = [](const SkinRect& a, const SkinRect& b) {
        return a.X < b.X + b.Width && b.X < a.X + a.Width && a.Y < b.Y + b.Height && b.Y < a.Y + a.Height;
    };
    const auto inside = [](const SkinRect& inner, const SkinRect& outer) {
        return inner.X >= outer.X && inner.Y >= outer.Y && inner.X + inner.Width <= outer.X + outer.Width &&
               inner.Y + inner.Height <= outer.Y + outer.Height;
    };
    for (int32_t dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(dpi);
        const SkinLayout l = ComputeLayout(ScaleForDpi(kW, dpi), ScaleForDpi(kH, dpi), 250, 35, dpi);
        SkinRect pathWithOutline = l.PathBoxRect;
        pathWithOutline.Width += l.PenWidth;
        pathWithOutline.Height += l.PenWidth;
        const SkinRect items[] = {l.LogoRect,          l.CloseButtonRect,   l.LanguagePromptRect, l.OptionSlotRect[0],
                                  l.OptionSlotRect[1], l.OptionSlotRect[2], l.OptionSlotRect[3],  l.FolderPromptRect,
                                  pathWithOutline,     l.BrowseButtonRect,  l.NoticeRect,         l.InstallButtonRect};
        for (size_t i = 0; i < std::size(items); ++i) {
            EXPECT_TRUE(inside(items[i], l.ClientArea)) << i;
            for (size_t j = i + 1; j < std::size(items); ++j)
                EXPECT_FALSE(overlap(items[i], items[j])) << i << " and " << j;
        }
        EXPECT_TRUE(inside(l.InstallButtonRect, l.StatusArea));
        EXPECT_FALSE(overlap(l.NoticeRect, l.StatusArea));
        for (const SkinRect& slot : {l.OptionSlotRect[0], l.OptionSlotRect[1]}) {
            const SkinOptionParts parts = LayOutOption(slot, dpi);
            EXPECT_TRUE(inside(parts.Box, slot));
            EXPECT_TRUE(inside(parts.LabelArea, slot));
            EXPECT_FALSE(overlap(parts.Box, parts.LabelArea));
            // The mark sits inside the box, clear of its outline.
            const SkinRect innerBox{parts.Box.X + l.PenWidth, parts.Box.Y + l.PenWidth,
                                    parts.Box.Width - 2 * l.PenWidth, parts.Box.Height - 2 * l.PenWidth};
            EXPECT_TRUE(inside(parts.Mark, innerBox));
        }
    }
}

// The option's parts: 16 x 16 box, 8 x 8 mark and a label 18 pixels in for
// an 80 x 24 slot at 96; all twice that at 192.
TEST_F(SkinLayoutTest, OptionPartsScaleWithTheSlot) {
    const SkinOptionParts at96 = LayOutOption({13, 81, 80, 24});
    EXPECT_EQ(at96.Box, (SkinRect{13, 85, 16, 16}));
    EXPECT_EQ(at96.Mark, (SkinRect{17, 89, 8, 8}));
    EXPECT_EQ(at96.LabelArea, (SkinRect{31, 81, 62, 24}));
    const SkinOptionParts at192 = LayOutOption({26, 162, 160, 48}, 192);
    EXPECT_EQ(at192.Box, (SkinRect{26, 170, 32, 32}));
    EXPECT_EQ(at192.Mark, (SkinRect{34, 178, 16, 16}));
    EXPECT_EQ(at192.LabelArea, (SkinRect{62, 162, 124, 48}));
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
