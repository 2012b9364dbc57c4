// What the directory-tree operations do with each entry they enumerate,
// decided from the entry's name and attribute bits alone so that the rules
// hold on every platform and can be checked without a file system.
//
// Links (entries with the reparse-point bit: symbolic links and junctions)
// are never followed: a tree walk that entered one would delete or remove
// things outside the tree it was asked to clean.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Attribute bits as FindFirstFileW reports them.
inline constexpr uint32_t kAttributeDirectory = 0x10;
inline constexpr uint32_t kAttributeReparsePoint = 0x400;
// GetFileAttributesW's failure value (every bit set).
inline constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

enum class EntryAction {
    Leave,       // not touched
    DeleteFile,  // delete the file (for a file link: the link itself)
    RemoveLink,  // delete a directory link itself, never its target
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

// The walk below runs against this view of a file system so that the same
// rules, and their behaviour while entries change under the walk, can be
// checked without one. Every node is one open entry (on Windows: an open
// handle). Opening never follows a link: a node for a link is the link
// itself, and what it reports is read from the open node, not looked up by
// name again.

// One entry as a directory listing reports it.
struct WalkEntry {
    std::u16string Name;
    uint32_t Attributes = 0;
    uint64_t Id = 0;  // the file system's identity of the entry (its file id)
};

// What an open node reports about itself.
struct WalkNodeInfo {
    uint32_t Attributes = 0;
    uint64_t Id = 0;
};

class WalkNode {
  public:
    virtual ~WalkNode() = default;  // closes the node; a node marked for deletion goes now

    // Attributes and identity of the open entry; empty when they cannot be read.
    virtual std::optional<WalkNodeInfo> Info() = 0;
    // The entries of this open directory ("." and ".." may be among them);
    // empty when it cannot be listed.
    virtual std::vector<WalkEntry> List() = 0;
    // Opens the entry `name` of this directory, relative to this node (never
    // by a path looked up again), without following a link. `forListing`
    // asks for the access that List needs. Null when it cannot be opened.
    virtual std::unique_ptr<WalkNode> OpenChild(const std::u16string& name, bool forListing) = 0;
    // Marks the open entry for deletion. False when refused: a read-only
    // file, a directory that is not empty. A link node deletes the link.
    virtual bool Delete() = 0;
};

using DecideEntry = EntryAction (*)(std::u16string_view name, uint32_t attributes);

// Applies `decide` to every entry below the open `root`, then deletes `root`
// (which is refused harmlessly while anything stayed in it). A root that is
// a directory link is deleted without looking inside; a root that is a file
// is left. Each entry is opened relative to its open parent and acted on only
// when the open node is the entry that was listed (same identity), with the
// action decided again from the open node's own attributes: an entry swapped
// for a link, or turned into one, after it was listed is never entered.
// `rootUnits` is the length of the root's path: entries whose full path
// would exceed kMaxPathUnits are left. Failures are ignored.
void PruneTree(WalkNode& root, size_t rootUnits, DecideEntry decide);
