// The keyboard focus on the page's Windows controls: which controls can take
// it, showing it (the focus outlines), and the keys it answers to. The rules
// themselves are portable (ui/skin_focus.h). UI thread only.
#pragma once

#include <windows.h>

#include <optional>

#include "config/language_table.h"
#include "ui/skin_focus.h"
#include "ui/skin_surface_win.h"

// The targets that can take the focus now: the visible, enabled controls,
// and the licence link, which stays active in every visible state.
FocusMask AvailableFocus(const SkinPage& page);

// The pointer logic record of a button or option target; null for the link,
// None, or before CreateControls.
ControlCore* ControlOfTarget(const SkinPage& page, FocusTarget target);

// Moves the focus outline to `focus` (None: no outline): each control whose
// focus changes repaints itself, and the link is repainted with the page
// texts of `table` when its outline changes.
void ShowFocus(SkinPage& page, FocusTarget focus, const LanguageTable& table);

// The page's key for a WM_KEYDOWN virtual key, Shift read from the key state
// of the message; std::nullopt for every other key (Alt+F4 among them).
std::optional<FocusKey> FocusKeyOf(WPARAM virtualKey);
