// The one undo of a record of an uninstall log, shared by the rollback of a
// stopped run, the removal of an earlier installation before a new one is
// written, and the uninstaller's removal of the product. They differ only in
// their policy: whom the undo tells, how long a driver uninstall batch may
// run, the file that is never touched, and whether the records come from a
// log found on disk and are checked before anything is undone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "records/uninstall_log.h"
#include "removal/logged_files.h"
#include "removal/uninstall_plausibility.h"

// What an undo tells its policy just before it acts.
enum class UndoReport {
    DeletingFile,        // subject: the file's path
    UninstallingDriver,  // subject: the uninstall batch's path; empty for a set without one
    RemovingService,     // subject: the service's name
};

// Called on the undoing thread; `context` is the policy's ReportContext.
using UndoReporter = void (*)(UndoReport report, std::u16string_view subject, void* context);

struct UndoPolicy {
    UndoReporter Report = nullptr;  // null: nobody is told
    void* ReportContext = nullptr;
    // How long a driver uninstall batch may run before it is ended.
    uint32_t BatchLimitMs = 0;
    // A file neither ended nor deleted although a record names it (the
    // running uninstaller's own file); empty: none.
    std::u16string Spared;
    // Set for the records of a log found on disk, with the places its records
    // may touch: each record must pass IsPlausibleRecord and IsProductsOwn
    // (removal_ownership_win.h), its line goes to the run log as "undo" or
    // "refused", a program it names that still runs is ended before its file
    // goes, and what is not there is left alone. Null for the records of the
    // very run that undoes them (a rollback), which made all they name.
    const UninstallLog* FoundLog = nullptr;
    const RemovalPlaces* Places = nullptr;  // set with FoundLog
    const LoggedFiles* Files = nullptr;     // set with FoundLog: its FileRecords
    // False when the found log's folder failed the folder check: only what
    // the machine proves outside it is undone, and no batch runs there (see
    // found_log_trust.h, which also refuses a batch the log does not record
    // as its file).
    bool FolderTrusted = true;
    // A file that another process holds is deleted at the next restart
    // (the uninstaller's removal); otherwise it stays (a rollback, whose
    // file was there before, and the removal before a new installation,
    // which replaces it).
    bool DeleteInUseAtRestart = false;
};

enum class UndoOutcome {
    Undone,         // acted on what the record names
    NotThere,       // a file or folder (or a found log's batch) that is gone: nothing to act on
    NothingToUndo,  // a started service, a batch set without an uninstall batch, the spared file
    Refused,        // a found log's record the checks refused: what it names stays
    AtRestart,      // a file in use, deleted at the next restart (DeleteInUseAtRestart)
};

// Undoes `record` as `policy` says and returns how it went. Failures of the
// undo itself are ignored: what is already gone stays gone, a folder that is
// not empty stays, and a batch that fails or times out has had its chance.
UndoOutcome UndoRecord(const ActionRecord& record, const UndoPolicy& policy);

// Ends every process running the program at `path`. Only a path with an
// executable's extension that exists is looked for: a removal meets
// thousands of plain files, and asking for processes costs far more.
void EndRunningCopy(const std::u16string& path);

// Removes, newest first, every recorded directory that is empty by now. The
// base folders an installation made are older than its install folder, so
// they can only go once that folder is gone: callers run this last.
void RemoveRecordedDirectories(const ActionRecordList& records);
