// Removal of an earlier installation of the product, driven by that
// installation's own uninstall log, before a new installation writes anything.
//
// The log is data found on disk that this elevated program acts on, and an
// install folder may be writable by ordinary users; so a log is acted on only
// when its header names the folder it was found in, and each record is
// checked against what an installation of this product writes, and what it
// names on the machine against what that installation made, before it is
// undone (see uninstall_plausibility.h and removal_ownership_win.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/installer_state.h"
#include "records/uninstall_log.h"

// Called once at the start of each removal with the folder of the found log,
// on the thread that called RemovePreviousVersion. The install worker passes
// a function that sends the PreviousVersionFound report; null sends nothing.
using PreviousVersionReporter = void (*)(const InstallerState& state, std::u16string_view folder);

// Called on the removal thread for the waits that let a person follow the
// removal (see RemovalPacer). The install worker passes its report sink's
// pacing; null waits for nothing.
using PreviousVersionPacer = void (*)(const InstallerState& state, uint32_t ms);

// Enables the debug privilege, removes the installation found through the
// product key (a log beside its service program; the recorded service is
// stopped and deleted in any case) and the one whose log lies at
// BaseFolder\Company\RootName\uninstall.log of the state. Returns when every
// removal it started has ended. Reads Options.BaseFolder, Company and the
// tree's RootName; a state without a tree examines only the product key.
// Returns the folders the removed installations made that are still there
// (see RemovalResult::FoldersLeft): the new installation records them as its
// own, so that its removal takes them away once they are empty.
std::vector<std::u16string> RemovePreviousVersion(const InstallerState& state,
                                                  PreviousVersionReporter report,
                                                  PreviousVersionPacer pace = nullptr);

// Loads the log at `logPath` and, when it loads and its header names the
// log's own folder, reports the folder and undoes the log's records on a
// removal thread, waiting for it to end. Nothing is removed when the log
// cannot be loaded, is refused, or the thread cannot be started.
std::vector<std::u16string> RemoveInstallationByLog(const std::u16string& logPath,
                                                    const InstallerState& state,
                                                    PreviousVersionReporter report,
                                                    PreviousVersionPacer pace = nullptr);

// The stages of a removal, in the order they begin.
enum class RemovalStage {
    StoppingPrograms,  // recorded services stopped, running programs closed
    UndoingRecords,    // batches, services, files, shortcuts, entries, keys
    RemovingFolders,   // the emptied installation folders, the panel configuration
};

// Called on the removal thread as each stage begins; `context` is the
// options' Context.
using RemovalStageReporter = void (*)(RemovalStage stage, void* context);

// Called on the removal thread for a wait of `ms` that lets a person follow
// the removal: after each record undone and at the end. A sink that shows
// the removal in a window sleeps; `context` is the options' Context.
using RemovalPacer = void (*)(uint32_t ms, void* context);

struct RemovalOptions {
    // Acts on the whole records before a damaged tail of the log (see
    // ParseUninstallLogPrefix); otherwise a damaged log is refused whole.
    bool AcceptDamagedTail = false;
    // A file the removal neither ends nor deletes although a record names it
    // (the running uninstaller's own file, whose process waits for the removal).
    std::u16string Spared;
    // Deletes whatever is left in the installation folder once the records
    // are undone (the files its programs wrote there, which no record names),
    // instead of removing only its emptied folders: a removal of the product
    // itself, not one before a new installation.
    bool WholeInstallFolder = false;
    // A file that another process holds is deleted at the next restart, and
    // with it the folders it keeps (RemovalResult::DeletedAtRestart);
    // otherwise it stays, as a leftover.
    bool DeleteInUseAtRestart = false;
    RemovalStageReporter OnStage = nullptr;
    // Null for a removal nobody watches (quiet, script.ini): nothing waits.
    RemovalPacer Pace = nullptr;
    // The clock the batches' total time is measured by; null: the system's.
    uint64_t (*Clock)() = nullptr;
    // How long all of the log's driver uninstall batches may run together
    // (ten minutes: far beyond what the product's few driver sets take, and
    // short of holding a run for hours); once spent, the removal stops as a killed one does (RemovalResult::Stopped).
    uint64_t BatchesTotalMs = 600000;
    void* Context = nullptr;  // handed to OnStage and Pace
};

struct RemovalResult {
    bool Found = false;        // the log loaded (at least its header) and names its own folder
    bool DamagedTail = false;  // records after a damage in the log were not read
    size_t Refused = 0;        // records the checks refused
    // The log's folder, or one above it, failed the folder check (a link, or
    // others can write): only records the machine proves were undone, and
    // the log, its files and folders stay.
    bool FolderRefused = false;
    // The batches' total time ran out: the records still to undo stay in
    // the log, and the installation folder stays.
    bool Stopped = false;
    // What a record named that is still there after the removal: files,
    // system-folder files and shortcuts (not those deleted at the restart).
    std::vector<std::u16string> Leftovers;
    // Files in use that go at the next restart (DeleteInUseAtRestart).
    std::vector<std::u16string> DeletedAtRestart;
    UninstallLog Log;  // the header and the records acted on
    // Folders the installation made (its DirectoryRecords) that are still
    // there, kept by something inside them that no record names.
    std::vector<std::u16string> FoldersLeft;
};

// Removes the installation whose log lies at `logPath`, as
// RemoveInstallationByLog does, and says how it went: nothing is done when
// the log cannot be loaded or its header names another folder (Found false).
// Writes the same "removal" lines to the run log.
RemovalResult RemoveInstallation(const std::u16string& logPath, const RemovalOptions& options);
