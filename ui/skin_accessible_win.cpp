#include "ui/skin_accessible_win.h"

#include <objbase.h>

#include <utility>

#include "platform/text_win.h"

namespace {

// Announces changed text in a live region (Windows 8 and later; older
// systems ignore the event). Named here: the SDK level the build targets
// predates it.
constexpr DWORD kEventLiveRegionChanged = 0x8019;

std::wstring SlotName(const LanguageTable& table, LanguageSlot slot) {
    const std::optional<std::u16string>& text = SlotText(table, slot);
    return text ? ToWide(*text) : std::wstring();
}

// A name is read as one line: the band's line break becomes a blank.
std::wstring OneLine(const std::wstring& text) {
    std::wstring line;
    for (wchar_t unit : text) {
        if (unit == L'\r' || unit == L'\n') {
            if (!line.empty() && line.back() != L' ')
                line.push_back(L' ');
            continue;
        }
        line.push_back(unit);
    }
    return line;
}

LONG ControlState(const ControlCore& control) {
    LONG state = 0;
    if (!control.Visible)
        state |= STATE_SYSTEM_INVISIBLE;
    state |= Focusable(control) ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE;
    if (control.Focused)
        state |= STATE_SYSTEM_FOCUSED;
    if (control.State == ControlState::Pressed)
        state |= STATE_SYSTEM_PRESSED;
    if (control.State == ControlState::Hover)
        state |= STATE_SYSTEM_HOTTRACKED;
    return state;
}

AccessibleItem ButtonItem(const CSkinButton* button, std::wstring name, FocusTarget target) {
    if (!button)
        return {ROLE_SYSTEM_PUSHBUTTON, std::move(name), {}, STATE_SYSTEM_UNAVAILABLE, {}, target};
    return {ROLE_SYSTEM_PUSHBUTTON, std::move(name), {}, ControlState(button->Core), button->Core.Rect, target};
}

AccessibleItem OptionItem(const CSkinOption* option, FocusTarget target) {
    if (!option)
        return {ROLE_SYSTEM_RADIOBUTTON, {}, {}, STATE_SYSTEM_UNAVAILABLE, {}, target};
    const LONG state = ControlState(option->Core) | (option->Selected ? STATE_SYSTEM_CHECKED : 0);
    return {ROLE_SYSTEM_RADIOBUTTON, option->Caption, {}, state, option->Core.Rect, target};
}

}  // namespace

std::vector<AccessibleItem> DescribePage(const SkinPage& page,
                                         const LanguageTable& table,
                                         FocusTarget focus,
                                         const std::u16string& installPath,
                                         uint32_t langId) {
    const SkinLayout& layout = page.Layout;
    const LONG linkFocus = focus == FocusTarget::LicenseLink ? STATE_SYSTEM_FOCUSED : 0;
    const SkinRect pathRect = page.PathBox ? page.PathBox->Rect : SkinRect{};
    return {
        OptionItem(page.ChineseOption.get(), FocusTarget::ChineseOption),
        OptionItem(page.EnglishOption.get(), FocusTarget::EnglishOption),
        {ROLE_SYSTEM_TEXT, SlotName(table, LanguageSlot::SelectFolderPrompt), ToWide(installPath),
         STATE_SYSTEM_READONLY, pathRect, FocusTarget::None},
        ButtonItem(page.BrowseButton.get(), SlotName(table, LanguageSlot::BrowseLabel), FocusTarget::BrowseButton),
        {ROLE_SYSTEM_LINK,
         SlotName(table, LanguageSlot::LicenseTitle),
         {},
         STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE | linkFocus,
         layout.LicenseLinkRect,
         FocusTarget::LicenseLink},
        ButtonItem(page.InstallButton.get(), SlotName(table, LanguageSlot::InstallButtonLabel),
                   FocusTarget::InstallButton),
        ButtonItem(page.CloseButton.get(), langId == kLangChinese ? L"关闭" : L"Close", FocusTarget::CloseButton),
        {ROLE_SYSTEM_STATICTEXT,
         OneLine(page.StatusText),
         {},
         STATE_SYSTEM_READONLY,
         layout.StatusArea,
         FocusTarget::None},
    };
}

// A hand-written IAccessible for the client area. IDispatch's own methods
// are not implemented (clients call the vtable, and marshalling uses the
// system's proxy); every question is answered from a fresh description.
class PageAccessible final : public IAccessible {
  public:
    PageAccessible(HWND window, std::function<std::vector<AccessibleItem>()> describe)
        : window_(window), describe_(std::move(describe)) {}

    void Disconnect() { describe_ = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: not offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count)
            *count = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent)
            return E_POINTER;
        if (!describe_)
            return CO_E_OBJNOTCONNECTED;
        return CreateStdAccessibleObject(window_, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count)
            return E_POINTER;
        if (!describe_)
            return CO_E_OBJNOTCONNECTED;
        *count = static_cast<LONG>(describe_().size());
        return S_OK;
    }
    // The children are simple elements, named by id.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        const std::vector<AccessibleItem> items = Items();
        return Lookup(items, child).first == S_OK ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Text(child, name, [this](const AccessibleItem* item) {
            if (item)
                return item->Name;
            wchar_t title[128] = {};
            GetWindowTextW(window_, title, 128);
            return std::wstring(title);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Text(child, value, [](const AccessibleItem* item) { return item ? item->Value : std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return Number(child, role, [](const AccessibleItem* item) { return item ? item->Role : ROLE_SYSTEM_CLIENT; });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return Number(child, state,
                      [](const AccessibleItem* item) { return item ? item->State : STATE_SYSTEM_FOCUSABLE; });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        if (topic)
            *topic = 0;
        return Nothing(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus)
            return E_POINTER;
        VariantInit(focus);
        const std::vector<AccessibleItem> items = Items();
        if (!describe_)
            return CO_E_OBJNOTCONNECTED;
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].State & STATE_SYSTEM_FOCUSED) {
                focus->vt = VT_I4;
                focus->lVal = static_cast<LONG>(i + 1);
                return S_OK;
            }
        }
        if (GetFocus() != window_)
            return S_FALSE;
        focus->vt = VT_I4;
        focus->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection)
            return E_POINTER;
        VariantInit(selection);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        if (!left || !top || !width || !height)
            return E_POINTER;
        const std::vector<AccessibleItem> items = Items();
        auto [result, item] = Lookup(items, child);
        if (result != S_OK)
            return result;
        RECT client = {};
        GetClientRect(window_, &client);
        const SkinRect rect = item ? item->Rect : SkinRect{0, 0, client.right, client.bottom};
        POINT origin = {rect.X, rect.Y};
        ClientToScreen(window_, &origin);
        *left = origin.x;
        *top = origin.y;
        *width = rect.Width;
        *height = rect.Height;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* end) override {
        if (end)
            VariantInit(end);
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
        if (!hit)
            return E_POINTER;
        VariantInit(hit);
        const std::vector<AccessibleItem> items = Items();
        if (!describe_)
            return CO_E_OBJNOTCONNECTED;
        POINT point = {x, y};
        ScreenToClient(window_, &point);
        RECT client = {};
        GetClientRect(window_, &client);
        if (!PtInRect(&client, point))
            return S_FALSE;
        hit->vt = VT_I4;
        hit->lVal = CHILDID_SELF;
        for (size_t i = 0; i < items.size(); ++i) {
            if (!(items[i].State & STATE_SYSTEM_INVISIBLE) && StrictlyInside(items[i].Rect, point.x, point.y))
                hit->lVal = static_cast<LONG>(i + 1);
        }
        return S_OK;
    }
    // Carried out after the call returns, as a click is: the action may run
    // a modal loop (the licence dialog, the folder picker).
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        const std::vector<AccessibleItem> items = Items();
        auto [result, item] = Lookup(items, child);
        if (result != S_OK)
            return result;
        if (!item || item->Target == FocusTarget::None)
            return DISP_E_MEMBERNOTFOUND;
        PostMessageW(window_, kAccessibleActivateMessage, static_cast<WPARAM>(item->Target), 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    ~PageAccessible() = default;

    std::vector<AccessibleItem> Items() const { return describe_ ? describe_() : std::vector<AccessibleItem>(); }

    // S_OK with the item (null for the client area itself), or the failure.
    std::pair<HRESULT, const AccessibleItem*> Lookup(const std::vector<AccessibleItem>& items,
                                                     const VARIANT& child) const {
        if (!describe_)
            return {CO_E_OBJNOTCONNECTED, nullptr};
        if (child.vt != VT_I4)
            return {E_INVALIDARG, nullptr};
        if (child.lVal == CHILDID_SELF)
            return {S_OK, nullptr};
        if (child.lVal < 1 || static_cast<size_t>(child.lVal) > items.size())
            return {E_INVALIDARG, nullptr};
        return {S_OK, &items[static_cast<size_t>(child.lVal) - 1]};
    }

    template <typename Get>
    HRESULT Text(const VARIANT& child, BSTR* out, Get get) const {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        const std::vector<AccessibleItem> items = Items();
        auto [result, item] = Lookup(items, child);
        if (result != S_OK)
            return result;
        const std::wstring text = get(item);
        if (text.empty())
            return S_FALSE;
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    template <typename Get>
    HRESULT Number(const VARIANT& child, VARIANT* out, Get get) const {
        if (!out)
            return E_POINTER;
        VariantInit(out);
        const std::vector<AccessibleItem> items = Items();
        auto [result, item] = Lookup(items, child);
        if (result != S_OK)
            return result;
        out->vt = VT_I4;
        out->lVal = get(item);
        return S_OK;
    }

    static HRESULT Nothing(BSTR* out) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return S_FALSE;
    }

    HWND window_;
    std::function<std::vector<AccessibleItem>()> describe_;
    ULONG references_ = 1;
};

PageAccessibility::PageAccessibility(HWND window, std::function<std::vector<AccessibleItem>()> describe)
    : window_(window), describe_(std::move(describe)) {}

PageAccessibility::~PageAccessibility() {
    if (object_) {
        object_->Disconnect();
        CoDisconnectObject(object_, 0);
        object_->Release();
    }
    if (comJoined_)
        CoUninitialize();
}

std::optional<LRESULT> PageAccessibility::OnGetObject(WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT)
        return std::nullopt;
    if (!object_) {
        // Marshalling the object to another process needs an apartment.
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comJoined_ = SUCCEEDED(com);
        if (!comJoined_ && com != RPC_E_CHANGED_MODE)
            return std::nullopt;
        object_ = new PageAccessible(window_, describe_);
    }
    return LresultFromObject(__uuidof(IAccessible), wParam, object_);
}

void PageAccessibility::NotifyFocus(FocusTarget focus) const {
    const std::vector<AccessibleItem> items = describe_();
    for (size_t i = 0; i < items.size(); ++i) {
        if (focus != FocusTarget::None && items[i].Target == focus) {
            NotifyWinEvent(EVENT_OBJECT_FOCUS, window_, OBJID_CLIENT, static_cast<LONG>(i + 1));
            return;
        }
    }
    NotifyWinEvent(EVENT_OBJECT_FOCUS, window_, OBJID_CLIENT, CHILDID_SELF);
}

void PageAccessibility::NotifyStatusChanged() const {
    const LONG status = static_cast<LONG>(AccessibleChild::StatusBand);
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT, status);
    NotifyWinEvent(kEventLiveRegionChanged, window_, OBJID_CLIENT, status);
}

void PageAccessibility::NotifyLanguageChanged() const {
    const auto id = [](AccessibleChild child) { return static_cast<LONG>(child); };
    for (LONG child : {id(AccessibleChild::ChineseOption), id(AccessibleChild::EnglishOption)})
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window_, OBJID_CLIENT, child);
    // The parts named from the language table.
    for (LONG child = id(AccessibleChild::PathBox); child <= id(AccessibleChild::CloseButton); ++child)
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT, child);
}
