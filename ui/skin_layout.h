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

// Fixed constants of the layout.
inline constexpr int32_t kSkinMargin = 10;
inline constexpr int32_t kSkinRowHeight = 24;
inline constexpr int32_t kSkinStatusHeight = 60;
inline constexpr int32_t kSkinOptionSlotWidth = 80;
inline constexpr int32_t kSkinInstallButtonWidth = 140;
inline constexpr int32_t kSkinInstallButtonHeight = 50;
inline constexpr int32_t kSkinPathBoxHeight = 25;
inline constexpr int32_t kSkinBrowseButtonWidth = 27;
inline constexpr int32_t kSkinOptionSlotCount = 4;

// Every rectangle of the page. Only option slots 1 and 2 (indices 0 and 1)
// hold controls, Chinese then English; slots 3 and 4 only fix the rows.
// LicenseLinkRect stays zero until DrawPageTexts measures the texts.
struct SkinLayout {
    int32_t Margin = 0;        // m = 10
    int32_t RowHeight = 0;     // r = 24
    int32_t StatusHeight = 0;  // s = 60
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
// pixel size (integer divisions throughout). The logo is scaled to the row
// height keeping its proportions: 171 x 24 for a 250 x 35 logo. Without a
// logo (a width or height of 0 or less) LogoRect is 0 pixels wide; no other
// rectangle depends on the logo. Cannot fail; sizes too small for the page
// give rectangles with zero or negative extents, which draw nothing and are
// never hit.
SkinLayout ComputeLayout(int32_t clientWidth, int32_t clientHeight, int32_t logoWidth, int32_t logoHeight);
