#include "ui/skin_layout.h"

bool StrictlyInside(const SkinRect& rect, int32_t x, int32_t y) {
    return x > rect.X && x < rect.X + rect.Width && y > rect.Y && y < rect.Y + rect.Height;
}

int32_t ScaleForDpi(int32_t value, int32_t dpi) {
    if (dpi <= 0 || dpi == kSkinBaseDpi)
        return value;
    const int64_t scaled = static_cast<int64_t>(value) * dpi;
    const int64_t half = kSkinBaseDpi / 2;
    return static_cast<int32_t>(scaled >= 0 ? (scaled + half) / kSkinBaseDpi : (scaled - half) / kSkinBaseDpi);
}

namespace {

// The logo keeps its proportions at the row height.
int32_t ScaledLogoWidth(int32_t logoWidth, int32_t logoHeight, int32_t rowHeight) {
    if (logoWidth <= 0 || logoHeight <= 0)
        return 0;
    return static_cast<int32_t>(static_cast<int64_t>(logoWidth) * rowHeight / logoHeight);
}

// The top half of the page: logo, close button, prompts, options, path row.
void LayOutTop(SkinLayout& layout, int32_t w, int32_t logoWidth, int32_t logoHeight) {
    const int32_t m = layout.Margin;
    const int32_t r = layout.RowHeight;
    const int32_t gap = ScaleForDpi(kSkinRowGap, layout.Dpi);
    const int32_t slotWidth = ScaleForDpi(kSkinOptionSlotWidth, layout.Dpi);
    const int32_t browseWidth = ScaleForDpi(kSkinBrowseButtonWidth, layout.Dpi);
    const int32_t pathHeight = ScaleForDpi(kSkinPathBoxHeight, layout.Dpi);
    layout.LogoRect = {m, m, ScaledLogoWidth(logoWidth, logoHeight, r), r};
    layout.CloseButtonRect = {w - m - r, m, r, r};
    const SkinRect& logo = layout.LogoRect;
    layout.LanguagePromptRect = {m, logo.Y + logo.Height + 2 * m, w - 2 * m, r};
    const SkinRect& prompt = layout.LanguagePromptRect;
    int32_t x = m + gap;
    for (SkinRect& slot : layout.OptionSlotRect) {
        slot = {x, prompt.Y + prompt.Height + gap, slotWidth, r};
        x += slotWidth + m;
    }
    const SkinRect& lastSlot = layout.OptionSlotRect[kSkinOptionSlotCount - 1];
    layout.FolderPromptRect = {m, lastSlot.Y + lastSlot.Height + m, w - 2 * m, r};
    const int32_t pathWidth = w - 2 * m - (m + gap) - browseWidth;
    layout.PathBoxRect = {m + gap, layout.FolderPromptRect.Y + r + gap, pathWidth, pathHeight};
    const SkinRect& path = layout.PathBoxRect;
    layout.BrowseButtonRect = {path.X + path.Width + m, path.Y, browseWidth, pathHeight};
}

// The bottom: the licence notice row and the status band with Install.
void LayOutBottom(SkinLayout& layout, int32_t w, int32_t h) {
    const int32_t m = layout.Margin;
    const int32_t r = layout.RowHeight;
    const int32_t s = layout.StatusHeight;
    const int32_t installWidth = ScaleForDpi(kSkinInstallButtonWidth, layout.Dpi);
    const int32_t installHeight = ScaleForDpi(kSkinInstallButtonHeight, layout.Dpi);
    layout.StatusArea = {0, h - s, w, s};
    layout.NoticeRect = {m, h - r - s - ScaleForDpi(kSkinNoticeGap, layout.Dpi), w - 2 * m, r};
    layout.InstallButtonRect = {(w - installWidth) / 2, layout.StatusArea.Y + (s - installHeight) / 2, installWidth,
                                installHeight};
}

}  // namespace

SkinLayout ComputeLayout(int32_t clientWidth,
                         int32_t clientHeight,
                         int32_t logoWidth,
                         int32_t logoHeight,
                         int32_t dpi) {
    SkinLayout layout;
    layout.Dpi = dpi > 0 ? dpi : kSkinBaseDpi;
    layout.PenWidth = ScaleForDpi(1, layout.Dpi);
    layout.Margin = ScaleForDpi(kSkinMargin, layout.Dpi);
    layout.RowHeight = ScaleForDpi(kSkinRowHeight, layout.Dpi);
    layout.StatusHeight = ScaleForDpi(kSkinStatusHeight, layout.Dpi);
    layout.ClientArea = {0, 0, clientWidth, clientHeight};
    LayOutTop(layout, clientWidth, logoWidth, logoHeight);
    LayOutBottom(layout, clientWidth, clientHeight);
    return layout;
}

SkinOptionParts LayOutOption(const SkinRect& slot, int32_t dpi) {
    const int32_t inset = ScaleForDpi(4, dpi);
    const int32_t side = slot.Height - 2 * inset;
    const int32_t labelGap = ScaleForDpi(2, dpi);
    SkinOptionParts parts;
    parts.Box = {slot.X, slot.Y + inset, side, side};
    parts.Mark = {slot.X + inset, slot.Y + 2 * inset, slot.Height - 4 * inset, slot.Height - 4 * inset};
    parts.LabelArea = {slot.X + side + labelGap, slot.Y, slot.Width - side - labelGap, slot.Height};
    return parts;
}
