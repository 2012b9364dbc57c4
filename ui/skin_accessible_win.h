// What the skinned page tells assistive technology (screen readers): the
// window's client area answers WM_GETOBJECT with an IAccessible whose simple
// children are the page's parts, in reading order, each with its name, role
// and state. The names are the page's own texts, in the page's language.
//
// The object calls back into the dialog for a fresh description at every
// question, so it never holds stale state; it runs on the UI thread (the
// thread joins a single-threaded COM apartment on the first question, and
// calls from other processes arrive through the dialog's message loop).
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/language_table.h"
#include "ui/skin_focus.h"
#include "ui/skin_surface_win.h"

// Child ids (1-based, as IAccessible counts them) in reading order.
enum class AccessibleChild : LONG {
    ChineseOption = 1,
    EnglishOption,
    PathBox,
    BrowseButton,
    LicenseLink,
    InstallButton,
    CloseButton,
    StatusBand,
};

struct AccessibleItem {
    LONG Role = 0;  // ROLE_SYSTEM_*
    std::wstring Name;
    std::wstring Value;                      // the path box's path; empty for the others
    LONG State = 0;                          // STATE_SYSTEM_* bits
    SkinRect Rect;                           // client pixels
    FocusTarget Target = FocusTarget::None;  // what its default action activates
};

// The page's parts as the AccessibleChild order lists them. `table` gives the
// names (empty slots give empty names); `langId` picks the close button's
// name, which no slot holds.
std::vector<AccessibleItem> DescribePage(const SkinPage& page,
                                         const LanguageTable& table,
                                         FocusTarget focus,
                                         const std::u16string& installPath,
                                         uint32_t langId);

// Posted to the window when a client asks for an item's default action:
// wParam = the FocusTarget to activate, as Space on it would.
inline constexpr UINT kAccessibleActivateMessage = WM_APP + 3;

class PageAccessible;

// The window's accessible object, made on the first WM_GETOBJECT for the
// client area. Destroy it before the window goes: clients still holding the
// object then get CO_E_OBJNOTCONNECTED.
class PageAccessibility {
  public:
    PageAccessibility(HWND window, std::function<std::vector<AccessibleItem>()> describe);
    ~PageAccessibility();
    PageAccessibility(const PageAccessibility&) = delete;
    PageAccessibility& operator=(const PageAccessibility&) = delete;

    // WM_GETOBJECT: the answer for OBJID_CLIENT, std::nullopt (default
    // processing) for every other object or when COM is not usable.
    std::optional<LRESULT> OnGetObject(WPARAM wParam, LPARAM lParam);

    // Tells listening clients what changed.
    void NotifyFocus(FocusTarget focus) const;
    void NotifyStatusChanged() const;
    void NotifyLanguageChanged() const;

  private:
    HWND window_;
    std::function<std::vector<AccessibleItem>()> describe_;
    PageAccessible* object_ = nullptr;
    bool comJoined_ = false;
};
