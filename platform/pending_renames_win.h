// Files in use, replaced or deleted when Windows next starts: MoveFileExW
// with MOVEFILE_DELAY_UNTIL_REBOOT appends to PendingFileRenameOperations,
// which the session manager works through, in order, before any program
// runs. Nothing here restarts the machine.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Whether `error`, from a failed open for writing or a failed delete of
// `path`, means that another process holds the file: a sharing violation, a
// mapped file (a loaded library), or an access denied on a file that cannot
// even be opened for deletion without a sharing violation (a running
// program). A read-only file or a folder in its place is not in use.
bool IsFileInUse(DWORD error, const std::u16string& path);

// Replaces `target` with `copy` at the next start (the copy is renamed over
// it). False with the last error set when it cannot be scheduled.
bool ScheduleReplaceAtRestart(const std::u16string& copy, const std::u16string& target);

// Deletes `path` (a file, or a folder that is empty by then) at the next
// start. False with the last error set when it cannot be scheduled.
bool ScheduleDeleteAtRestart(const std::u16string& path);

// Paths in the system folder are scheduled as the files a 32-bit program's
// writes reached (its SysWOW64 twin on 64-bit Windows), and every function
// here names them so.

// Whether the list holds a rename or deletion of `source`.
bool HasPendingRename(const std::u16string& source);

// Takes every scheduled rename or deletion of `source` out of the list again
// and says how many there were; none when the list cannot be read or
// written.
std::optional<size_t> CancelPendingRename(const std::u16string& source);

// The pairs of the list, source then target ("" for a deletion), as stored
// ("\??\" before each path, "!" before a target that is replaced); empty
// when there is no list or it cannot be read.
std::vector<std::u16string> PendingRenamePairs();

// Creates `path` as a new file (never one that exists) holding the `size`
// bytes at `data`. ERROR_SUCCESS, or the error of the failing call; a file
// that could not be written whole is deleted again.
DWORD WriteNewWholeFile(const std::u16string& path, const uint8_t* data, uint32_t size);
