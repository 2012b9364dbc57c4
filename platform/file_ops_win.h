// Disk operations of an installation and a removal: existence tests,
// deleting and pruning directory trees, and the shell folders they use.
//
// Paths are full UTF-16 paths of at most kMaxPathUnits units, used exactly as
// given (no normalisation, no long-path prefix). None of the operations keeps
// state; failures of directory creation and of deletes are not reported, so
// undoing what is not there is harmless and every operation can run again.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/directory_walk.h"

// True when a file or directory named `path` exists (FindFirstFileW on the
// path as given, no pattern appended).
bool PathExists(const std::u16string& path);

// The long form of `path` (GetLongPathNameW) when it holds a "~", as every
// 8.3 short name the system makes does, and names something that exists;
// `path` itself otherwise. Paths without one are not looked up: a removal
// meets thousands of them, and under Wine each lookup lists a folder.
std::u16string LongPathOf(const std::u16string& path);

// Creates the last component of `path` when nothing of that name exists; its
// parent must exist. An existing file of that name is left alone.
void EnsureDirectory(const std::u16string& path);

// Opens `path` for a tree walk (PruneTree) without following a link: the
// node of a link is the link. Children are opened relative to their parent's
// handle, listed and deleted through their own handles. A directory that
// another process holds open without sharing deletion is opened for listing
// only: it is emptied and stays. Null when `path` cannot be opened.
std::unique_ptr<WalkNode> OpenWalkRoot(const std::u16string& path);

// Deletes every file and subdirectory below `path`, then `path` itself.
// Directories whose names begin with a full stop are kept (and therefore so
// is every directory above them); read-only files stay. Links are removed, not
// followed; when `path` itself is a directory link only the link goes. Every
// entry is acted on through a handle that was checked not to be a link, so
// an entry swapped for a link while the walk runs is never entered.
void DeleteDirectoryTree(const std::u16string& path);

// Writes `bytes` as a new file `name` (a plain name) in the existing
// directory `folder`. The folder is opened without following a link and must
// be a directory that is not a link; whatever held the name before (a file,
// or a link: the link itself) is deleted through its own handle, and the file
// is created anew relative to the folder's handle, so a link planted at any
// step is never followed. False, with the last error set, when the folder is
// missing or a link, the name is held by a directory or a read-only file, or
// fewer bytes were written (the partial file is deleted).
bool WriteNewFileInFolder(const std::u16string& folder, const std::u16string& name, const std::vector<uint8_t>& bytes);

// A shell folder (a CSIDL value) as a path, created when `create` is set and
// it is missing. Empty when the shell cannot resolve it: callers then skip
// what they would have done there, rather than work from a drive's root.
std::optional<std::u16string> ShellFolder(int csidl, bool create);

// The shared documents folder, as ShellFolder(CSIDL_COMMON_DOCUMENTS) gives
// it, read from the registry where the shell keeps it so that the shell need
// not be loaded; the shell is asked only when that value is missing or not a
// path on a drive. Empty when neither resolves it.
std::optional<std::u16string> CommonDocumentsFolder();

// The panel program's configuration folder: the shared documents folder
// followed by the product's folder name. Empty when the shared documents
// folder cannot be resolved or the path would not fit kMaxPathUnits.
std::optional<std::u16string> PanelConfigFolder();

// Removes `path` and every directory below it that holds no file; deletes no
// file. Directories whose names begin with a full stop are kept. A directory
// link is removed, never entered; as for DeleteDirectoryTree, each directory
// is checked, entered and removed through one handle.
void RemoveEmptyDirectories(const std::u16string& path);
