// Which parts of an uninstall log found on disk may be acted on.
//
// A removal runs elevated and acts on a file that may lie in a folder
// ordinary users can write to. So a found log is acted on only when its
// header names the very folder it was found in, and each record is undone
// only when it fits what an installation of this product writes there: a
// planted log can then at worst remove things of this product's own kind
// inside this product's own places. Every log an installation writes passes.
//
// Paths are compared without regard to ASCII letter case (Windows paths are
// case-insensitive; other letters must match exactly, which can only refuse
// more, never less).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/uninstall_log.h"

// The places a found log's records may touch. Empty texts are places that
// could not be resolved; nothing is accepted inside them.
struct RemovalPlaces {
    std::u16string InstallFolder;                 // the folder the log was found in
    std::u16string SystemFolder;                  // system-folder files lie directly in it
    std::vector<std::u16string> ShortcutFolders;  // Programs menu and desktop folders
};

// True when `a` and `b` are equal with ASCII letters compared without regard
// to case.
bool EqualPathText(std::u16string_view a, std::u16string_view b);

// True when `path` lies below `folder`: folder, a backslash, then one or more
// plain names (see IsPlainName) joined by backslashes. False for an empty
// folder.
bool IsPathInside(std::u16string_view path, std::u16string_view folder);

// True when `path` is `baseFolder` or one of the folders above it, short of
// a drive root (ASCII letter case ignored).
bool IsBaseFolderOrAbove(std::u16string_view path, std::u16string_view baseFolder);

// True when the log's header names `folder`: BaseFolder\Company\Product equals
// it, and Company and Product are plain names.
bool LogHeaderNamesFolder(const UninstallLog& log, std::u16string_view folder);

// True when the record is one that an installation of this product into
// places.InstallFolder writes, so undoing it stays within the product's own
// files, services, shortcuts and entries. Records that a removal does nothing
// for (ServiceStartedRecord, unknown types) give false.
bool IsPlausibleRecord(const ActionRecord& record, const UninstallLog& log, const RemovalPlaces& places);
