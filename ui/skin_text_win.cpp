#include "ui/skin_text_win.h"

#include <vector>

using Gdiplus::REAL;

namespace {

// Gdiplus::Font reports through GetLastStatus, which resets when read: read once.
std::unique_ptr<Gdiplus::Font> FontOf(const Gdiplus::FontFamily* family, int32_t pixelSize, INT style) {
    if (!family)
        return nullptr;
    auto font = std::make_unique<Gdiplus::Font>(family, static_cast<REAL>(pixelSize), style, Gdiplus::UnitPixel);
    if (font->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return font;
}

Gdiplus::RectF RectFOf(const SkinRect& rect) {
    return Gdiplus::RectF(static_cast<REAL>(rect.X), static_cast<REAL>(rect.Y), static_cast<REAL>(rect.Width),
                          static_cast<REAL>(rect.Height));
}

INT LengthOf(std::wstring_view text) {
    return static_cast<INT>(text.size());
}

}  // namespace

std::unique_ptr<Gdiplus::Font> CreateSkinFont(int32_t pixelSize, INT style) {
    // A family that does not exist leaves a status other than Ok (Wine: 14).
    Gdiplus::FontFamily arial(L"Arial");
    if (arial.GetLastStatus() == Gdiplus::Ok) {
        if (auto font = FontOf(&arial, pixelSize, style))
            return font;
    }
    // Null when the system has no sans-serif family at all.
    return FontOf(Gdiplus::FontFamily::GenericSansSerif(), pixelSize, style);
}

namespace {

// The window uses four fonts (12, 14 and 24 pixels regular, 12 underlined at
// 96 dots per inch; as many scaled sizes on a scaled display); finding the
// family and making a font is far dearer than drawing with it.
struct CachedFont {
    int32_t PixelSize = 0;
    INT Style = 0;
    std::unique_ptr<Gdiplus::Font> Font;  // null: no usable family
};

// Allocated once and never destroyed by the runtime: the fonts must go
// before the graphics library shuts down, which only ReleaseSkinFonts knows.
std::vector<CachedFont>& FontCache() {
    static auto* cache = new std::vector<CachedFont>();
    return *cache;
}

}  // namespace

const Gdiplus::Font* SkinFont(int32_t pixelSize, INT style) {
    std::vector<CachedFont>& cache = FontCache();
    for (const CachedFont& entry : cache) {
        if (entry.PixelSize == pixelSize && entry.Style == style)
            return entry.Font.get();
    }
    cache.push_back({pixelSize, style, CreateSkinFont(pixelSize, style)});
    return cache.back().Font.get();
}

void ReleaseSkinFonts() {
    FontCache().clear();
}

TextExtent MeasureText(Gdiplus::Graphics& graphics, std::wstring_view text, int32_t pixelSize) {
    const Gdiplus::Font* font = SkinFont(pixelSize);
    if (!font || text.empty())
        return {};
    Gdiplus::RectF box;
    graphics.MeasureString(text.data(), LengthOf(text), font, Gdiplus::RectF(0, 0, 0, 0), nullptr, &box);
    return {static_cast<int32_t>(box.Width), static_cast<int32_t>(box.Height)};
}

void DrawTextCentredV(Gdiplus::Graphics& graphics,
                      std::wstring_view text,
                      const SkinRect& rect,
                      int32_t pixelSize,
                      Argb color,
                      int32_t dpi) {
    const Gdiplus::Font* font = SkinFont(pixelSize);
    if (!font || text.empty())
        return;
    const TextExtent extent = MeasureText(graphics, text, pixelSize);
    const REAL y = static_cast<REAL>(rect.Y) + static_cast<REAL>(rect.Height - extent.Height) * 0.5f +
                   static_cast<REAL>(ScaleForDpi(2, dpi));
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    graphics.DrawString(text.data(), LengthOf(text), font, Gdiplus::PointF(static_cast<REAL>(rect.X), y), &brush);
}

void DrawTextInRect(Gdiplus::Graphics& graphics,
                    std::wstring_view text,
                    const Gdiplus::Font* font,
                    const SkinRect& rect,
                    Argb color,
                    Gdiplus::StringAlignment horizontal,
                    Gdiplus::StringAlignment vertical) {
    if (!font || text.empty())
        return;
    Gdiplus::StringFormat format;
    format.SetAlignment(horizontal);
    format.SetLineAlignment(vertical);
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    graphics.DrawString(text.data(), LengthOf(text), font, RectFOf(rect), &format, &brush);
}

void FillSkinRect(Gdiplus::Graphics& graphics, const SkinRect& rect, Argb color) {
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    graphics.FillRectangle(&brush, static_cast<INT>(rect.X), static_cast<INT>(rect.Y), static_cast<INT>(rect.Width),
                           static_cast<INT>(rect.Height));
}

void DrawSkinOutline(Gdiplus::Graphics& graphics,
                     int32_t x,
                     int32_t y,
                     int32_t width,
                     int32_t height,
                     Argb color,
                     int32_t penWidth) {
    if (penWidth <= 1) {
        Gdiplus::Pen pen(Gdiplus::Color(color), 1.0f);
        graphics.DrawRectangle(&pen, static_cast<INT>(x), static_cast<INT>(y), static_cast<INT>(width),
                               static_cast<INT>(height));
        return;
    }
    // A wider pen is centred on its line and lands on whole pixels only by
    // the rasteriser's rounding; four bands that never overlap give exact
    // edges, and no corner is blended twice with the 0xfe alpha.
    const int32_t p = penWidth;
    FillSkinRect(graphics, {x, y, width + p, p}, color);
    FillSkinRect(graphics, {x, y + height, width + p, p}, color);
    FillSkinRect(graphics, {x, y + p, p, height - p}, color);
    FillSkinRect(graphics, {x + width, y + p, p, height - p}, color);
}
