#include "platform/registry_win.h"

#include <algorithm>
#include <string_view>

#include "platform/text_win.h"

namespace {

// Registry calls report their error as a result; keep it as the last error too.
bool Succeeded(LSTATUS status) {
    if (status == ERROR_SUCCESS)
        return true;
    SetLastError(static_cast<DWORD>(status));
    return false;
}

}  // namespace

UniqueKey CreateRegistryKey(HKEY root, const std::u16string& path) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(root, WidePtr(path), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                     &key, nullptr);
    return UniqueKey(Succeeded(status) ? key : nullptr);
}

UniqueKey OpenRegistryKey(HKEY root, const std::u16string& path, REGSAM access) {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(root, WidePtr(path), 0, access, &key);
    return UniqueKey(Succeeded(status) ? key : nullptr);
}

bool SetStringValue(HKEY key, const wchar_t* name, const std::u16string& text) {
    // RegSetValueExW wants the terminator inside the data length; a string
    // stored without one is read back with whatever follows it by readers
    // that trust REG_SZ to be terminated.
    DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
    return Succeeded(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes));
}

bool SetDwordValue(HKEY key, const wchar_t* name, DWORD value) {
    return Succeeded(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)));
}

std::optional<std::u16string> QueryStringValue(HKEY key, const wchar_t* name) {
    // RegQueryValueExW neither adds a missing terminator nor strips a stored
    // one: the returned data may end in a NUL or not, and a value that fills
    // the whole field leaves no room to add one.
    wchar_t field[kMaxRegistryTextUnits + 1];
    DWORD bytes = sizeof(field);
    if (!Succeeded(RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(field), &bytes)))
        return std::nullopt;
    std::wstring_view data(field, std::min<size_t>(bytes / sizeof(wchar_t), kMaxRegistryTextUnits + 1));
    std::wstring_view text = data.substr(0, data.find(L'\0'));
    if (text.size() > kMaxRegistryTextUnits)
        return std::nullopt;
    return FromWide(text);
}

std::optional<uint32_t> QueryDwordValue(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    if (!Succeeded(RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes)) ||
        type != REG_DWORD || bytes != sizeof(value))
        return std::nullopt;
    return value;
}

bool DeleteSubkey(HKEY key, const std::u16string& name) {
    return Succeeded(RegDeleteKeyW(key, WidePtr(name)));
}

bool IsPlainKeyName(const std::u16string& name) {
    return !name.empty() && name.find(u'\\') == std::u16string::npos;
}
