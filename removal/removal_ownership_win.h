// Whether what a record of a found uninstall log names is, on this machine,
// the product's own.
//
// IsPlausibleRecord checks a record's text; but services, Run values and menu
// entries are found by name, a system-folder file by its path among the
// system's own, and a shortcut by its file name, so a planted log can name a
// foreign one that fits every rule of the text. These checks look at the
// thing itself before it is removed. They run on the removal of an earlier
// installation, not on the rollback of the installer's own run, which only
// undoes what that very run made.
#pragma once

#include "platform/shell_entries_win.h"
#include "records/uninstall_log.h"
#include "removal/logged_files.h"
#include "removal/uninstall_plausibility.h"

// The Run key a Run entry record names: HKLM's for a MachineRunEntryRecord,
// the current user's for any other.
RunScope RunScopeOf(const ActionRecord& record);

// True when undoing `record`, a plausible record of a found log whose files
// `files` indexes (see IsPlausibleRecord), acts only on what the installation into
// places.InstallFolder made:
// - ServiceRecord: the service named after the program runs that very
//   program (its configured image path, quotes removed, is the record's path);
// - RunEntryRecord, MachineRunEntryRecord: the Run value (HKCU's, HKLM's)
//   holds the recorded command, quoted or not;
// - DesktopMenuRecord: the entry's command starts a program inside the
//   install folder (see IsCommandOfProgramInside);
// - SystemFileRecord: a FileRecord of the log names a file of the same name
//   inside the install folder whose bytes equal the system file's (found
//   through the index, so a log's system files cost no scan of it each);
// - DesktopShortcutRecord, ProgramsShortcutRecord: the link, in the user's
//   or the common Programs menu or desktop, points at a path inside the
//   install folder.
// False for those kinds when the thing is gone or cannot be read: there is
// nothing of the product's to act on. True for every other kind, whose
// plausible records name paths and keys within the product's own places.
bool IsProductsOwn(const ActionRecord& record, const LoggedFiles& files, const RemovalPlaces& places);
