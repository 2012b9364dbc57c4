// Undoing a run that was stopped: every record, newest first, through the
// one undo of a record with the rollback's policy, then the emptied install
// folders. Every undo ignores its failure, so what is already gone is
// harmless.
#include <windows.h>

#include "engine/install_run_win.h"
#include "engine/install_worker_win.h"
#include "platform/file_ops_win.h"
#include "platform/path_names.h"
#include "platform/text_win.h"
#include "removal/record_undo_win.h"

namespace {

// A rollback's uninstall batch may run this long before it is ended...
constexpr uint32_t kRollbackBatchLimitMs = 60000;
// ...and is followed by this pause.
constexpr uint32_t kAfterRollbackBatchMs = 500;
// Pause after each undone record.
constexpr uint32_t kAfterRecordMs = 30;

ReportKind KindOf(UndoReport report) {
    switch (report) {
        case UndoReport::DeletingFile:
            return ReportKind::DeletingFile;
        case UndoReport::UninstallingDriver:
            return ReportKind::UninstallingDriver;
        default:
            return ReportKind::RollbackRemovingService;
    }
}

void SendUndoReport(UndoReport report, std::u16string_view subject, void* context) {
    SendReport(*static_cast<const InstallerState*>(context), KindOf(report), subject);
}

UndoPolicy RollbackPolicy(const InstallRun& run) {
    UndoPolicy policy;
    policy.Report = SendUndoReport;
    policy.ReportContext = &run.State;
    policy.BatchLimitMs = kRollbackBatchLimitMs;
    return policy;
}

}  // namespace

void RollBackInstallation(InstallRun& run) {
    const UndoPolicy policy = RollbackPolicy(run);
    ActionRecordList& records = run.Log.Records;
    for (const ActionRecord* record = MoveLast(records); record; record = MovePrevious(records)) {
        UndoRecord(*record, policy);
        if (record->Type == DriverUninstallRecord)
            PaceRun(run, kAfterRollbackBatchMs);
        // Undone records leave the journal, so a rollback that is killed is
        // finished by the next run without repeating what it did.
        TakeBackNewestRecord(run.Journal);
        PaceRun(run, kAfterRecordMs);
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
