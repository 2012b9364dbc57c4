#include "ui/skin_control_state.h"

namespace {

// Colours shared by buttons and options.
constexpr Argb kTextDisabled = 0xfe585858;
constexpr Argb kOutlineNormal = 0xfea0a0a0;
constexpr Argb kOutlineDisabled = 0xfe414141;
constexpr Argb kFillHover = 0xfe424242;
constexpr Argb kFillPressed = 0xfe343434;
constexpr Argb kOutlineHover = kFocusOutlineColor;  // the skin's one highlight
constexpr Argb kOutlinePressed = 0xfe3ca9fd;

ControlColorSet ColorSet(Argb textNormal, Argb fillNormal, Argb fillDisabled) {
    ControlColorSet set;
    set.Normal = {textNormal, fillNormal, kOutlineNormal};
    set.Disabled = {kTextDisabled, fillDisabled, kOutlineDisabled};
    set.FillHover = kFillHover;
    set.FillPressed = kFillPressed;
    set.OutlineHover = kOutlineHover;
    set.OutlinePressed = kOutlinePressed;
    return set;
}

void Send(ControlCore& control, ControlNotice notice) {
    if (control.Notify)
        control.Notify(control.NotifyContext, notice);
}

// Hover and press keep the text colour.
void Switch(ControlCore& control, ControlState state, Argb fill, Argb outline) {
    control.State = state;
    control.Current.Fill = fill;
    control.Current.Outline = outline;
    Send(control, ControlNotice::Redraw);
}

}  // namespace

ControlColorSet ButtonColorSet(Argb baseColor) {
    return ColorSet(0xfeffffff, baseColor, baseColor);
}

ControlColorSet OptionColorSet() {
    return ColorSet(0xfec8c8c8, 0xfe2d2d2d, 0xfe2d2d2d);
}

void SetNormal(ControlCore& control) {
    control.Current = control.Colors.Normal;
    control.State = ControlState::Normal;
    Send(control, ControlNotice::Redraw);
}

void SetDisabled(ControlCore& control) {
    control.Current = control.Colors.Disabled;
    control.State = ControlState::Disabled;
    Send(control, ControlNotice::Redraw);
}

bool HoverTest(ControlCore& control, int32_t x, int32_t y) {
    if (!control.Visible)
        return false;
    const bool inside = StrictlyInside(control.Rect, x, y);
    if (control.State == ControlState::Disabled)
        return inside;
    if (inside) {
        if (control.State == ControlState::Normal)
            Switch(control, ControlState::Hover, control.Colors.FillHover, control.Colors.OutlineHover);
        return true;
    }
    if (control.State == ControlState::Hover)
        SetNormal(control);
    return false;
}

bool PressTest(ControlCore& control, int32_t x, int32_t y) {
    if (!control.Visible)
        return false;
    const bool inside = StrictlyInside(control.Rect, x, y);
    if (control.State == ControlState::Disabled || !inside)
        return inside;
    Switch(control, ControlState::Pressed, control.Colors.FillPressed, control.Colors.OutlinePressed);
    return true;
}

bool ReleaseTest(ControlCore& control, int32_t x, int32_t y) {
    if (!control.Visible)
        return false;
    const bool inside = StrictlyInside(control.Rect, x, y);
    if (control.State == ControlState::Disabled)
        return inside;
    if (inside) {
        SetNormal(control);
        Send(control, ControlNotice::Clicked);
        return true;
    }
    if (control.State == ControlState::Pressed)
        SetNormal(control);
    return false;
}

bool Focusable(const ControlCore& control) {
    return control.Visible && control.State != ControlState::Disabled;
}

void SetFocused(ControlCore& control, bool focused) {
    if (control.Focused == focused)
        return;
    control.Focused = focused;
    Send(control, ControlNotice::Redraw);
}

bool KeyActivate(ControlCore& control) {
    if (!Focusable(control))
        return false;
    Send(control, ControlNotice::Clicked);
    return true;
}
