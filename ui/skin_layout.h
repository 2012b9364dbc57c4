// Geometry of the skinned main window: every rectangle of the page, derived
// once from the client size and the logo's size with a few fixed constants.
// Portable: no <windows.h>.
#pragma once

#include <cstdint>

// {x, y, width, height} in client pixels.
struct SkinRect {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;

    bool operator==(const SkinRect& other) const {
        return X == other.X && Y == other.Y && Width == other.Width && Height == other.Height;
    }
    bool operator!=(const SkinRect& other) const { return !(*this == other); }
};

// The controls' hit test: strictly inside, so a point on any edge is outside
// (x > X, x < X + Width, y > Y, y < Y + Height). The dialog uses the same
// test for the licence link.
bool StrictlyInside(const SkinRect& rect, int32_t x, int32_t y);

// The display scale the constants below are given for: 96 dots per inch.
inline constexpr int32_t kSkinBaseDpi = 96;

// `value` pixels at 96 dots per inch, scaled to `dpi` and rounded to the
// nearest pixel (halves away from zero): 14 gives 14 at 96, 21 at 144 and 28
// at 192. A `dpi` of 0 or less counts as 96. Every pixel size of the page
// goes through this, so at 96 the page is exactly as it always was.
int32_t ScaleForDpi(int32_t value, int32_t dpi);

// Fixed constants of the layout, in pixels at 96 dots per inch.
inline constexpr int32_t kSkinMargin = 10;
inline constexpr int32_t kSkinRowHeight = 24;
inline constexpr int32_t kSkinStatusHeight = 60;
inline constexpr int32_t kSkinOptionSlotWidth = 80;
inline constexpr int32_t kSkinInstallButtonWidth = 140;
inline constexpr int32_t kSkinInstallButtonHeight = 50;
inline constexpr int32_t kSkinPathBoxHeight = 25;
inline constexpr int32_t kSkinBrowseButtonWidth = 27;
inline constexpr int32_t kSkinOptionSlotCount = 4;
// The small gaps: option and path rows below their prompts, the notice above
// the status band.
inline constexpr int32_t kSkinRowGap = 3;
inline constexpr int32_t kSkinNoticeGap = 4;

// Every rectangle of the page. Only option slots 1 and 2 (indices 0 and 1)
// hold controls, Chinese then English; slots 3 and 4 only fix the rows.
// LicenseLinkRect stays zero until DrawPageTexts measures the texts.
struct SkinLayout {
    int32_t Dpi = kSkinBaseDpi;  // the scale every size below was computed for
    int32_t PenWidth = 1;        // every outline: 1 at 96, 2 from 144 on
    int32_t Margin = 0;          // m = 10 at 96
    int32_t RowHeight = 0;       // r = 24 at 96
    int32_t StatusHeight = 0;    // s = 60 at 96
    SkinRect ClientArea;
    SkinRect StatusArea;
    SkinRect LogoRect;
    SkinRect CloseButtonRect;
    SkinRect LanguagePromptRect;
    SkinRect OptionSlotRect[kSkinOptionSlotCount];
    SkinRect FolderPromptRect;
    SkinRect PathBoxRect;
    SkinRect BrowseButtonRect;
    SkinRect NoticeRect;
    SkinRect InstallButtonRect;
    SkinRect LicenseLinkRect;
};

// Computes every rectangle from the client width and height and the logo's
// pixel size (integer divisions throughout), with every fixed size scaled
// from 96 dots per inch to `dpi` (ScaleForDpi; the client size is taken as
// it is, since the dialog template already follows the display). The logo
// is scaled to the row height keeping its proportions: 171 x 24 for a
// 250 x 35 logo at 96. Without a logo (a width or height of 0 or less)
// LogoRect is 0 pixels wide; no other rectangle depends on the logo. Cannot
// fail; sizes too small for the page give rectangles with zero or negative
// extents, which draw nothing and are never hit.
SkinLayout ComputeLayout(int32_t clientWidth,
                         int32_t clientHeight,
                         int32_t logoWidth,
                         int32_t logoHeight,
                         int32_t dpi = kSkinBaseDpi);

// The parts of a language option in its slot: the square box, the mark
// inside it, and the label area right of the box. At 96 dots per inch, for
// a slot (x, y, w, h): box (x, y + 4, h - 8, h - 8), mark (x + 4, y + 8,
// h - 16, h - 16), label (x + (h - 8) + 2, y, w - (h - 8) - 2, h); the
// insets scale with `dpi`.
struct SkinOptionParts {
    SkinRect Box;
    SkinRect Mark;
    SkinRect LabelArea;
};
SkinOptionParts LayOutOption(const SkinRect& slot, int32_t dpi = kSkinBaseDpi);
