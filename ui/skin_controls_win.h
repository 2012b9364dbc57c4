// The owner-drawn controls of the main window: CSkinButton (browse "...",
// close "X", Install), CSkinOption (the two language choices) and CPathBox
// (the read-only installation path). Plain classes without virtual
// operations; the dialog owns each instance (through std::unique_ptr: a
// control's address is its identity in its messages, so it never moves).
//
// A control never draws on its own: it tells its owner window with a
// synchronous SendMessageW(owner, message, (WPARAM)control, 0), and the owner
// repaints it into the off-screen surface (RepaintButton and friends in
// ui/skin_surface_win.h). The pointer logic lives in ui/skin_control_state.h.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <cstdint>

#include "ui/skin_control_state.h"
#include "ui/skin_layout.h"

// Messages to the owner: wParam = the control (CPathBox*, CSkinButton* or
// CSkinOption*), lParam = 0; the owner answers 0. UI thread only.
inline constexpr UINT UM_PATHBOX_REDRAW = WM_USER + 200;  // 1224: repaint this path box
inline constexpr UINT UM_BUTTON_REDRAW = WM_USER + 202;   // 1226: repaint this button
inline constexpr UINT UM_BUTTON_CLICKED = WM_USER + 203;  // 1227: this button was clicked
inline constexpr UINT UM_OPTION_REDRAW = WM_USER + 204;   // 1228: repaint this option
inline constexpr UINT UM_OPTION_CLICKED = WM_USER + 205;  // 1229: this option was clicked

// Caption fields hold 200 units, terminator included.
inline constexpr size_t kCaptionUnits = 200;
// The path box's text field holds 260 units, terminator included.
inline constexpr size_t kPathBoxUnits = 260;

// Colours of the page that the controls share with the dialog.
inline constexpr Argb kBackgroundColor = 0xfe2d2d2d;  // window, browse/close buttons, options
inline constexpr Argb kStatusAreaColor = 0xfe141414;  // status band, Install button

// The keyboard focus outline: a rectangle in kFocusOutlineColor, 1 pixel
// wide and `inset` pixels inside `rect` at 96 dots per inch, both scaled to
// `dpi` (so at 96 exactly those figures).
void PaintFocusOutline(Gdiplus::Graphics& graphics, const SkinRect& rect, int32_t inset, int32_t dpi);

class CSkinButton {
  public:
    // Visible, state Normal, the colour set of `baseColor`, fill background on,
    // caption copied (at most 199 units). Sends nothing: the dialog puts the
    // button into its normal state (SetNormal), which asks for the first paint.
    // `fontSize` is in pixels as given; `dpi` scales the corners and the pen.
    CSkinButton(HWND owner,
                const SkinRect& rect,
                const wchar_t* caption,
                int32_t fontSize,
                Argb baseColor,
                bool rounded,
                bool outlineAlways,
                int32_t dpi = kSkinBaseDpi);
    CSkinButton(const CSkinButton&) = delete;
    CSkinButton& operator=(const CSkinButton&) = delete;

    // Normal / disabled colours and state; both send UM_BUTTON_REDRAW.
    void SetNormal();
    void SetDisabled();
    // Invisible buttons are neither painted nor hit. Sends nothing.
    void SetVisible(bool visible) { Core.Visible = visible; }
    bool IsVisible() const { return Core.Visible; }
    ControlState State() const { return Core.State; }
    // Copies at most 199 units of `caption` (null gives an empty caption).
    void SetCaption(const wchar_t* caption);

    // Paints into `graphics` (the off-screen surface): nothing when invisible;
    // background in the normal fill, then the square or rounded (radius 7)
    // face in the current fill, the outline when outline-always or hovered or
    // pressed, the caption centred in the current text colour, and the focus
    // outline when focused.
    void Paint(Gdiplus::Graphics& graphics) const;

    // The pointer tests of ui/skin_control_state.h, sending UM_BUTTON_REDRAW
    // and UM_BUTTON_CLICKED. Each returns whether the button counts as hit.
    bool HoverTest(int32_t x, int32_t y);
    bool PressTest(int32_t x, int32_t y);
    bool ReleaseTest(int32_t x, int32_t y);

    HWND Owner;
    int32_t FontSize;  // caption size in pixels
    int32_t Dpi;       // display scale of the corners and the outline
    bool FillBackground = true;
    bool OutlineAlways;
    bool Rounded;
    ControlCore Core;  // rectangle, visible, state, colours
    wchar_t Caption[kCaptionUnits] = {};
};

class CSkinOption {
  public:
    // Visible, not selected, state Normal, font size 12, the option colour set,
    // box (x, y + 4, h - 8, h - 8), mark (x + 4, y + 8, h - 16, h - 16) and
    // label area (x + h - 6, y, w - h + 6, h); the font size, the insets and
    // the outline scaled to `dpi` (LayOutOption). Sends nothing.
    CSkinOption(HWND owner, const SkinRect& rect, const wchar_t* caption, int32_t dpi = kSkinBaseDpi);
    CSkinOption(const CSkinOption&) = delete;
    CSkinOption& operator=(const CSkinOption&) = delete;

    // As for buttons, with UM_OPTION_REDRAW.
    void SetNormal();
    void SetDisabled();
    void SetVisible(bool visible) { Core.Visible = visible; }
    bool IsVisible() const { return Core.Visible; }
    ControlState State() const { return Core.State; }
    // The checked mark; sends nothing (the language logic repaints).
    void SetSelected(bool selected) { Selected = selected; }
    void SetCaption(const wchar_t* caption);

    // Nothing when invisible; background, box, box outline, the mark when
    // selected, the label left-aligned and vertically centred, and the focus
    // outline around the whole option when focused.
    void Paint(Gdiplus::Graphics& graphics) const;

    // As for buttons, with UM_OPTION_REDRAW and UM_OPTION_CLICKED; hit on the
    // whole rectangle; hover and press change only the box fill and outline.
    bool HoverTest(int32_t x, int32_t y);
    bool PressTest(int32_t x, int32_t y);
    bool ReleaseTest(int32_t x, int32_t y);

    HWND Owner;
    int32_t FontSize = 12;
    int32_t Dpi;
    bool Selected = false;
    ControlCore Core;  // Current.Fill / Outline are the box's
    SkinRect Box;
    SkinRect Mark;
    SkinRect LabelArea;
    wchar_t Caption[kCaptionUnits] = {};
};

class CPathBox {
  public:
    // Empty text, visible, font size 14, text row height = rect height - 2
    // (both, and the text's 5-pixel inset and the outline, scaled to `dpi`);
    // then sends UM_PATHBOX_REDRAW.
    CPathBox(HWND owner, const SkinRect& rect, Argb backgroundColor, Argb textColor, int32_t dpi = kSkinBaseDpi);
    CPathBox(const CPathBox&) = delete;
    CPathBox& operator=(const CPathBox&) = delete;

    // Copies at most 259 units of `text` (null gives an empty text). Sends
    // nothing: the dialog sends UM_PATHBOX_REDRAW afterwards.
    void SetText(const wchar_t* text);

    // Nothing when invisible. Fills the rectangle, draws the text (shortened
    // with CompactPath to w - 10 pixels when too wide; the shortened text
    // replaces Text) in the text colour, and the 0xfe505050 outline at
    // (x, y, w, h), whose right and bottom edges lie one pixel outside.
    void Paint(Gdiplus::Graphics& graphics);

    wchar_t Text[kPathBoxUnits] = {};
    int32_t Visible = 1;
    HWND Owner;
    SkinRect Rect;
    int32_t FontSize = 14;
    int32_t Dpi;
    int32_t TextRowHeight;
    Argb BackgroundColor;
    Argb TextColor;
};
