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
constexpr int32_t kCornerDiameter = 14;  // radius 7

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

// The rounded face: four quarter arcs of 14 x 14 and the closing left edge.
// `inset` 1 gives the outline's figure, one pixel smaller at right and bottom.
void AddRoundedFigure(Gdiplus::GraphicsPath& path, const SkinRect& r, int32_t inset) {
    const REAL d = kCornerDiameter;
    const REAL left = static_cast<REAL>(r.X);
    const REAL top = static_cast<REAL>(r.Y);
    const REAL right = static_cast<REAL>(r.X + r.Width - kCornerDiameter - inset);
    const REAL bottom = static_cast<REAL>(r.Y + r.Height - kCornerDiameter - inset);
    path.AddArc(left, top, d, d, 180.0f, 90.0f);
    path.AddArc(right, top, d, d, 270.0f, 90.0f);
    path.AddArc(right, bottom, d, d, 0.0f, 90.0f);
    path.AddArc(left, bottom, d, d, 90.0f, 90.0f);
    path.AddLine(left, bottom, left, top + d / 2);
    path.CloseFigure();
}

void FillRounded(Gdiplus::Graphics& graphics, const SkinRect& rect, Argb color) {
    Gdiplus::GraphicsPath path;
    AddRoundedFigure(path, rect, 0);
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.FillPath(&brush, &path);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
}

void OutlineRounded(Gdiplus::Graphics& graphics, const SkinRect& rect, Argb color) {
    Gdiplus::GraphicsPath path;
    AddRoundedFigure(path, rect, 1);
    Gdiplus::Pen pen(Gdiplus::Color(color), 1.0f);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.DrawPath(&pen, &path);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
}

bool ShowsOutline(bool outlineAlways, ControlState state) {
    return outlineAlways || state == ControlState::Hover || state == ControlState::Pressed;
}

}  // namespace

void PaintFocusOutline(Gdiplus::Graphics& graphics, const SkinRect& rect, int32_t inset) {
    DrawSkinOutline(graphics, rect.X + inset, rect.Y + inset, rect.Width - 1 - 2 * inset, rect.Height - 1 - 2 * inset,
                    kFocusOutlineColor);
}

// --- CSkinButton -------------------------------------------------------------

CSkinButton::CSkinButton(HWND owner,
                         const SkinRect& rect,
                         const wchar_t* caption,
                         int32_t fontSize,
                         Argb baseColor,
                         bool rounded,
                         bool outlineAlways)
    : Owner(owner),
      FontSize(fontSize),
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
            FillRounded(graphics, r, Core.Current.Fill);
        else
            FillSkinRect(graphics, r, Core.Current.Fill);
    }
    if (ShowsOutline(OutlineAlways, Core.State)) {
        if (Rounded)
            OutlineRounded(graphics, r, Core.Current.Outline);
        else
            DrawSkinOutline(graphics, r.X, r.Y, r.Width - 1, r.Height - 1, Core.Current.Outline);
    }
    DrawTextInRect(graphics, Caption, SkinFont(FontSize), r, Core.Current.Text, Gdiplus::StringAlignmentCenter,
                   Gdiplus::StringAlignmentCenter);
    // Inside the face, clear of the rounded corners and of the outline.
    if (Core.Focused)
        PaintFocusOutline(graphics, r, Rounded ? 4 : 2);
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

CSkinOption::CSkinOption(HWND owner, const SkinRect& rect, const wchar_t* caption)
    : Owner(owner), Core(CoreOf(rect, OptionColorSet(), &NotifyOptionOwner, this)) {
    const int32_t side = rect.Height - 8;
    Box = {rect.X, rect.Y + 4, side, side};
    Mark = {rect.X + 4, rect.Y + 8, rect.Height - 16, rect.Height - 16};
    LabelArea = {rect.X + side + 2, rect.Y, rect.Width - side - 2, rect.Height};
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
    DrawSkinOutline(graphics, Box.X, Box.Y, Box.Width - 1, Box.Height - 1, Core.Current.Outline);
    if (Selected)
        FillSkinRect(graphics, Mark, kMarkColor);
    DrawTextInRect(graphics, Caption, SkinFont(FontSize), LabelArea, Core.Current.Text, Gdiplus::StringAlignmentNear,
                   Gdiplus::StringAlignmentCenter);
    if (Core.Focused)
        PaintFocusOutline(graphics, Core.Rect, 0);
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

CPathBox::CPathBox(HWND owner, const SkinRect& rect, Argb backgroundColor, Argb textColor)
    : Owner(owner), Rect(rect), TextRowHeight(rect.Height - 2), BackgroundColor(backgroundColor), TextColor(textColor) {
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
        const SkinRect area{Rect.X + 5, Rect.Y, Rect.Width - 10, TextRowHeight};
        const TextWidthMeasure measure = [&graphics, this](std::u16string_view text) {
            const std::wstring_view wide(reinterpret_cast<const wchar_t*>(text.data()), text.size());
            return MeasureText(graphics, wide, FontSize).Width;
        };
        const std::wstring_view current(Text);
        const std::u16string shown =
            CompactPath(std::u16string_view(reinterpret_cast<const char16_t*>(current.data()), current.size()),
                        area.Width, measure);
        SetText(reinterpret_cast<const wchar_t*>(shown.c_str()));
        DrawTextCentredV(graphics, Text, area, FontSize, TextColor);
    }
    DrawSkinOutline(graphics, Rect.X, Rect.Y, Rect.Width, Rect.Height, kPathBoxOutline);
}
