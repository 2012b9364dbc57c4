#include "removal/previous_version_win.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "platform/case_fold.h"
#include "platform/file_ops_win.h"
#include "platform/folder_security_win.h"
#include "platform/folder_trust.h"
#include "platform/path_names.h"
#include "platform/pending_renames_win.h"
#include "platform/process_control_win.h"
#include "platform/run_log.h"
#include "platform/service_control_win.h"
#include "platform/shell_entries_win.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"
#include "removal/batch_time_bound.h"
#include "removal/found_log_trust.h"
#include "removal/logged_files.h"
#include "removal/product_key_win.h"
#include "removal/record_undo_win.h"
#include "removal/removal_ownership_win.h"
#include "removal/uninstall_log_file_win.h"
#include "removal/uninstall_plausibility.h"

namespace {

constexpr char16_t kLogFileName[] = u"uninstall.log";
constexpr uint32_t kRecordPauseMs = 30;
constexpr uint32_t kFinalPauseMs = 500;
constexpr uint32_t kDriverBatchLimitMs = 180000;

// One removal: the found log and the places its records may touch. Owned by
// the thread that starts the removal and only read by the removal thread,
// which it waits for.
struct RemovalContext {
    UninstallLog Log;
    RemovalPlaces Places;
    RemovalOptions Options;
    // The found log's policy for the one undo of a record; its checks read
    // Log and Places above.
    UndoPolicy Policy;
    LoggedFiles Files;  // the log's FileRecords, indexed once
    // False when the log's folder, or one above it, failed the folder
    // check: nothing there is run, deleted or written to.
    bool FolderTrusted = true;
    BatchTimeBound Batches;
    bool Stopped = false;  // the batches' total time ran out
    size_t Refused = 0;
    std::vector<std::u16string> AtRestart;  // files in use, deleted at the next restart
    std::u16string LogPath;
    // The log stays on disk until the removal's end, cut back after each
    // record it undid: a removal that is killed leaves what is still to undo,
    // and the next pass neither repeats the rest nor finds nothing.
    UniqueFile LogFile;
    std::vector<uint64_t> Offsets;
};

void ReportStage(const RemovalContext& context, RemovalStage stage) {
    if (context.Options.OnStage)
        context.Options.OnStage(stage, context.Options.Context);
}

void Pace(const RemovalContext& context, uint32_t ms) {
    if (context.Options.Pace)
        context.Options.Pace(ms, context.Options.Context);
}

bool IsSpared(const RemovalContext& context, const std::u16string& path) {
    return !context.Options.Spared.empty() && EqualPathText(path, context.Options.Spared);
}

bool IsOwnLogRecord(const RemovalContext& context, const ActionRecord& record) {
    return record.Type == FileRecord && EqualPathText(RecordText(record), context.LogPath);
}

// A finished installation saves its log with the log's own FileRecord last;
// a journal that a killed run left ends with some other record.
bool IsInterruptedRun(const RemovalContext& context) {
    const ActionRecord* newest = LastRecord(context.Log.Records);
    return !newest || !IsOwnLogRecord(context, *newest);
}

void OpenLogForCutting(RemovalContext& context) {
    context.Offsets = RecordOffsets(context.Log);
    context.LogFile = UniqueFile(CreateFileW(WidePtr(context.LogPath), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Cuts the log back to before record `index`; a log that cannot be
// cut is left whole (a second pass then repeats harmless undos).
void CutLogAt(RemovalContext& context, size_t index) {
    if (!context.LogFile || index >= context.Offsets.size())
        return;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(context.Offsets[index]);
    // Not flushed: a killed process's cut stands all the same (it is the
    // system's, not the process's), and a cut lost to a power failure only
    // makes the next removal undo some records again, which is harmless. A
    // flush per record cost a removal of 2,000 files about half a second.
    if (!SetFilePointerEx(context.LogFile.Get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(context.LogFile.Get()))
        context.LogFile.Reset();
}

// Everything the log named is undone: the log goes last, with a complete
// log a kill left unrenamed beside it.
void DeleteOwnLog(RemovalContext& context) {
    context.LogFile.Reset();
    DeleteFileW(WidePtr(context.LogPath));
    DeleteFileW(WidePtr(context.LogPath + u".new"));
}

void AddShellFolder(std::vector<std::u16string>& folders, int csidl) {
    if (std::optional<std::u16string> folder = ShellFolder(csidl, false))
        folders.push_back(*folder);
}

RemovalPlaces ResolvePlaces(const std::u16string& installFolder) {
    RemovalPlaces places;
    places.InstallFolder = installFolder;
    places.SystemFolder = ShellFolder(CSIDL_SYSTEM, false).value_or(std::u16string());
    AddShellFolder(places.ShortcutFolders, CSIDL_PROGRAMS);
    AddShellFolder(places.ShortcutFolders, CSIDL_COMMON_PROGRAMS);
    AddShellFolder(places.ShortcutFolders, CSIDL_DESKTOPDIRECTORY);
    AddShellFolder(places.ShortcutFolders, CSIDL_COMMON_DESKTOPDIRECTORY);
    return places;
}

// The records a pass has met, by kind and subject, letter case ignored as
// Windows ignores it in paths and names, and a file named by its long name. A real log never repeats a record;
// a planted one that repeats one thousands of times must not cost a driver
// batch, a service query or a pause each time.
using MetRecords = std::set<std::pair<uint8_t, std::u16string>>;

// True the first time a pass meets a record of this kind and subject.
bool IsFirstMeeting(MetRecords& met, const ActionRecord& record) {
    const std::u16string subject = RecordSubject(record);
    const bool namesFile = record.Type == FileRecord || record.Type == DriverUninstallRecord ||
                           record.Type == ServiceRecord || record.Type == SystemFileRecord;
    return met.emplace(record.Type, CaseKey(namesFile ? LongPathOf(subject) : subject)).second;
}

// First pass: nothing of the installation may still run while it is undone.
void StopRecordedPrograms(RemovalContext& context) {
    MetRecords met;
    for (const ActionRecord* record = MoveLast(context.Log.Records); record;
         record = MovePrevious(context.Log.Records)) {
        if (!IsFirstMeeting(met, *record) || !IsPlausibleRecord(*record, context.Log, context.Places))
            continue;
        // A folder that failed its check may hold a link to any program.
        if (record->Type == FileRecord && context.FolderTrusted && !IsSpared(context, RecordText(*record)))
            EndRunningCopy(RecordText(*record));
        else if (record->Type == ServiceRecord && IsProductsOwn(*record, context.Files, context.Places))
            StopServiceByName(BaseNameOfPath(RecordText(*record)));
    }
}

// A batch runs within what is left of the batches' total time; none once it
// is spent: the removal then stops there.
std::optional<UndoOutcome> UndoWithinBound(RemovalContext& context, const ActionRecord& record) {
    if (record.Type != DriverUninstallRecord || IsEmptyBatchRecord(record))
        return UndoRecord(record, context.Policy);
    UndoOutcome outcome = UndoOutcome::NothingToUndo;
    const bool ran = RunWithinBound(context.Batches, [&](uint32_t limitMs) {
        context.Policy.BatchLimitMs = limitMs;
        outcome = UndoRecord(record, context.Policy);
    });
    return ran ? std::optional<UndoOutcome>(outcome) : std::nullopt;
}

// As a killed removal: the log keeps the records still to undo, and the
// installation folder stays.
void StopForBatchTime(RemovalContext& context) {
    context.Stopped = true;
    WriteLogLine("removal", u"stopped: the log's driver uninstall batches took " +
                                Utf8ToUtf16(std::to_string(context.Batches.SpentMs / 1000)) +
                                u" s together, the most they may; the records still to undo stay in " +
                                context.LogPath);
}

// Second pass, newest first: shortcuts go before the folders that hold
// them, and the driver uninstall batches run while the files they use are
// still in place.
void UndoRecords(RemovalContext& context) {
    MetRecords met;
    size_t repeats = 0;
    size_t index = context.Log.Records.Records.size();
    for (const ActionRecord* record = MoveLast(context.Log.Records); record;
         record = MovePrevious(context.Log.Records)) {
        --index;
        if (IsOwnLogRecord(context, *record)) {
            CutLogAt(context, index);
            continue;
        }
        if (!IsFirstMeeting(met, *record)) {
            ++repeats;
            continue;
        }
        // Only records acted on are paused for: a planted log of a great
        // many refused records, or of files that are not there, must not
        // keep the installer waiting.
        std::optional<UndoOutcome> undone = UndoWithinBound(context, *record);
        if (!undone) {
            StopForBatchTime(context);
            break;
        }
        const UndoOutcome outcome = *undone;
        if (outcome == UndoOutcome::Refused)
            ++context.Refused;
        else if (outcome == UndoOutcome::Undone || outcome == UndoOutcome::AtRestart)
            Pace(context, kRecordPauseMs);
        if (outcome == UndoOutcome::AtRestart) {
            context.AtRestart.push_back(RecordText(*record));
            WriteLogLine("removal", u"in use, deleted at the next restart: " + RecordText(*record));
        }
        CutLogAt(context, index);
    }
    if (repeats != 0)
        WriteLogLine("removal", u"skipped " + Utf8ToUtf16(std::to_string(repeats)) + u" repeated records");
}

// The plausible DirectoryRecords, for the last pass over the folders.
ActionRecordList PlausibleDirectories(const RemovalContext& context) {
    ActionRecordList directories;
    for (const ActionRecord& record : context.Log.Records.Records) {
        if (record.Type == DirectoryRecord && IsPlausibleRecord(record, context.Log, context.Places) &&
            (context.FolderTrusted || IsProvenOutsideTheFolder(record, context.Places)))
            AppendRecord(directories, record.Type, record.Data.data(), record.Size);
    }
    return directories;
}

// The folders that a file deleted at the next restart keeps, deepest first:
// those of the installation folder that hold one, the installation folder
// and its company folder. Each goes right after the files in it, once it is
// empty, as Windows works through its list in order.
void DeleteFoldersAtRestart(const RemovalContext& context, const std::u16string& company) {
    std::set<std::u16string> folders;
    for (const std::u16string& file : context.AtRestart) {
        std::u16string folder = file;
        CutLastPathComponent(folder);
        while (IsPathInside(folder, context.Places.InstallFolder)) {
            folders.insert(folder);
            CutLastPathComponent(folder);
        }
        if (EqualPathText(folder, context.Places.InstallFolder))
            folders.insert(folder);
    }
    if (folders.empty())
        return;  // system-folder files only
    std::vector<std::u16string> deepestFirst(folders.begin(), folders.end());
    std::sort(deepestFirst.begin(), deepestFirst.end(),
              [](const std::u16string& a, const std::u16string& b) { return a.size() > b.size(); });
    deepestFirst.push_back(company);
    for (const std::u16string& folder : deepestFirst) {
        if (PathExists(folder))
            ScheduleDeleteAtRestart(folder);
    }
}

// The header was checked to name the install folder, so these folders are
// the installation's own.
void RemoveInstallFolders(const RemovalContext& context) {
    if (context.Options.WholeInstallFolder)
        DeleteDirectoryTree(context.Places.InstallFolder);
    else
        RemoveEmptyDirectories(context.Places.InstallFolder);
    if (std::optional<std::u16string> company = JoinPath(context.Log.BaseFolder, context.Log.Company)) {
        RemoveDirectoryW(WidePtr(*company));
        DeleteFoldersAtRestart(context, *company);
    }
    RemoveRecordedDirectories(PlausibleDirectories(context));
    if (std::optional<std::u16string> panelFolder = PanelConfigFolder())
        DeleteDirectoryTree(*panelFolder);
}

DWORD WINAPI RemovalWorker(void* parameter) {
    RemovalContext& context = *static_cast<RemovalContext*>(parameter);
    EnableDebugPrivilege();
    ReportStage(context, RemovalStage::StoppingPrograms);
    StopRecordedPrograms(context);
    ReportStage(context, RemovalStage::UndoingRecords);
    UndoRecords(context);
    if (context.Stopped)
        return 0;
    if (!context.FolderTrusted) {
        // Only the shortcut folders: the log and the installation's folders
        // stay, and no stage tells the uninstaller to take its file away.
        RemoveRecordedDirectories(PlausibleDirectories(context));
        return 0;
    }
    ReportStage(context, RemovalStage::RemovingFolders);
    DeleteOwnLog(context);
    RemoveInstallFolders(context);
    Pace(context, kFinalPauseMs);
    return 0;
}

void RunRemovalWorker(RemovalContext& context) {
    UniqueThread thread(CreateThread(nullptr, 0, RemovalWorker, &context, 0, nullptr));
    if (thread)
        WaitForSingleObject(thread.Get(), INFINITE);
}

bool IsDeletedAtRestart(const RemovalContext& context, const std::u16string& path) {
    return std::any_of(context.AtRestart.begin(), context.AtRestart.end(),
                       [&](const std::u16string& file) { return EqualPathText(file, path); });
}

// What a plausible record named that a removal takes away and is still
// there: files, system-folder files and shortcuts.
std::vector<std::u16string> LeftoversOf(const RemovalContext& context) {
    std::vector<std::u16string> left;
    for (const ActionRecord& record : context.Log.Records.Records) {
        if (!IsPlausibleRecord(record, context.Log, context.Places))
            continue;
        std::u16string path = RecordText(record);
        if (record.Type == DesktopShortcutRecord || record.Type == ProgramsShortcutRecord)
            path += u".lnk";
        else if (record.Type != FileRecord && record.Type != SystemFileRecord)
            continue;
        if (PathExists(path) && !IsSpared(context, path) && !IsDeletedAtRestart(context, path))
            left.push_back(path);
    }
    return left;
}

bool LoadFoundLog(RemovalContext& context, const std::u16string& logPath, RemovalResult& result) {
    if (!context.Options.AcceptDamagedTail)
        return LoadUninstallLog(context.Log, logPath);
    const LogPrefixParse read = LoadUninstallLogPrefix(context.Log, logPath);
    result.DamagedTail = read == LogPrefixParse::DamagedTail;
    return read != LogPrefixParse::Unreadable;
}

void RemoveLogAt(std::optional<std::u16string> logPath,
                 const InstallerState& state,
                 PreviousVersionReporter report,
                 PreviousVersionPacer pace,
                 std::vector<std::u16string>& foldersLeft) {
    if (!logPath || !PathExists(*logPath))
        return;
    std::vector<std::u16string> left = RemoveInstallationByLog(*logPath, state, report, pace);
    foldersLeft.insert(foldersLeft.end(), left.begin(), left.end());
}

std::vector<std::u16string> FoldersLeftOf(const RemovalContext& context) {
    std::vector<std::u16string> left;
    for (const ActionRecord& record : context.Log.Records.Records) {
        if (record.Type == DirectoryRecord && IsPlausibleRecord(record, context.Log, context.Places) &&
            PathExists(RecordText(record)))
            left.push_back(RecordText(record));
    }
    return left;
}

// No one is told of each record: the run log has its line, and a window
// shows the removal's stages.
UndoPolicy FoundLogPolicy(const RemovalContext& context) {
    UndoPolicy policy;
    policy.BatchLimitMs = kDriverBatchLimitMs;
    policy.Spared = context.Options.Spared;
    policy.FoundLog = &context.Log;
    policy.Places = &context.Places;
    policy.Files = &context.Files;
    policy.FolderTrusted = context.FolderTrusted;
    policy.DeleteInUseAtRestart = context.Options.DeleteInUseAtRestart;
    return policy;
}

uint64_t SystemMilliseconds() {
    return GetTickCount64();
}

// The folder check the install target gets, on the found log's base,
// company and product folders. False, with one line naming the folder,
// when one fails.
bool FoundFolderPasses(const UninstallLog& log) {
    const bool enforced = SystemEnforcesPermissions();
    const FolderChain chain = InstallFolderChain(log.BaseFolder, log.Company, log.Product);
    if (!enforced)
        WriteLogLine("removal", u"folder permissions of " + chain.Folders.back() +
                                    u" not checked: this system enforces none (links are)");
    const std::optional<FolderRefusal> refusal = FirstRefusedFolderOf(chain, enforced);
    if (!refusal)
        return true;
    WriteLogLine("removal", u"folder check failed: " + FolderRefusalText(refusal->Verdict) +
                                chain.Folders[refusal->Index] +
                                u"; only what the machine proves is the product's is undone, no batch runs and "
                                u"no file of that folder is deleted");
    return false;
}

// Whether the Add/Remove Programs entry the log records names a place in
// `folder` on this machine: only then are that entry and the product key,
// whose names alone say nothing of where the product lies, this folder's.
bool UninstallEntryNamesLogFolder(const UninstallLog& log, const std::u16string& folder) {
    for (const ActionRecord& record : log.Records.Records) {
        if (record.Type != UninstallEntryRecord)
            continue;
        const std::optional<UninstallEntryPlaces> entry = UninstallEntryPlacesOf(RecordText(record));
        if (entry && UninstallEntryNamesFolder(entry->InstallLocation, entry->UninstallString, folder))
            return true;
    }
    return false;
}

// The install worker's pacing, seen as a removal's.
struct WorkerPacing {
    const InstallerState& State;
    PreviousVersionPacer Pace;
};

void PaceForWorker(uint32_t ms, void* context) {
    const WorkerPacing& pacing = *static_cast<const WorkerPacing*>(context);
    pacing.Pace(pacing.State, ms);
}

}  // namespace

namespace {

// The version the installation left in its Add/Remove Programs entry, named
// by the log's own record of that entry; "unknown" without either.
std::u16string RecordedVersion(const UninstallLog& log) {
    for (const ActionRecord& record : log.Records.Records) {
        if (record.Type == UninstallEntryRecord)
            return UninstallEntryVersion(RecordText(record)).value_or(u"unknown");
    }
    return u"unknown";
}

// The one removal both programs run; `found` is called once the log was
// accepted, before anything is undone.
template <typename Found>
RemovalResult RunRemoval(const std::u16string& logPath, const RemovalOptions& options, Found found) {
    RemovalResult result;
    std::u16string folder = logPath;
    CutLastPathComponent(folder);
    auto context = std::make_unique<RemovalContext>();
    context->Options = options;
    context->LogPath = logPath;
    if (!LoadFoundLog(*context, logPath, result) || !LogHeaderNamesFolder(context->Log, folder)) {
        WriteLogLine("removal", u"refused a damaged or foreign uninstall log: " + logPath);
        result.DamagedTail = false;
        return result;
    }
    result.Found = true;
    context->Places = ResolvePlaces(folder);
    context->Files = IndexLoggedFiles(context->Log, folder, LongPathOf);
    context->FolderTrusted = FoundFolderPasses(context->Log);
    if (!context->FolderTrusted)
        context->Places.UninstallEntryInFolder = UninstallEntryNamesLogFolder(context->Log, folder);
    context->Batches = {options.Clock ? options.Clock : SystemMilliseconds, kDriverBatchLimitMs,
                        options.BatchesTotalMs};
    context->Policy = FoundLogPolicy(*context);
    WriteLogLine("removal", IsInterruptedRun(*context) ? u"interrupted installation found: " + logPath
                                                       : u"previous version found: " + logPath + u" (version " +
                                                             RecordedVersion(context->Log) + u")");
    if (result.DamagedTail)
        WriteLogLine("removal",
                     u"the log is damaged after its last whole record; what it named beyond that "
                     u"is not known and stays");
    if (context->FolderTrusted)
        OpenLogForCutting(*context);
    found(folder);
    RunRemovalWorker(*context);
    if (context->FolderTrusted && !context->Stopped)
        WriteLogLine("removal", u"previous version removed from " + folder);
    result.FolderRefused = !context->FolderTrusted;
    result.Stopped = context->Stopped;
    result.Refused = context->Refused;
    result.Leftovers = LeftoversOf(*context);
    result.DeletedAtRestart = context->AtRestart;
    result.FoldersLeft = FoldersLeftOf(*context);
    result.Log = std::move(context->Log);
    return result;
}

}  // namespace

RemovalResult RemoveInstallation(const std::u16string& logPath, const RemovalOptions& options) {
    return RunRemoval(logPath, options, [](const std::u16string&) {});
}

std::vector<std::u16string> RemoveInstallationByLog(const std::u16string& logPath,
                                                    const InstallerState& state,
                                                    PreviousVersionReporter report,
                                                    PreviousVersionPacer pace) {
    RemovalOptions options;
    // A kill can cut the newest record of a journal in half; the whole
    // records before it are still the run's.
    options.AcceptDamagedTail = true;
    WorkerPacing pacing{state, pace};
    if (pace) {
        options.Pace = PaceForWorker;
        options.Context = &pacing;
    }
    return RunRemoval(logPath, options,
                      [&](const std::u16string& folder) {
                          if (report)
                              report(state, folder);
                      })
        .FoldersLeft;
}

std::vector<std::u16string> RemovePreviousVersion(const InstallerState& state,
                                                  PreviousVersionReporter report,
                                                  PreviousVersionPacer pace) {
    std::vector<std::u16string> foldersLeft;
    EnableDebugPrivilege();
    ProductKeyValues key = ReadProductKey();
    if (key.ServicePath) {
        std::u16string folder = *key.ServicePath;
        CutLastPathComponent(folder);
        RemoveLogAt(JoinPath(folder, kLogFileName), state, report, pace, foldersLeft);
    }
    if (key.ServiceName)
        StopAndDeleteService(*key.ServiceName);
    if (state.Tree)
        RemoveLogAt(JoinPath(state.Options.BaseFolder, state.Company, state.Tree->RootName + u"\\" + kLogFileName),
                    state, report, pace, foldersLeft);
    return foldersLeft;
}
