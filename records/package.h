// In-memory form of the package resource: the file store as a tree of folders
// and files, and the readers that build it from the resource bytes.
//
// Every list is a std::forward_list built by prepending, so each holds its
// entries in the reverse of the order in which they were read. Walk lists from
// their head; "list order" always means this head-first order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <forward_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct InstallerState;
struct PackageFolder;
struct PackageTree;

// Longest text any name, path or string of the package may hold: every text
// lives in a field of 260 UTF-16 units, terminator included.
inline constexpr size_t kMaxTextUnits = 259;

struct PackageFile {
    std::u16string Name;                    // bare file name
    uint32_t Size = 0;                      // DataSize
    const uint8_t* Data = nullptr;          // Size bytes inside the tree's store (see PackageBytes)
    const PackageFolder* Folder = nullptr;  // folder holding the file; null for files of the root
    PackageTree* Tree = nullptr;            // tree the file belongs to
};

struct PackageFolder {
    std::u16string Name;  // path relative to the root, as stored ("driver\USB\i386")
    int32_t FileCount = 0;
    int32_t FolderCount = 0;
    std::forward_list<PackageFile*> Files;     // not owning: the tree's AllFiles owns every file
    std::forward_list<PackageFolder> Folders;  // direct subfolders, owned
    uint32_t ContentOffset = 0;
};

// One per loaded package. Nodes point at each other, so a tree never moves:
// it is created and owned through std::unique_ptr.
struct PackageTree {
    PackageTree() = default;
    // Frees the folder tree level by level: a deeply nested store must not
    // recurse once per level on the call stack.
    ~PackageTree();
    PackageTree(const PackageTree&) = delete;
    PackageTree& operator=(const PackageTree&) = delete;

    std::u16string RootName;
    std::u16string InstallFolder;  // program folder + "\" + RootName until the install sequence replaces it
    int32_t FileCount = 0;
    int32_t FolderCount = 0;
    std::forward_list<PackageFile*> RootFiles;  // not owning
    std::forward_list<PackageFolder> Folders;   // top-level folders, owned
    std::forward_list<PackageFile> AllFiles;    // every file at every depth; owns the files
    std::vector<uint8_t> OwnedStore;            // the store's copy when the tree owns it; else empty
};

// Where the files' bytes live. Copy: the tree keeps one copy of the store, so
// the caller's bytes may go once the tree is built. Borrow: the files point
// into the caller's bytes, which must stay valid and unchanged as long as the
// tree; the installer borrows its own mapped image, sparing the copy of a
// package of many megabytes (fresh memory is slow to fault in under Wine).
enum class PackageBytes { Copy, Borrow };

// The bytes of `file` as an owned vector (for tools and checks).
std::vector<uint8_t> BytesOf(const PackageFile& file);

// Reads a FileStore block (starting at its StoreSize field, `size` bytes
// available). Returns null when the block is invalid: a count, offset, size or
// string that runs past the block, StoreSize larger than `size`, a string over
// kMaxTextUnits, a ContentOffset outside the store, a record whose bytes
// overlap a record read before (a cycle or shared region; empty folders that
// read no records may share an offset), or a name that would escape the
// install folder (file, folder or root name; see package.cpp for the rules).
// `reason` (optional) receives a one-line English explanation on failure.
// InstallFolder gets its first value from ProgramFolder().
std::unique_ptr<PackageTree> BuildPackageTree(const uint8_t* store,
                                              size_t size,
                                              std::string* reason = nullptr,
                                              PackageBytes bytes = PackageBytes::Copy);

// How a script parse ended. Malformed keeps what was read before the fault;
// Invalid means the package as a whole must be rejected (a text too long, or
// a Company or Product that is empty or not a plain folder name).
enum class ScriptParseOutcome { Complete, Malformed, Invalid };

// Reads an InstallScript block (starting at its ScriptSize field, `size`
// bytes available) into the state's script results, against state.Tree.
// Returns false without a tree (nothing changed; `outcome` says Malformed) or
// when the script is malformed or invalid; `outcome` and `reason` (optional)
// tell which and why. A Company or Product that is empty or not a plain name
// is Invalid. A shortcut or desktop-menu command whose display name is not a
// plain name (IsPlainName) is ignored, as one whose file is not found. A
// command whose end byte is wrong still takes effect; the parse stops after it.
bool ParseInstallScript(InstallerState& state,
                        const uint8_t* script,
                        size_t size,
                        ScriptParseOutcome* outcome = nullptr,
                        std::string* reason = nullptr);

// Discards what the state held, checks TotalSize = 4 + ScriptSize + StoreSize
// against each other and against `size`, builds the tree and parses the
// script. Returns false when the package is invalid; the state then holds no
// tree, no script results and an empty Company and Product. A malformed
// script is not a failure: the results read before the fault stay. `how`
// says whether the files' bytes are copied or borrowed from `bytes`.
bool LoadPackage(InstallerState& state,
                 const uint8_t* bytes,
                 size_t size,
                 std::string* reason = nullptr,
                 PackageBytes how = PackageBytes::Copy);

// Finds a file by its package-relative path ("License.txt", ".\License.txt",
// "\License.txt", "driver\USB\i386\x.sys"). Exact, case-sensitive comparison.
// Returns null when no file matches.
const PackageFile* FindPackageFile(const PackageTree& tree, std::u16string_view path);

// Frees every script list and entry and sets MainAppFile, AuxAppFile and
// UninstallerFile to null. Company and Product are left as they are.
void ClearScriptResults(InstallerState& state);

// Where a package file lies on disk: InstallFolder\FolderName\FileName, or
// InstallFolder\FileName for a file of the root. Empty when the file has no
// tree or the path would be longer than kMaxPathUnits.
[[nodiscard]] std::optional<std::u16string> FullPathOfPackageFile(const PackageFile& file);
