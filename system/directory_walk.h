// What the directory-tree operations do with each entry they enumerate,
// decided from the entry's name and attribute bits alone so that the rules
// hold on every platform and can be checked without a file system.
//
// Links (entries with the reparse-point bit: symbolic links and junctions)
// are never followed: a tree walk that entered one would delete or remove
// things outside the tree it was asked to clean.
#pragma once

#include <cstdint>
#include <string_view>

// Attribute bits as FindFirstFileW reports them.
inline constexpr uint32_t kAttributeDirectory = 0x10;
inline constexpr uint32_t kAttributeReparsePoint = 0x400;
// GetFileAttributesW's failure value (every bit set).
inline constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

enum class EntryAction {
    Leave,       // not touched
    DeleteFile,  // DeleteFileW on the entry (for a file link: the link itself)
    RemoveLink,  // RemoveDirectoryW on the entry: removes a directory link, never its target
    Descend,     // walk the subdirectory, then remove it
};

// DeleteDirectoryTree: every file goes; directories are entered unless their
// name begins with a full stop ("." and ".." among them, and folders such as
// ".cache" that the tree keeps).
EntryAction DeleteTreeAction(std::u16string_view name, uint32_t attributes);

// RemoveEmptyDirectories: no file is deleted; directories as above.
EntryAction RemoveEmptyAction(std::u16string_view name, uint32_t attributes);

// True when `attributes` (as GetFileAttributesW returns them) describe an
// existing link; false for kInvalidAttributes.
bool IsLinkAttributes(uint32_t attributes);
