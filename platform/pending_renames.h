// The list of renames Windows carries out at its next start
// (PendingFileRenameOperations, a REG_MULTI_SZ of source and target pairs)
// and the names of the copies a replacement at restart writes. Pure: the
// registry itself is pending_renames_win.h's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The texts of a REG_MULTI_SZ's units: each up to its NUL, ending at the
// first empty text or at the end of the data (a last text without its NUL
// counts too).
std::vector<std::u16string> SplitMultiString(std::u16string_view units);

// The units of a REG_MULTI_SZ holding `texts`: each with its NUL, and one
// NUL more at the end.
std::u16string JoinMultiString(const std::vector<std::u16string>& texts);

// Takes every pair whose source is `path` out of the list (Windows stores a
// source as "\??\" and the path; sources compare as paths do, without regard
// to case). A last source without its target stays. Returns how many pairs
// went.
size_t RemoveRenamesOf(std::vector<std::u16string>& pairs, std::u16string_view path);

// Whether the list holds a pair whose source is `path`.
bool HasRenameOf(const std::vector<std::u16string>& pairs, std::u16string_view path);

// The name of the copy a replacement at restart writes beside the file it
// replaces: "~tv" and `unique` as four hexadecimal digits, then ".tmp".
std::u16string ReplacementCopyName(uint16_t unique);

// Whether `name` has the form ReplacementCopyName gives (a found log may name
// only such a copy for deletion).
bool IsReplacementCopyName(std::u16string_view name);
