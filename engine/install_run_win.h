// The working data of one installation run and the steps that make it up,
// shared by the files of the install sequence and by the install benchmark,
// which times some steps on their own (used nowhere else).
//
// Every step appends a record to the run's log for each action it did, at
// the moment it did it, so that a rollback or a later removal undoes exactly
// what is there. Paths are formed with the bounded joins of path_names.h: an
// action whose path or command line would not fit kMaxPathUnits is skipped
// and nothing is recorded for it (a package file is the exception: it fails
// the run, see WritePackageFiles).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/uninstall_journal_win.h"
#include "records/installer_state.h"
#include "records/uninstall_log.h"

struct InstallRun {
    InstallerState& State;
    PackageTree& Tree;
    UninstallLog Log;
    // BaseFolder\Company\RootName\uninstall.log as RootName stood before the
    // run replaced it; none when it does not fit (the log is then not saved).
    std::optional<std::u16string> LogPath;
    // How often the install batch of a HID driver batch set runs.
    int32_t HidRuns = 1;
    // A file or service could not be created (as opposed to a stop request).
    bool Failed = false;
    // Base folders an earlier installation made that its removal had to
    // leave: recorded again, so that they still go once they are empty.
    std::vector<std::u16string> InheritedFolders{};
    // Log's records on disk, each before its action; opened once the
    // installation folder exists.
    UninstallJournal Journal{};
    // Files that were in use, replaced at the next restart: the run ends with
    // 3010 when there are any.
    std::vector<std::u16string> ReplacedAtRestart{};
};

// Helpers used by every step.
bool StillRunning(const InstallRun& run);
// A wait of `ms` that paces the run, made by the run's report sink: the
// window's sleeps unless the run is unattended, the log's never does.
void PaceRun(const InstallRun& run, uint32_t ms);
// Records an action that is done (or that needs no undo): in the run's log
// and in the journal.
void RecordAction(InstallRun& run, uint8_t type, std::u16string_view text);
void RecordAction(InstallRun& run, uint8_t type, const std::vector<uint8_t>& data);

// Record, flush, act: the record goes to the journal before `act` runs; it is
// kept (in the journal and the run's log) when `act` returns true, and taken
// back from the journal otherwise, so the journal only ever lists what may
// have been done. Returns what `act` returned.
template <typename Act>
bool RecordedAction(InstallRun& run, uint8_t type, const std::vector<uint8_t>& data, Act&& act) {
    JournalRecord(run.Journal, type, data.data(), static_cast<uint32_t>(data.size()));
    const bool keep = act();
    if (keep)
        AppendRecord(run.Log.Records, type, data.data(), static_cast<uint32_t>(data.size()));
    else
        TakeBackNewestRecord(run.Journal);
    return keep;
}
template <typename Act>
bool RecordedAction(InstallRun& run, uint8_t type, std::u16string_view text, Act&& act) {
    return RecordedAction(run, type, TextRecordData(text), std::forward<Act>(act));
}
// One "action" line of the run log: `what` on `subject`, and the Win32 error
// when it failed (read by the caller right after the failing call).
void LogAction(std::string_view what, bool ok, DWORD error, std::u16string_view subject);

// Steps 2 to 11: log header, folders, stopping services and programs of an
// earlier copy, the package files, the product key, driver batches, services.
void StartLog(InstallRun& run);
// The install folders: missing ones are made with the protected DACL, and
// the whole path is checked again (InstallFolderIsAdministratorsOnly) before
// the journal opens. False when a folder was refused; the run is then
// stopped as failed.
bool CreateInstallFolders(InstallRun& run);
// A base folder that does not exist is made with its missing parents, each
// with the protected DACL in its create call; each folder made is recorded
// as a DirectoryRecord. One that someone else made meanwhile must pass as an
// existing folder; false (the run stopped) when it does not.
bool CreateMissingBaseFolders(InstallRun& run);
// The base, company and product folders, those of them that exist, each
// opened without following a reparse point: true when none is a reparse
// point and each lets only administrators change it or what is made inside
// (platform/folder_trust.h). Otherwise the folder is named in an error line
// of the run log and in a FileCreateFailed report, and nothing may be
// installed there. On a system that enforces no permissions (Wine) only the
// reparse points are checked, and the log says so.
bool InstallFolderIsAdministratorsOnly(const InstallerState& state);
void StopPackageServices(InstallRun& run);
void CloseRunningCopies(InstallRun& run);
// Writes every package file; one that another process holds (IsFileInUse) is
// replaced at the next restart once the others are written
// (ReplaceAtRestart). A file that can be neither fails the run.
void WritePackageFiles(InstallRun& run);
// A file that another process holds: the `size` bytes at `data` are written
// beside `target` under a free temporary name, recorded (PendingReplaceRecord)
// before the copy is made, and MoveFileExW schedules the copy to replace the
// target at the next restart; the target joins run.ReplacedAtRestart and the
// run log names it. False (no copy left, its record taken back, the error
// logged) when no copy can be written or the replacement not scheduled.
bool ReplaceAtRestart(InstallRun& run, const std::u16string& target, const uint8_t* data, uint32_t size);
void RecordProductKey(InstallRun& run);
// The driver batch sets in the order they run: every set whose install batch
// names a HID driver, in script order, then every other set in script order.
std::vector<const DriverBatchSet*> DriverBatchRunOrder(const InstallerState& state);
void RunDriverBatches(InstallRun& run);
void CreatePackageServices(InstallRun& run);

// Steps 12 to 17: shell integration.
void CreateProgramsShortcuts(InstallRun& run);
void AddDesktopMenuEntries(InstallRun& run);
void WriteSystemFolderFiles(InstallRun& run);
void CreateDesktopShortcuts(InstallRun& run);
void AddUninstallEntryOf(InstallRun& run);
void AddRunEntries(InstallRun& run);

// Finish of a run that was not stopped: panel configuration, legacy service,
// service starts, the saved log, the Completed report and the launches.
void FinishInstallation(InstallRun& run);

// Undoes every record of the run, newest first, removes the emptied install
// folders and reports RolledBack.
void RollBackInstallation(InstallRun& run);
