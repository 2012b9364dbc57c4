// Undoing a run that was stopped: every record, newest first, then the
// emptied install folders. Every undo ignores its failure, so what is already
// gone is harmless.
#include <windows.h>

#include "engine/install_run_win.h"
#include "engine/install_worker_win.h"
#include "platform/file_ops_win.h"
#include "platform/path_names.h"
#include "platform/process_control_win.h"
#include "platform/run_log.h"
#include "platform/service_control_win.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "removal/record_undo_win.h"

namespace {

// A rollback's uninstall batch may run this long before it is ended...
constexpr DWORD kRollbackBatchLimitMs = 60000;
// ...and is followed by this pause.
constexpr DWORD kAfterRollbackBatchMs = 500;
// Pause after each undone record.
constexpr DWORD kAfterRecordMs = 30;

void UndoDriverBatch(const InstallRun& run, const std::u16string& batch) {
    SendReport(run.State, ReportKind::UninstallingDriver, batch);
    // A set without an uninstall batch records the empty text: nothing to run.
    if (!batch.empty())
        RunProcess(CommandLine{batch, u""}, kRollbackBatchLimitMs);
    PauseUnlessUnattended(run, kAfterRollbackBatchMs);
}

void UndoService(const InstallRun& run, const std::u16string& programPath) {
    const std::u16string name = BaseNameOfPath(programPath);
    SendReport(run.State, ReportKind::RollbackRemovingService, name);
    StopAndDeleteService(name);
}

void UndoRecord(const InstallRun& run, const ActionRecord& record) {
    if (IsRunLogOpen())
        WriteLogLine("rollback", u"undo " + Utf8ToUtf16(RecordTypeName(record.Type)) + u" " + RecordSubject(record));
    if (UndoEntryRecord(record))
        return;
    const std::u16string text = RecordText(record);
    switch (record.Type) {
        case FileRecord:
            SendReport(run.State, ReportKind::DeletingFile, text);
            DeleteFileW(WidePtr(text));
            break;
        case DriverUninstallRecord:
            UndoDriverBatch(run, text);
            break;
        case ServiceRecord:
            UndoService(run, text);
            break;
        default:  // ServiceStartedRecord and anything else: nothing to undo
            break;
    }
}

}  // namespace

void RollBackInstallation(InstallRun& run) {
    ActionRecordList& records = run.Log.Records;
    for (const ActionRecord* record = MoveLast(records); record; record = MovePrevious(records)) {
        UndoRecord(run, *record);
        // Undone records leave the journal, so a rollback that is killed is
        // finished by the next run without repeating what it did.
        TakeBackNewestRecord(run.Journal);
        PauseUnlessUnattended(run, kAfterRecordMs);
    }
    // Nothing is left to undo: the journal goes, and with it the last file
    // that would keep the installation folder.
    CloseJournal(run.Journal, true);
    RemoveEmptyDirectories(run.Tree.InstallFolder);
    // The company folder goes only when nothing else is left in it.
    if (std::optional<std::u16string> company = JoinPath(run.State.Options.BaseFolder, run.State.Company))
        RemoveDirectoryW(WidePtr(*company));
    RemoveRecordedDirectories(records);
    SendReport(run.State, ReportKind::RolledBack);
}
