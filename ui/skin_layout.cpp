#include "ui/skin_layout.h"

bool StrictlyInside(const SkinRect& rect, int32_t x, int32_t y) {
    return x > rect.X && x < rect.X + rect.Width && y > rect.Y && y < rect.Y + rect.Height;
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
    layout.LogoRect = {m, m, ScaledLogoWidth(logoWidth, logoHeight, r), r};
    layout.CloseButtonRect = {w - m - r, m, r, r};
    const SkinRect& logo = layout.LogoRect;
    layout.LanguagePromptRect = {m, logo.Y + logo.Height + 2 * m, w - 2 * m, r};
    const SkinRect& prompt = layout.LanguagePromptRect;
    int32_t x = m + 3;
    for (SkinRect& slot : layout.OptionSlotRect) {
        slot = {x, prompt.Y + prompt.Height + 3, kSkinOptionSlotWidth, r};
        x += kSkinOptionSlotWidth + m;
    }
    const SkinRect& lastSlot = layout.OptionSlotRect[kSkinOptionSlotCount - 1];
    layout.FolderPromptRect = {m, lastSlot.Y + lastSlot.Height + m, w - 2 * m, r};
    const int32_t pathWidth = w - 2 * m - (m + 3) - kSkinBrowseButtonWidth;
    layout.PathBoxRect = {m + 3, layout.FolderPromptRect.Y + r + 3, pathWidth, kSkinPathBoxHeight};
    const SkinRect& path = layout.PathBoxRect;
    layout.BrowseButtonRect = {path.X + path.Width + m, path.Y, kSkinBrowseButtonWidth, kSkinPathBoxHeight};
}

// The bottom: the licence notice row and the status band with Install.
void LayOutBottom(SkinLayout& layout, int32_t w, int32_t h) {
    const int32_t m = layout.Margin;
    const int32_t r = layout.RowHeight;
    const int32_t s = layout.StatusHeight;
    layout.StatusArea = {0, h - s, w, s};
    layout.NoticeRect = {m, h - r - s - 4, w - 2 * m, r};
    layout.InstallButtonRect = {(w - kSkinInstallButtonWidth) / 2,
                                layout.StatusArea.Y + (s - kSkinInstallButtonHeight) / 2, kSkinInstallButtonWidth,
                                kSkinInstallButtonHeight};
}

}  // namespace

SkinLayout ComputeLayout(int32_t clientWidth, int32_t clientHeight, int32_t logoWidth, int32_t logoHeight) {
    SkinLayout layout;
    layout.Margin = kSkinMargin;
    layout.RowHeight = kSkinRowHeight;
    layout.StatusHeight = kSkinStatusHeight;
    layout.ClientArea = {0, 0, clientWidth, clientHeight};
    LayOutTop(layout, clientWidth, logoWidth, logoHeight);
    LayOutBottom(layout, clientWidth, clientHeight);
    return layout;
}
