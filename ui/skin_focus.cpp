#include "ui/skin_focus.h"

namespace {

bool Available(FocusTarget target, FocusMask available) {
    return (FocusBit(target) & available) != 0;
}

// The target `step` places after `from` in the wrapping Tab order; from None
// the order starts just before the first (forward) or after the last.
FocusTarget Step(FocusTarget from, int step) {
    int index = from == FocusTarget::None ? (step > 0 ? 0 : kFocusTargetCount + 1) : static_cast<int>(from);
    index += step;
    index = (index - 1 + kFocusTargetCount) % kFocusTargetCount + 1;
    return static_cast<FocusTarget>(index);
}

FocusTarget Move(FocusTarget from, int step, FocusMask available) {
    FocusTarget at = from;
    for (int i = 0; i < kFocusTargetCount; ++i) {
        at = Step(at, step);
        if (Available(at, available))
            return at;
    }
    return FocusTarget::None;
}

bool IsOption(FocusTarget target) {
    return target == FocusTarget::ChineseOption || target == FocusTarget::EnglishOption;
}

FocusOutcome Arrow(FocusTarget focus, FocusMask available) {
    if (!IsOption(focus))
        return {focus, FocusTarget::None, false};
    const FocusTarget other =
        focus == FocusTarget::ChineseOption ? FocusTarget::EnglishOption : FocusTarget::ChineseOption;
    if (!Available(other, available))
        return {focus, FocusTarget::None, false};
    return {other, other, false};
}

}  // namespace

FocusTarget KeptFocus(FocusTarget focus, FocusMask available) {
    if (focus == FocusTarget::None || Available(focus, available))
        return focus;
    return Move(focus, 1, available);
}

FocusOutcome OnFocusKey(FocusTarget focus, FocusKey key, FocusMask available) {
    focus = KeptFocus(focus, available);
    switch (key) {
        case FocusKey::Tab:
            return {Move(focus, 1, available), FocusTarget::None, false};
        case FocusKey::ShiftTab:
            return {Move(focus, -1, available), FocusTarget::None, false};
        case FocusKey::Space:
        case FocusKey::Enter:
            return {focus, focus, false};
        case FocusKey::Escape:
            return {focus, FocusTarget::None, true};
        case FocusKey::Left:
        case FocusKey::Up:
        case FocusKey::Right:
        case FocusKey::Down:
            return Arrow(focus, available);
    }
    return {focus, FocusTarget::None, false};
}
