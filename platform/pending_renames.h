// The list of renames Windows carries out at its next start
// (PendingFileRenameOperations, a REG_MULTI_SZ of source and target pairs)
// and the names of the copies a replacement at restart writes. Pure: the
// registry itself is pending_renames_win.h's.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The texts of a REG_MULTI_SZ's units, each up to its NUL, over the whole
// data: an empty text is kept (a deletion's target in the rename list is
// one), and only the single NUL that ends the list is not a text. A last
// text without its NUL counts too.
std::vector<std::u16string> SplitMultiString(std::u16string_view units);

// The units of a REG_MULTI_SZ holding `texts`: each with its NUL, and one
// NUL more at the end.
std::u16string JoinMultiString(const std::vector<std::u16string>& texts);

// Takes every pair whose source is `path` out of the list (Windows stores a
// source as "\??\" and the path; sources compare as paths do, without regard
// to case). A last source without its target stays. Returns how many pairs
// went.
size_t RemoveRenamesOf(std::vector<std::u16string>& pairs, std::u16string_view path);

// How the rename list is read and written: `Read` gives the value's units
// ("" when there is none, nothing when it cannot be read); `Write` stores
// units, or removes the value when given "", and says whether it did.
struct RenameListAccess {
    std::function<std::optional<std::u16string>()> Read;
    std::function<bool(const std::u16string&)> Write;
};

// Takes every pair whose source is `path` out of the list, leaving every
// other text as it was. Other programs add to the list at any time, so the
// list is written only when a read just before the write still gives what
// the pairs were taken from; after a few changed reads it gives up. Returns
// how many pairs went (0 writes nothing), or nothing when the list could not
// be read, kept changing or could not be written.
std::optional<size_t> CancelRenamesOf(const RenameListAccess& list, std::u16string_view path);

// Whether the list holds a pair whose source is `path`.
bool HasRenameOf(const std::vector<std::u16string>& pairs, std::u16string_view path);

// The name of the copy a replacement at restart writes beside the file it
// replaces: "~tv" and `unique` as four hexadecimal digits, then ".tmp".
std::u16string ReplacementCopyName(uint16_t unique);

// Whether `name` has the form ReplacementCopyName gives (a found log may name
// only such a copy for deletion).
bool IsReplacementCopyName(std::u16string_view name);
