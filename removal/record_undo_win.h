// Undoing the records whose undo is the same in a rollback and in a removal
// of an earlier installation: the product key, shortcuts, shell entries,
// system-folder files and shortcut folders. Files, driver batches and
// services are left to the caller, which reports or prepares them in its own
// way.
#pragma once

#include "records/uninstall_log.h"

// Undoes `record` when it is of one of the kinds above and returns true;
// returns false, doing nothing, for every other kind. Failures are ignored:
// what is already gone stays gone, and a folder that is not empty stays.
bool UndoEntryRecord(const ActionRecord& record);

// Removes, newest first, every recorded directory that is empty by now. The
// base folders an installation made are older than its install folder, so
// they can only go once that folder is gone: callers run this last.
void RemoveRecordedDirectories(const ActionRecordList& records);
