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

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/uninstall_log.h"

// The places a found log's records may touch. Empty texts are places that
// could not be resolved; nothing is accepted inside them.
struct RemovalPlaces {
    std::u16string InstallFolder;                 // the folder the log was found in
    std::u16string SystemFolder;                  // system-folder files lie directly in it
    std::vector<std::u16string> ShortcutFolders;  // the user's and the common Programs menu and desktop
    // The log's Add/Remove Programs entry, as the machine holds it, names a
    // place inside InstallFolder (UninstallEntryNamesFolder).
    bool UninstallEntryInFolder = false;
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

// True for a DriverUninstallRecord with an empty path: a driver batch set
// without an uninstall batch, recorded by the installation all the same.
// There is nothing to run, so a removal counts it as done, neither undone
// nor refused.
bool IsEmptyBatchRecord(const ActionRecord& record);

// Plausible records still name things by name, and a planted log can name a
// foreign service, Run value or menu entry that happens to carry a name of
// the product's kind. The tests below compare what the machine holds under
// that name with what the product writes there; the Windows layer reads the
// machine's side (see removal_ownership_win.h).

// `text` with the quotes around its leading program removed: "\"C:\a b\x.exe\" -h"
// gives "C:\a b\x.exe -h"; text without a leading quote, or whose quote is
// never closed, is returned as it is.
std::u16string WithoutProgramQuotes(std::u16string_view text);

// The program a command line starts: the text between its leading quotes
// (absent when the quote is not closed or is followed by anything but a
// blank), or, unquoted, the text up to its first blank, as Windows splits it.
std::optional<std::u16string> CommandProgram(std::u16string_view command);

// True when the program `command` starts lies inside `folder` (see
// IsPathInside): the program as CommandProgram splits it, or, for a command
// without quotes, the whole command, since installers before this one wrote
// program paths with blanks unquoted.
bool IsCommandOfProgramInside(std::u16string_view command, std::u16string_view folder);

// True when a service's configured image path, with its quotes removed, is
// `program` (ASCII letter case ignored).
bool IsImagePathOf(std::u16string_view imagePath, std::u16string_view program);

// True when the data of a Run value is the recorded command, quoted or not
// (ASCII letter case ignored).
bool IsRecordedRunData(std::u16string_view data, std::u16string_view recordedCommand);
