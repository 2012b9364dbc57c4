// The Win32 boundary of the portable texts: on Windows wchar_t and char16_t
// are both 16-bit UTF-16 code units, so a text crosses the boundary by a
// plain copy (or a view of the same units) with no conversion.
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Win32 layer needs a 16-bit wchar_t");

// Copies the units of a portable text into a Win32 text.
inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// Copies the units of a Win32 text into a portable text.
inline std::u16string FromWide(std::wstring_view text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// Borrows a NUL-terminated wchar_t view of `text`; valid while `text` lives
// unchanged.
inline const wchar_t* WidePtr(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
