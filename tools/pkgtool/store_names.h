// Rules for the names the package tool puts into a store or a script: what
// the installer can turn into a file or folder inside its install folder.
#pragma once

#include <string>
#include <string_view>

// Checks one plain name (a file name, one folder component, the root name, a
// company or product folder). Returns an empty string when the name is
// usable, otherwise a short English reason ("contains \":\"").
// Rejected: empty, longer than 259 UTF-16 units, "." or "..", control
// characters, any of \ / : * ? " < > |, a trailing dot or blank (Windows
// would silently drop it), and the reserved device names (CON, NUL, COM1...).
std::string CheckPlainName(std::u16string_view name);

// Checks a length limit shared by every text of the package: empty when
// `text` holds at most 259 UTF-16 units, otherwise the reason.
std::string CheckTextLength(std::u16string_view text);
