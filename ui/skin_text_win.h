// Fonts and the two text helpers of the skinned window (GDI+). Every text is
// "Arial" at a size in pixels; when that family is missing or its font cannot
// be made, the library's generic sans-serif family takes its place.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "ui/skin_control_state.h"
#include "ui/skin_layout.h"

// A font of `pixelSize` pixels in `style` (Gdiplus::FontStyleRegular or
// FontStyleUnderline). Returns null only when neither "Arial" nor the generic
// sans-serif family gives a usable font; callers then draw no text.
std::unique_ptr<Gdiplus::Font> CreateSkinFont(int32_t pixelSize, INT style = Gdiplus::FontStyleRegular);

// The font of `pixelSize` and `style` from a cache of the window's fonts,
// made with CreateSkinFont on first use (null when that gives none). The
// cache owns the fonts until ReleaseSkinFonts, which must run before the
// graphics library shuts down (ReleaseSkinPage does). UI thread only.
const Gdiplus::Font* SkinFont(int32_t pixelSize, INT style = Gdiplus::FontStyleRegular);
void ReleaseSkinFonts();

struct TextExtent {
    int32_t Width = 0;
    int32_t Height = 0;
};

// Bounding box of the whole text in the regular font of `pixelSize`, measured
// without a layout width (no wrapping) and in the default string format; both
// values truncated. {0, 0} when no font is available.
TextExtent MeasureText(Gdiplus::Graphics& graphics, std::wstring_view text, int32_t pixelSize);

// Draws `text` in the regular font of `pixelSize` with `color` at x = rect.X,
// y = rect.Y + (rect.Height - text height) * 0.5 + 2.0 (the 2 pixels scaled
// from 96 dots per inch to `dpi`): no clipping, no wrapping, default string
// format.
void DrawTextCentredV(Gdiplus::Graphics& graphics,
                      std::wstring_view text,
                      const SkinRect& rect,
                      int32_t pixelSize,
                      Argb color,
                      int32_t dpi = kSkinBaseDpi);

// Draws `text` in `font` into `rect` (wrapped at word boundaries within its
// width and clipped to it), with the given alignments.
void DrawTextInRect(Gdiplus::Graphics& graphics,
                    std::wstring_view text,
                    const Gdiplus::Font* font,
                    const SkinRect& rect,
                    Argb color,
                    Gdiplus::StringAlignment horizontal,
                    Gdiplus::StringAlignment vertical);

// Fills `rect` with a solid colour.
void FillSkinRect(Gdiplus::Graphics& graphics, const SkinRect& rect, Argb color);

// An outline `penWidth` pixels wide whose top-left pixel is (x, y) and whose
// right and bottom bands start at x + width and y + height: with a width of
// 1, the 1-pixel pen through (x, y) and (x + width, y + height). So an
// outline inside a w x h rectangle is drawn with width w - penWidth.
void DrawSkinOutline(Gdiplus::Graphics& graphics,
                     int32_t x,
                     int32_t y,
                     int32_t width,
                     int32_t height,
                     Argb color,
                     int32_t penWidth = 1);
