// Which text may name the base folder of an elevated installation. The
// service manager stores the folder's programs for expansion, cmd expands
// `%` even inside quotes, and a relative, network or device path names a
// folder someone else chooses; so a given folder must be an absolute path on
// a local fixed drive, in its canonical form, made of plain names only. Pure:
// the facts come from BaseFolderTextFacts (base_folder_text_win.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

// What Windows says of a folder's text.
struct FolderTextFacts {
    // GetFullPathNameW of the text: the form the folder is used in. Empty
    // when it failed.
    std::u16string FullPath;
    // The drive FullPath starts with is a local fixed drive (GetDriveTypeW).
    bool OnLocalFixedDrive = false;
    // The system's Program Files folder, asked only when FullPath holds a
    // parenthesis ("Program Files (x86)" is the system's own name).
    std::u16string ProgramFiles;
};

// The units refused in every component, besides what IsPlainName refuses:
// cmd's command separators, escape, grouping and expansion characters.
inline constexpr std::u16string_view kCmdSpecialUnits = u"&^()!%";

// The canonical base folder (facts.FullPath) when `text` may name it: the
// text starts with a drive letter, a colon and a separator (no relative, UNC,
// "\\?\" or "%VAR%" path), FullPath has that form too and lies on a local
// fixed drive, and every component of FullPath is a plain name
// (IsPlainName) without any of kCmdSpecialUnits; a parenthesis is allowed
// only inside the leading folders that are the system's Program Files
// folder. A drive root is "D:\". Nothing when the text is refused.
std::optional<std::u16string> CanonicalBaseFolder(std::u16string_view text, const FolderTextFacts& facts);

// Whether `path` holds a parenthesis, so that the Program Files folder must
// be asked before CanonicalBaseFolder can judge it.
bool NeedsProgramFilesFact(std::u16string_view path);
