// The pointer logic shared by the skinned buttons and language options: the
// four states, the colours each state uses, and the hover, press and release
// tests with the notifications they send; and their keyboard focus flag and
// activation (the focus order is in ui/skin_focus.h). Portable: the Windows
// controls wrap this record and turn the notifications into window messages.
#pragma once

#include <cstdint>

#include "ui/skin_layout.h"

// 32-bit ARGB. Every colour the window draws carries alpha 0xfe.
using Argb = uint32_t;

// Value of every colour field before a colour set is filled in.
inline constexpr Argb kUnsetColor = 0xff000000;
// The keyboard focus outline: the skin's highlight (the hover outline).
inline constexpr Argb kFocusOutlineColor = 0xfe27a0fd;

enum class ControlState : int32_t {
    Normal = 0,
    Hover = 1,
    Disabled = 2,
    Pressed = 3,
};

// The three colours a control paints with. For an option, Fill and Outline
// are those of its box.
struct ControlColors {
    Argb Text = kUnsetColor;
    Argb Fill = kUnsetColor;
    Argb Outline = kUnsetColor;
};

// Everything a control may switch to. Hover and press change only the fill
// and the outline, never the text colour.
struct ControlColorSet {
    ControlColors Normal;
    ControlColors Disabled;
    Argb FillHover = kUnsetColor;
    Argb FillPressed = kUnsetColor;
    Argb OutlineHover = kUnsetColor;
    Argb OutlinePressed = kUnsetColor;
};

enum class ControlNotice {
    Redraw,   // the control's look changed: repaint it
    Clicked,  // a release inside the visible, enabled control
};

// Receives the notifications, with the context given to the control. Called
// synchronously from within the tests and the state setters.
using ControlNotify = void (*)(void* context, ControlNotice notice);

struct ControlCore {
    SkinRect Rect;
    bool Visible = true;
    ControlState State = ControlState::Normal;
    ControlColors Current;
    ControlColorSet Colors;
    ControlNotify Notify = nullptr;  // null: no notifications
    void* NotifyContext = nullptr;
    bool Focused = false;  // holds the keyboard focus: painted with a focus outline
};

// The colour sets of the window's controls.
ControlColorSet ButtonColorSet(Argb baseColor);  // browse, close and Install buttons
ControlColorSet OptionColorSet();                // the language options

// Current = the normal colours, state Normal; notifies Redraw.
void SetNormal(ControlCore& control);
// Current = the disabled colours, state Disabled; notifies Redraw.
void SetDisabled(ControlCore& control);

// Pointer tests with (x, y) in client pixels; each returns whether the
// control counts as hit. An invisible control is never hit and never changes.
// A disabled control is hit when the point is strictly inside, and never
// changes or notifies.
//
// HoverTest: inside: a Normal control turns Hover (fill and outline hover,
// Redraw); true in every state. Outside: a Hover control turns Normal
// (Redraw); false.
bool HoverTest(ControlCore& control, int32_t x, int32_t y);
// PressTest: inside: Pressed (fill and outline pressed, Redraw); true.
// Outside: false, no change.
bool PressTest(ControlCore& control, int32_t x, int32_t y);
// ReleaseTest: inside: Normal (Redraw), then Clicked; true. Outside: a Pressed
// control turns Normal (Redraw); false. A click is reported for any release
// inside, whatever the press began on.
bool ReleaseTest(ControlCore& control, int32_t x, int32_t y);

// Keyboard. A control can take the focus while it is visible and enabled.
bool Focusable(const ControlCore& control);
// Sets the focus flag; notifies Redraw when it changed.
void SetFocused(ControlCore& control, bool focused);
// Space or Enter on the control: a focusable control notifies Clicked, as a
// release inside would, and returns true; otherwise nothing happens (false).
bool KeyActivate(ControlCore& control);
