#include "ui/skin_focus_win.h"

#include <memory>

namespace {

// The targets that are controls (every one but the licence link).
constexpr FocusTarget kControlTargets[] = {FocusTarget::ChineseOption, FocusTarget::EnglishOption,
                                           FocusTarget::BrowseButton, FocusTarget::InstallButton,
                                           FocusTarget::CloseButton};

}  // namespace

FocusMask AvailableFocus(const SkinPage& page) {
    FocusMask mask = FocusBit(FocusTarget::LicenseLink);
    for (FocusTarget target : kControlTargets) {
        const ControlCore* control = ControlOfTarget(page, target);
        if (control && Focusable(*control))
            mask |= FocusBit(target);
    }
    return mask;
}

ControlCore* ControlOfTarget(const SkinPage& page, FocusTarget target) {
    switch (target) {
        case FocusTarget::ChineseOption:
            return page.ChineseOption ? &page.ChineseOption->Core : nullptr;
        case FocusTarget::EnglishOption:
            return page.EnglishOption ? &page.EnglishOption->Core : nullptr;
        case FocusTarget::BrowseButton:
            return page.BrowseButton ? &page.BrowseButton->Core : nullptr;
        case FocusTarget::InstallButton:
            return page.InstallButton ? &page.InstallButton->Core : nullptr;
        case FocusTarget::CloseButton:
            return page.CloseButton ? &page.CloseButton->Core : nullptr;
        default:
            return nullptr;
    }
}

void ShowFocus(SkinPage& page, FocusTarget focus, const LanguageTable& table) {
    for (FocusTarget target : kControlTargets) {
        if (ControlCore* control = ControlOfTarget(page, target))
            SetFocused(*control, target == focus);  // a change asks the owner for a repaint
    }
    const bool linkFocused = focus == FocusTarget::LicenseLink;
    if (page.LinkFocused == linkFocused)
        return;
    page.LinkFocused = linkFocused;
    if (std::unique_ptr<Gdiplus::Graphics> graphics = OpenDrawingContext(page))
        DrawPageTexts(*graphics, page, table);
    CopySurfaceToWindow(page);
}

std::optional<FocusKey> FocusKeyOf(WPARAM virtualKey) {
    switch (virtualKey) {
        case VK_TAB:
            return GetKeyState(VK_SHIFT) < 0 ? FocusKey::ShiftTab : FocusKey::Tab;
        case VK_SPACE:
            return FocusKey::Space;
        case VK_RETURN:
            return FocusKey::Enter;
        case VK_ESCAPE:
            return FocusKey::Escape;
        case VK_LEFT:
            return FocusKey::Left;
        case VK_UP:
            return FocusKey::Up;
        case VK_RIGHT:
            return FocusKey::Right;
        case VK_DOWN:
            return FocusKey::Down;
        default:
            return std::nullopt;
    }
}
