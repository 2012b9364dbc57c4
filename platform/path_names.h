// Path and name functions on UTF-16 texts: joins bounded to the 260-unit
// path buffers every other layer uses, and the names derived from paths (file name, base name, parent).
//
// All functions are pure: no file system access, no state.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Longest path any join may produce: a MAX_PATH buffer less its terminator.
inline constexpr size_t kMaxPathUnits = 259;

// "a\b" and "a\b\c". Empty when the result would be longer than
// kMaxPathUnits: a path that does not fit is never shortened.
[[nodiscard]] std::optional<std::u16string> JoinPath(std::u16string_view a, std::u16string_view b);
[[nodiscard]] std::optional<std::u16string> JoinPath(std::u16string_view a,
                                                     std::u16string_view b,
                                                     std::u16string_view c);

// The text after the last backslash, or all of `path` when it has none
// ("C:\x\" gives "").
std::u16string FileNameOfPath(std::u16string_view path);

// The file name up to (not including) its first full stop:
// "C:\App\Tool.exe -h" gives "Tool", "Touch Panel 2.1" gives "Touch Panel 2",
// ".hidden" gives "".
std::u16string BaseNameOfPath(std::u16string_view path);

// Ends `path` at its last backslash, except one at index 0: "C:\a\b" becomes
// "C:\a", "C:\" becomes "C:", "\abc" and "abc" stay as they are.
void CutLastPathComponent(std::u16string& path);

// True when `path` ends in ".exe", ASCII letters compared without regard to
// case. False for a text of fewer than four units.
bool HasExeExtension(std::u16string_view path);

// True when "HID" occurs anywhere in `name`, ASCII letters compared without
// regard to case.
bool ContainsHID(std::u16string_view name);

// A single path component that names a file or folder in place: not empty,
// not "." or "..", no separator or colon, and not ending in a full stop or
// blank (Windows strips those, so ".. " would name the parent and "a." would
// name "a"); no wildcard, redirection, quote, control character or percent
// sign (cmd expands one even inside quotes when the path reaches cmd /c); and
// no device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-9, LPT0-9), also
// not with an extension or trailing blanks ("NUL.txt", "com1 ").
bool IsPlainName(std::u16string_view name);
