// Keyboard focus on the skinned page: which control holds it, the Tab order,
// the arrow keys of the language pair, and what each key does. Portable: the
// dialog turns virtual keys into FocusKey, says which controls can take the
// focus now, and carries out the outcome.
#pragma once

#include <cstdint>

// The page's focusable parts, in Tab order.
enum class FocusTarget : uint8_t {
    None = 0,
    ChineseOption,
    EnglishOption,
    BrowseButton,
    LicenseLink,
    InstallButton,
    CloseButton,
};

inline constexpr int kFocusTargetCount = 6;  // None excluded

// One bit per target that can take the focus now (visible and enabled).
using FocusMask = uint32_t;
constexpr FocusMask FocusBit(FocusTarget target) {
    return target == FocusTarget::None ? 0u : 1u << static_cast<uint32_t>(target);
}

enum class FocusKey {
    Tab,
    ShiftTab,
    Space,
    Enter,
    Escape,
    Left,
    Up,
    Right,
    Down,
};

// What a key press asks for: the focus afterwards, the target to activate
// (as a click would; None for no activation), and whether the close button's
// action runs (Escape).
struct FocusOutcome {
    FocusTarget Focus = FocusTarget::None;
    FocusTarget Activate = FocusTarget::None;
    bool Close = false;

    bool operator==(const FocusOutcome& other) const {
        return Focus == other.Focus && Activate == other.Activate && Close == other.Close;
    }
};

// Tab moves to the next available target in order, Shift+Tab to the previous
// one, both wrapping; from no focus Tab starts at the first, Shift+Tab at the
// last. Space and Enter activate the focused target when it is available
// (Enter without focus does nothing). Arrows on a language option move the
// focus to the other option and select it, as radio buttons do; elsewhere
// they do nothing. Escape asks for the close button's action and keeps the
// focus. A focus that is no longer available is first moved on (KeptFocus).
FocusOutcome OnFocusKey(FocusTarget focus, FocusKey key, FocusMask available);

// The focus after the page changed: `focus` itself while available, else the
// next available target after it in Tab order, else None.
FocusTarget KeptFocus(FocusTarget focus, FocusMask available);
