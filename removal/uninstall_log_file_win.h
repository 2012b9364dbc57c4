// The uninstall log as a file: read whole or tolerantly, and written whole.
// Paths are used as given.
#pragma once

#include <string>

#include "records/uninstall_log.h"

// Loads the file at `path` into `log`, replacing what it held. False when the
// file cannot be opened or read, or is damaged (see ParseUninstallLog; a file
// over kMaxLogBytes is not read at all); the
// log then has empty header texts and no records.
[[nodiscard]] bool LoadUninstallLog(UninstallLog& log, const std::u16string& path);

// ParseUninstallLogPrefix of the file at `path`; Unreadable when the file
// cannot be opened or read.
[[nodiscard]] LogPrefixParse LoadUninstallLogPrefix(UninstallLog& log, const std::u16string& path);

// Appends a FileRecord of `path` (so the log's own file is always its newest
// record, and it stays appended whatever happens next), then writes the image
// to `path`, replacing an existing file. False when the image cannot be
// formed, the file cannot be created, or the image was not written completely
// (the partial file is then deleted).
bool SaveUninstallLog(UninstallLog& log, const std::u16string& path);
