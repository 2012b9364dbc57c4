// The uninstall log as a journal: while an installation runs, uninstall.log
// in the installation folder lists every action that may have been done,
// each record on disk (written and flushed) before the action it describes.
// A run killed at any instant thus leaves a log that the next installation's
// removal, or the uninstaller, undoes. The format is the log's own; a record
// cut in half by a kill is the only damage the journal itself can show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/unique_handle_win.h"
#include "records/uninstall_log.h"

struct UninstallJournal {
    UniqueFile File;
    std::u16string Path;
    std::vector<uint64_t> RecordStarts;  // file offset of each journaled record, oldest first
    uint64_t End = 0;                    // size of the journal on disk
};

// Creates (replacing) the journal at `path` with `log`'s header and every
// record `log` holds so far, flushed. False when the file cannot be made or
// written; the journal is then closed and every later call is a no-op.
bool StartJournal(UninstallJournal& journal, const std::u16string& path, const UninstallLog& log);

bool IsJournalOpen(const UninstallJournal& journal);

// Appends one record and flushes it to disk. False (the journal closed) when
// it cannot be written.
bool JournalRecord(UninstallJournal& journal, uint8_t type, const uint8_t* data, uint32_t size);

// Appends records of one type (each Data given whole) in one write and one
// flush: for actions about to follow one another, such as the package's
// files. False (the journal closed) when they cannot be written.
bool JournalRecords(UninstallJournal& journal, uint8_t type, const std::vector<std::vector<uint8_t>>& records);

// How many records the journal holds (those of the log it started with
// included).
size_t JournalRecordCount(const UninstallJournal& journal);

// Takes back the record at `index` (oldest is 0) and every newer one: the
// file ends before it again, flushed. Nothing happens for an index past the
// newest.
void TakeBackRecordsFrom(UninstallJournal& journal, size_t index);

// Takes the newest journaled record back (the file ends before it again),
// flushed: for an action that failed or turned out not to be needed, and for
// a record a rollback has undone.
void TakeBackNewestRecord(UninstallJournal& journal);

// Closes the journal; `remove` deletes its file too (a rollback that undid
// every record leaves nothing to remove later).
void CloseJournal(UninstallJournal& journal, bool remove);
