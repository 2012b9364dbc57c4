#include "ui/skin_controls_win.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "ui/path_compaction.h"
#include "ui/skin_text_win.h"

using Gdiplus::REAL;

namespace {

constexpr Argb kMarkColor = 0xfeb4b4b4;
constexpr Argb kPathBoxOutline = 0xfe505050;
constexpr int32_t kCornerDiameter = 14;  // radius 7 at 96 dots per inch

// Copies at most capacity - 1 units and terminates; null gives "".
void CopyBounded(wchar_t* field, size_t capacity, const wchar_t* text) {
    const size_t length = text ? std::wstring_view(text).substr(0, capacity - 1).size() : 0;
    std::copy_n(text ? text : L"", length, field);
    field[length] = L'\0';
}

void NotifyButtonOwner(void* context, ControlNotice notice) {
    auto* button = static_cast<CSkinButton*>(context);
    const UINT message = notice == ControlNotice::Redraw ? UM_BUTTON_REDRAW : UM_BUTTON_CLICKED;
    SendMessageW(button->Owner, message, reinterpret_cast<WPARAM>(button), 0);
}

void NotifyOptionOwner(void* context, ControlNotice notice) {
    auto* option = static_cast<CSkinOption*>(context);
    const UINT message = notice == ControlNotice::Redraw ? UM_OPTION_REDRAW : UM_OPTION_CLICKED;
    SendMessageW(option->Owner, message, reinterpret_cast<WPARAM>(option), 0);
}

ControlCore CoreOf(const SkinRect& rect, const ControlColorSet& colors, ControlNotify notify, void* context) {
    ControlCore core;
    core.Rect = rect;
    core.Colors = colors;
    core.Notify = notify;
    core.NotifyContext = context;
    return core;
}

// The rounded face: four quarter arcs of 14 x 14 (scaled to `dpi`) and the
// closing left edge; `penWidth` 0 gives the face. A pen is centred on its
// figure, so an outline's figure runs through the middle of the pen's band
// along the inside of the edge pixels: with a 1-pixel pen, the face's figure
// one pixel smaller at right and bottom.
void AddRoundedFigure(Gdiplus::GraphicsPath& path, const SkinRect& r, int32_t penWidth, int32_t dpi) {
    const int32_t diameter = ScaleForDpi(kCornerDiameter, dpi);
    const REAL d = static_cast<REAL>(diameter);
    const int32_t inset = penWidth > 0 ? 1 : 0;
    const REAL half = penWidth > 1 ? static_cast<REAL>(penWidth - 1) / 2 : 0.0f;
    const REAL left = static_cast<REAL>(r.X) + half;
    const REAL top = static_cast<REAL>(r.Y) + half;
    const REAL right = static_cast<REAL>(r.X + r.Width - diameter - inset) - half;
    const REAL bottom = static_cast<REAL>(r.Y + r.Height - diameter - inset) - half;
    path.AddArc(left, top, d, d, 180.0f, 90.0f);
    path.AddArc(right, top, d, d, 270.0f, 90.0f);
    path.AddArc(right, bottom, d, d, 0.0f, 90.0f);
    path.AddArc(left, bottom, d, d, 90.0f, 90.0f);
    path.AddLine(left, bottom, left, top + d / 2);
    path.CloseFigure();
}

void FillRounded(Gdiplus::Graphics& graphics, const SkinRect& rect, Argb color, int32_t dpi) {
    Gdiplus::GraphicsPath path;
    AddRoundedFigure(path, rect, 0, dpi);
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.FillPath(&brush, &path);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
}

void OutlineRounded(Gdiplus::Graphics& graphics, const SkinRect& rect, Argb color, int32_t dpi) {
    const int32_t penWidth = ScaleForDpi(1, dpi);
    Gdiplus::GraphicsPath path;
    AddRoundedFigure(path, rect, penWidth, dpi);
    Gdiplus::Pen pen(Gdiplus::Color(color), static_cast<REAL>(penWidth));
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.DrawPath(&pen, &path);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
}

bool ShowsOutline(bool outlineAlways, ControlState state) {
    return outlineAlways || state == ControlState::Hover || state == ControlState::Pressed;
}

}  // namespace

void PaintFocusOutline(Gdiplus::Graphics& graphics, const SkinRect& rect, int32_t inset, int32_t dpi) {
    const int32_t pen = ScaleForDpi(1, dpi);
    const int32_t at = ScaleForDpi(inset, dpi);
    DrawSkinOutline(graphics, rect.X + at, rect.Y + at, rect.Width - pen - 2 * at, rect.Height - pen - 2 * at,
                    kFocusOutlineColor, pen);
}

// --- CSkinButton -------------------------------------------------------------

CSkinButton::CSkinButton(HWND owner,
                         const SkinRect& rect,
                         const wchar_t* caption,
                         int32_t fontSize,
                         Argb baseColor,
                         bool rounded,
                         bool outlineAlways,
                         int32_t dpi)
    : Owner(owner),
      FontSize(fontSize),
      Dpi(dpi),
      OutlineAlways(outlineAlways),
      Rounded(rounded),
      Core(CoreOf(rect, ButtonColorSet(baseColor), &NotifyButtonOwner, this)) {
    SetCaption(caption);
}

void CSkinButton::SetNormal() {
    ::SetNormal(Core);
}

void CSkinButton::SetDisabled() {
    ::SetDisabled(Core);
}

void CSkinButton::SetCaption(const wchar_t* caption) {
    CopyBounded(Caption, kCaptionUnits, caption);
}

void CSkinButton::Paint(Gdiplus::Graphics& graphics) const {
    if (!Core.Visible)
        return;
    const SkinRect& r = Core.Rect;
    if (FillBackground) {
        // The normal fill first, so a rounded button's corners show the base colour.
        FillSkinRect(graphics, r, Core.Colors.Normal.Fill);
        if (Rounded)
            FillRounded(graphics, r, Core.Current.Fill, Dpi);
        else
            FillSkinRect(graphics, r, Core.Current.Fill);
    }
    if (ShowsOutline(OutlineAlways, Core.State)) {
        const int32_t pen = ScaleForDpi(1, Dpi);
        if (Rounded)
            OutlineRounded(graphics, r, Core.Current.Outline, Dpi);
        else
            DrawSkinOutline(graphics, r.X, r.Y, r.Width - pen, r.Height - pen, Core.Current.Outline, pen);
    }
    DrawTextInRect(graphics, Caption, SkinFont(FontSize), r, Core.Current.Text, Gdiplus::StringAlignmentCenter,
                   Gdiplus::StringAlignmentCenter);
    // Inside the face, clear of the rounded corners and of the outline.
    if (Core.Focused)
        PaintFocusOutline(graphics, r, Rounded ? 4 : 2, Dpi);
}

bool CSkinButton::HoverTest(int32_t x, int32_t y) {
    return ::HoverTest(Core, x, y);
}

bool CSkinButton::PressTest(int32_t x, int32_t y) {
    return ::PressTest(Core, x, y);
}

bool CSkinButton::ReleaseTest(int32_t x, int32_t y) {
    return ::ReleaseTest(Core, x, y);
}

// --- CSkinOption -------------------------------------------------------------

CSkinOption::CSkinOption(HWND owner, const SkinRect& rect, const wchar_t* caption, int32_t dpi)
    : Owner(owner),
      FontSize(ScaleForDpi(12, dpi)),
      Dpi(dpi),
      Core(CoreOf(rect, OptionColorSet(), &NotifyOptionOwner, this)) {
    const SkinOptionParts parts = LayOutOption(rect, dpi);
    Box = parts.Box;
    Mark = parts.Mark;
    LabelArea = parts.LabelArea;
    SetCaption(caption);
}

void CSkinOption::SetNormal() {
    ::SetNormal(Core);
}

void CSkinOption::SetDisabled() {
    ::SetDisabled(Core);
}

void CSkinOption::SetCaption(const wchar_t* caption) {
    CopyBounded(Caption, kCaptionUnits, caption);
}

void CSkinOption::Paint(Gdiplus::Graphics& graphics) const {
    if (!Core.Visible)
        return;
    FillSkinRect(graphics, Core.Rect, kBackgroundColor);
    FillSkinRect(graphics, Box, Core.Current.Fill);
    const int32_t pen = ScaleForDpi(1, Dpi);
    DrawSkinOutline(graphics, Box.X, Box.Y, Box.Width - pen, Box.Height - pen, Core.Current.Outline, pen);
    if (Selected)
        FillSkinRect(graphics, Mark, kMarkColor);
    DrawTextInRect(graphics, Caption, SkinFont(FontSize), LabelArea, Core.Current.Text, Gdiplus::StringAlignmentNear,
                   Gdiplus::StringAlignmentCenter);
    if (Core.Focused)
        PaintFocusOutline(graphics, Core.Rect, 0, Dpi);
}

bool CSkinOption::HoverTest(int32_t x, int32_t y) {
    return ::HoverTest(Core, x, y);
}

bool CSkinOption::PressTest(int32_t x, int32_t y) {
    return ::PressTest(Core, x, y);
}

bool CSkinOption::ReleaseTest(int32_t x, int32_t y) {
    return ::ReleaseTest(Core, x, y);
}

// --- CPathBox ----------------------------------------------------------------

CPathBox::CPathBox(HWND owner, const SkinRect& rect, Argb backgroundColor, Argb textColor, int32_t dpi)
    : Owner(owner),
      Rect(rect),
      FontSize(ScaleForDpi(14, dpi)),
      Dpi(dpi),
      TextRowHeight(rect.Height - ScaleForDpi(2, dpi)),
      BackgroundColor(backgroundColor),
      TextColor(textColor) {
    SendMessageW(Owner, UM_PATHBOX_REDRAW, reinterpret_cast<WPARAM>(this), 0);
}

void CPathBox::SetText(const wchar_t* text) {
    CopyBounded(Text, kPathBoxUnits, text);
}

void CPathBox::Paint(Gdiplus::Graphics& graphics) {
    if (!Visible)
        return;
    FillSkinRect(graphics, Rect, BackgroundColor);
    if (Text[0] != L'\0') {
        const int32_t inset = ScaleForDpi(5, Dpi);
        const SkinRect area{Rect.X + inset, Rect.Y, Rect.Width - 2 * inset, TextRowHeight};
        const TextWidthMeasure measure = [&graphics, this](std::u16string_view text) {
            const std::wstring_view wide(reinterpret_cast<const wchar_t*>(text.data()), text.size());
            return MeasureText(graphics, wide, FontSize).Width;
        };
        const std::wstring_view current(Text);
        const std::u16string shown =
            CompactPath(std::u16string_view(reinterpret_cast<const char16_t*>(current.data()), current.size()),
                        area.Width, measure);
        SetText(reinterpret_cast<const wchar_t*>(shown.c_str()));
        DrawTextCentredV(graphics, Text, area, FontSize, TextColor, Dpi);
    }
    DrawSkinOutline(graphics, Rect.X, Rect.Y, Rect.Width, Rect.Height, kPathBoxOutline, ScaleForDpi(1, Dpi));
}
