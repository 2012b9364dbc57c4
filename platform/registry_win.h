// Registry access shared by the product key and the shell entries. Keys are
// created non-volatile with full access, always in the process's default
// registry view (a 32-bit process thus sees HKLM\SOFTWARE through
// Wow6432Node, as every reader of these keys does). Strings are REG_SZ
// stored with their terminating NUL.
//
// Registry functions return their error instead of setting the thread's last
// error; every helper here that fails also stores that error with
// SetLastError, so a caller can still tell why.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/unique_handle_win.h"

// Longest string a 260-unit field takes back: the field less its terminator.
inline constexpr size_t kMaxRegistryTextUnits = 259;

// Creates `path` below `root`, or opens it when it exists. Empty owner on
// failure.
UniqueKey CreateRegistryKey(HKEY root, const std::u16string& path);

// Opens an existing key. Empty owner on failure.
UniqueKey OpenRegistryKey(HKEY root, const std::u16string& path, REGSAM access);

// Writes `text` as REG_SZ with its terminator (data length (length + 1) x 2).
// `name` null writes the key's default value.
bool SetStringValue(HKEY key, const wchar_t* name, const std::u16string& text);

bool SetDwordValue(HKEY key, const wchar_t* name, DWORD value);

// Reads a value into a 260-unit field, whatever its type. The text ends at the
// first NUL within the returned data, or after the data when it holds none
// (values written without a terminator read the same). Absent when the value
// is missing or longer than kMaxRegistryTextUnits.
std::optional<std::u16string> QueryStringValue(HKEY key, const wchar_t* name);

// The REG_DWORD value `name` of `key`. Absent when the value is missing or of
// another type.
std::optional<uint32_t> QueryDwordValue(HKEY key, const wchar_t* name);

// Deletes the subkey `name` of `key` with its values. Fails (and deletes
// nothing) when the subkey has subkeys of its own.
bool DeleteSubkey(HKEY key, const std::u16string& name);

// A single key name: not empty and without a backslash. An empty name would
// make the helpers above act on the parent key itself.
bool IsPlainKeyName(const std::u16string& name);
