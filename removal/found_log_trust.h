// What a record of a found log may still do once the folder it was found in
// has been checked (folder_trust.h), decided from facts so that every case can
// be judged natively.
//
// The removal runs elevated. A folder that fails the check (a link stands in
// it or above it, or others can change it) may hold anything its writer
// chose: a batch, a file that is a link to a system file, a copy of a system
// file made to prove a record. So from such a folder nothing is run and
// nothing deleted: only records whose identity the machine itself proves
// outside that folder are undone. A driver uninstall batch is run, in any
// folder, only when it is a .bat the same log records as one of its files.
#pragma once

#include "records/uninstall_log.h"
#include "removal/logged_files.h"
#include "removal/uninstall_plausibility.h"

enum class FoundRecordVerdict {
    MayUndo,           // the remaining checks (IsProductsOwn) decide
    FolderRefused,     // the folder failed its check and the machine does not prove this record
    BatchNotRecorded,  // a batch that is no .bat the log records as its file
};

// True for the kinds whose identity is proven without reading the
// installation folder: a service (its configured program), a Run value (its
// data), a desktop menu entry (its command), a shortcut (its target), a
// folder made inside the Programs or desktop folders, and the product key and
// the Add/Remove Programs entry when that entry names a place inside the
// folder (places.UninstallEntryInFolder: their names alone are the product's
// wherever it lies, and another installation of it may own them). Files,
// batches, system-folder files (proven only by bytes read from the folder)
// and the installation's own folders are not.
bool IsProvenOutsideTheFolder(const ActionRecord& record, const RemovalPlaces& places);

// True when an Add/Remove Programs entry's "InstallLocation" is `folder` or
// lies inside it, or its "UninstallString" (a program path, quoted or not,
// then arguments) starts a program inside `folder`.
bool UninstallEntryNamesFolder(std::u16string_view installLocation,
                               std::u16string_view uninstallString,
                               std::u16string_view folder);

// True when `path` ends in ".bat" (letter case ignored) and `files` records it.
bool IsRecordedBatch(const std::u16string& path, const LoggedFiles& files);

// The verdict on a plausible record (IsPlausibleRecord) of a found log whose
// folder passed its check or not (`folderTrusted`). A DriverUninstallRecord
// with an empty path runs nothing and is never refused here.
FoundRecordVerdict JudgeFoundRecord(const ActionRecord& record,
                                    bool folderTrusted,
                                    const LoggedFiles& files,
                                    const RemovalPlaces& places);
