#include "removal/record_undo_win.h"

#include <windows.h>

#include "platform/file_ops_win.h"
#include "platform/path_names.h"
#include "platform/pending_renames_win.h"
#include "platform/process_control_win.h"
#include "platform/run_log.h"
#include "platform/service_control_win.h"
#include "platform/shell_entries_win.h"
#include "platform/shortcut_win.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "removal/found_log_trust.h"
#include "removal/product_key_win.h"
#include "removal/removal_ownership_win.h"

namespace {

void Tell(const UndoPolicy& policy, UndoReport report, std::u16string_view subject) {
    if (policy.Report)
        policy.Report(report, subject, policy.ReportContext);
}

bool IsSpared(const UndoPolicy& policy, const std::u16string& path) {
    return !policy.Spared.empty() && EqualPathText(path, policy.Spared);
}

std::u16string UndoLine(const ActionRecord& record) {
    return Utf8ToUtf16(RecordTypeName(record.Type)) + u" " + RecordSubject(record);
}

// What a delete that failed says: a path that is not there had nothing to
// undo. Files and folders are not looked for first: under Wine finding one
// name lists its whole folder, which made a removal of 2,000 files
// quadratic.
UndoOutcome OutcomeOfDeleteError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? UndoOutcome::NotThere : UndoOutcome::Undone;
}

UndoOutcome OutcomeOfDelete(bool deleted) {
    return OutcomeOfDeleteError(deleted ? ERROR_SUCCESS : GetLastError());
}

// Deletes a file; one in use goes at the next restart when the policy says so.
UndoOutcome DeleteFileOrAtRestart(const std::u16string& path, const UndoPolicy& policy) {
    if (DeleteFileW(WidePtr(path)))
        return UndoOutcome::Undone;
    const DWORD error = GetLastError();
    if (policy.DeleteInUseAtRestart && IsFileInUse(error, path) && ScheduleDeleteAtRestart(path))
        return UndoOutcome::AtRestart;
    return OutcomeOfDeleteError(error);
}

// The copy of a file that was to replace one in use: the rename is cancelled
// first, so that a restart cannot put back what the undo took away.
UndoOutcome UndoPendingReplace(const ActionRecord& record) {
    std::optional<PendingReplace> pending = ReadPendingReplace(record);
    if (!pending)
        return UndoOutcome::NothingToUndo;
    const std::optional<size_t> cancelled = CancelPendingRename(pending->Copy);
    const UndoOutcome deleted = OutcomeOfDelete(DeleteFileW(WidePtr(pending->Copy)));
    return cancelled.value_or(0) != 0 ? UndoOutcome::Undone : deleted;
}

// Why a plausible record that the folder or batch rule refused stays.
const char16_t* TrustReason(FoundRecordVerdict verdict) {
    return verdict == FoundRecordVerdict::FolderRefused ? u" (its folder failed the folder check)"
                                                        : u" (not a .bat the log records as its file)";
}

// The line of a found log's record in the run log, and whether it may be
// acted on: plausible, let through by the folder and batch rule, and the
// product's on this machine.
bool PassesFoundRecordChecks(const ActionRecord& record, const UndoPolicy& policy) {
    const bool plausible = IsPlausibleRecord(record, *policy.FoundLog, *policy.Places);
    const FoundRecordVerdict verdict =
        plausible ? JudgeFoundRecord(record, policy.FolderTrusted, *policy.Files, *policy.Places)
                  : FoundRecordVerdict::MayUndo;
    const bool trusted = verdict == FoundRecordVerdict::MayUndo;
    const bool own = plausible && trusted && IsProductsOwn(record, *policy.Files, *policy.Places);
    std::u16string why;
    if (!trusted)
        why = TrustReason(verdict);
    else if (plausible && !own)
        why = u" (not the product's)";
    if (IsRunLogOpen())
        WriteLogLine("removal", (own ? u"undo " : u"refused ") + UndoLine(record) + why);
    return own;
}

// The checks on a record of a found log.
UndoOutcome CheckFoundRecord(const ActionRecord& record, const UndoPolicy& policy) {
    if (record.Type == ServiceStartedRecord)
        return UndoOutcome::NothingToUndo;
    if (!PassesFoundRecordChecks(record, policy))
        return UndoOutcome::Refused;
    // A batch that is gone is not started; the kinds IsProductsOwn checks are
    // there once they pass it.
    if (record.Type == DriverUninstallRecord && !PathExists(RecordText(record)))
        return UndoOutcome::NotThere;
    return UndoOutcome::Undone;
}

// Undone (meaning: go ahead) when the record may be acted on.
UndoOutcome Admit(const ActionRecord& record, const UndoPolicy& policy) {
    if (!policy.FoundLog) {
        if (IsRunLogOpen())
            WriteLogLine("rollback", u"undo " + UndoLine(record));
        return UndoOutcome::Undone;
    }
    // A driver batch set without an uninstall batch: its empty path would
    // fail the checks, but there is nothing to run, so it is done, neither
    // undone nor refused.
    if (IsEmptyBatchRecord(record))
        return UndoOutcome::Undone;
    return CheckFoundRecord(record, policy);
}

// The kinds whose undo needs nothing but the record.
bool UndoEntryRecord(const ActionRecord& record) {
    switch (record.Type) {
        case RegistryKeyRecord:
            DeleteKeyOfRecord(record.Data.data(), record.Data.size());
            return true;
        case DesktopShortcutRecord:
        case ProgramsShortcutRecord:
            DeleteShortcut(RecordText(record));
            return true;
        case DesktopMenuRecord:
            RemoveDesktopMenuEntry(RecordText(record));
            return true;
        case UninstallEntryRecord:
            RemoveUninstallEntry(RecordText(record));
            return true;
        case RunEntryRecord:
        case MachineRunEntryRecord:
            RemoveRunEntry(RecordText(record), RunScopeOf(record));
            return true;
        default:
            return false;
    }
}

UndoOutcome UndoFile(const std::u16string& path, const UndoPolicy& policy) {
    if (IsSpared(policy, path))
        return UndoOutcome::NothingToUndo;
    Tell(policy, UndoReport::DeletingFile, path);
    if (policy.FoundLog)
        EndRunningCopy(path);
    return DeleteFileOrAtRestart(path, policy);
}

UndoOutcome UndoDriverBatch(const std::u16string& batch, const UndoPolicy& policy) {
    Tell(policy, UndoReport::UninstallingDriver, batch);
    if (batch.empty())
        return UndoOutcome::NothingToUndo;
    RunProcess(CommandLine{batch, u""}, policy.BatchLimitMs);
    return UndoOutcome::Undone;
}

UndoOutcome UndoService(const std::u16string& programPath, const UndoPolicy& policy) {
    const std::u16string name = BaseNameOfPath(programPath);
    Tell(policy, UndoReport::RemovingService, name);
    StopAndDeleteService(name);
    return UndoOutcome::Undone;
}

UndoOutcome Act(const ActionRecord& record, const UndoPolicy& policy) {
    if (UndoEntryRecord(record))
        return UndoOutcome::Undone;
    switch (record.Type) {
        case FileRecord:
            return UndoFile(RecordText(record), policy);
        case SystemFileRecord: {  // a file not there counts as undone, as it always has
            const UndoOutcome outcome = DeleteFileOrAtRestart(RecordText(record), policy);
            return outcome == UndoOutcome::AtRestart ? outcome : UndoOutcome::Undone;
        }
        case PendingReplaceRecord:
            return UndoPendingReplace(record);
        case DirectoryRecord:  // one that is not empty stays
            return OutcomeOfDelete(RemoveDirectoryW(WidePtr(RecordText(record))));
        case DriverUninstallRecord:
            return UndoDriverBatch(RecordText(record), policy);
        case ServiceRecord:
            return UndoService(RecordText(record), policy);
        default:  // ServiceStartedRecord and unknown kinds
            return UndoOutcome::NothingToUndo;
    }
}

}  // namespace

UndoOutcome UndoRecord(const ActionRecord& record, const UndoPolicy& policy) {
    const UndoOutcome admitted = Admit(record, policy);
    return admitted == UndoOutcome::Undone ? Act(record, policy) : admitted;
}

void EndRunningCopy(const std::u16string& path) {
    if (HasExeExtension(path) && PathExists(path))
        TerminateProcessesByPath(path);
}

void RemoveRecordedDirectories(const ActionRecordList& records) {
    for (auto record = records.Records.rbegin(); record != records.Records.rend(); ++record) {
        if (record->Type == DirectoryRecord)
            RemoveDirectoryW(WidePtr(RecordText(*record)));
    }
}
