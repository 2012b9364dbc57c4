// Steps 2 to 11 of an installation: the log header, the install folders,
// stopping what an earlier copy left running, the package files, the product
// key, the driver batches and the services.
#include <windows.h>

#include "engine/install_run_win.h"
#include "engine/install_worker_win.h"
#include "engine/package_files_win.h"
#include "engine/product_key_write_win.h"
#include "platform/file_ops_win.h"
#include "platform/folder_security_win.h"
#include "platform/path_names.h"
#include "platform/pending_renames_win.h"
#include "platform/process_control_win.h"
#include "platform/product_constants.h"
#include "platform/run_log.h"
#include "platform/service_control_win.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"
#include "records/key_record.h"
#include "removal/product_key_win.h"
#include "removal/uninstall_plausibility.h"

namespace {

// Every install-time batch file may run this long before it is ended.
constexpr DWORD kDriverBatchLimitMs = 180000;
// Pause after a driver set's uninstall batch, before its install batch runs.
constexpr DWORD kAfterUninstallBatchMs = 1000;

std::u16string ServiceNameOf(const ServiceEntry& entry) {
    return BaseNameOfPath(entry.File->Name);
}

// The path a package file would have with no length limit, only for telling
// the user which file could not be created.
std::u16string UnboundedPathOf(const PackageFile& file, const std::u16string& installFolder) {
    std::u16string path = installFolder + u"\\";
    if (file.Folder)
        path += file.Folder->Name + u"\\";
    return path + file.Name;
}

// One CreateFileW and one WriteFile of the file's whole content, straight
// from the bytes the tree holds. Created: the file exists (whole or not).
struct WriteOutcome {
    bool Created = false;
    bool Complete = false;
    DWORD Error = 0;  // of the failing call
};

WriteOutcome WriteWholePackageFile(const PackageFile& file, const std::u16string& path) {
    UniqueFile handle(CreateFileW(WidePtr(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        return {false, false, GetLastError()};
    DWORD written = 0;
    const bool wrote =
        file.Size == 0 || (file.Data && WriteFile(handle.Get(), file.Data, file.Size, &written, nullptr));
    const DWORD error = wrote ? ERROR_HANDLE_DISK_FULL : GetLastError();
    const bool complete = file.Size == 0 || (wrote && written == file.Size);
    return {true, complete, complete ? 0 : error};
}

// A package file that another process holds, left for ReplaceAtRestart.
struct HeldFile {
    const PackageFile* File;
    std::u16string Path;
};

// Stops the run (it then rolls back what it did) without a file to blame.
bool StopRun(InstallRun& run) {
    run.Failed = true;
    run.State.Running = false;
    return false;
}

// Stops the run at a file that could not be written.
bool FailAtFile(InstallRun& run, const std::u16string& shown) {
    SendReport(run.State, ReportKind::FileCreateFailed, shown);
    return StopRun(run);
}

// Writes one package file, its record already in the journal; false when the
// run must stop. A file that was created but not written completely is
// recorded before the failure is reported, so the rollback deletes what there
// is of it. A file in use is recorded and joins `held`: it is the
// installation's once it is replaced.
bool WriteOnePackageFile(InstallRun& run, const PackageFile& file, std::vector<HeldFile>& held) {
    std::optional<std::u16string> path = FullPathOfPackageFile(file);
    const std::u16string shown = path ? *path : UnboundedPathOf(file, run.Tree.InstallFolder);
    SendReport(run.State, ReportKind::CopyingFile, shown);
    WriteOutcome outcome{false, false, ERROR_FILENAME_EXCED_RANGE};
    if (path) {
        outcome = WriteWholePackageFile(file, *path);
        if (!outcome.Created && IsFileInUse(outcome.Error, *path)) {
            AppendTextRecord(run.Log.Records, FileRecord, *path);
            WriteLogLine("info", u"in use, to be replaced at the next restart: " + *path);
            held.push_back({&file, *path});
            return true;
        }
        if (outcome.Created)
            AppendTextRecord(run.Log.Records, FileRecord, *path);
    }
    LogAction("write-file", outcome.Complete, outcome.Error, shown);
    return outcome.Complete || FailAtFile(run, shown);
}

bool IsHidSet(const DriverBatchSet& set) {
    return (set.InstallX64 && ContainsHID(set.InstallX64->Name)) ||
           (set.InstallX86 && ContainsHID(set.InstallX86->Name));
}

bool IsX64Machine() {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

// The path of an optional batch file: empty text for none, nothing when the
// path does not fit.
std::optional<std::u16string> BatchPathOf(const PackageFile* file) {
    return file ? FullPathOfPackageFile(*file) : std::optional<std::u16string>(u"");
}

bool RunBatch(const std::u16string& path) {
    const bool ok = RunProcess(CommandLine{path, u""}, kDriverBatchLimitMs);
    LogAction("run-batch", ok, GetLastError(), path);
    return ok;
}

void RunDriverBatchSet(InstallRun& run, const DriverBatchSet& set, bool x64) {
    std::optional<std::u16string> install = BatchPathOf(x64 ? set.InstallX64 : set.InstallX86);
    std::optional<std::u16string> uninstall = BatchPathOf(x64 ? set.UninstallX64 : set.UninstallX86);
    // A set without an install batch for this processor has nothing to do; a
    // path that does not fit is never run in shortened form.
    if (!install || !uninstall || install->empty())
        return;
    SendReport(run.State, ReportKind::InstallingDrivers, *install);
    if (!uninstall->empty()) {
        RunBatch(*uninstall);
        PaceRun(run, kAfterUninstallBatchMs);
    }
    const int32_t runs = IsHidSet(set) ? run.HidRuns : 1;
    // Journaled before the batch runs: a run killed meanwhile is undone by
    // running the uninstall batch.
    RecordedAction(run, DriverUninstallRecord, *uninstall, [&] {
        bool ok = false;
        for (int32_t i = 0; i < runs; ++i)
            ok = RunBatch(*install) || ok;
        return ok;
    });
}

// Creates one package service; false when the run must stop.
bool CreateOneService(InstallRun& run, const ServiceEntry& entry) {
    const std::u16string name = ServiceNameOf(entry);
    std::optional<std::u16string> path = FullPathOfPackageFile(*entry.File);
    if (!path)
        return true;  // its file could not have been written either
    if (ServiceExists(name)) {
        SendReport(run.State, ReportKind::RemovingService, name);
        const bool deleted = StopAndDeleteService(name);
        LogAction("delete-existing-service", deleted, GetLastError(), name);
    }
    SendReport(run.State, ReportKind::InstallingService, *path);
    const bool created = RecordedAction(run, ServiceRecord, *path, [&] {
        const bool made = CreateAutoStartService(name, *path, entry.Description);
        LogAction("create-service", made, GetLastError(), name + u" " + *path);
        return made;
    });
    if (created)
        return true;
    SendReport(run.State, ReportKind::ServiceCreateFailed, *path);
    return StopRun(run);
}

// The base folder and every missing folder above it, outermost first; none
// when the base folder exists. A drive or share root is never "missing".
std::vector<std::u16string> MissingBaseFolders(const std::u16string& base) {
    std::vector<std::u16string> missing;
    std::u16string folder = base;
    while (!folder.empty() && folder.back() == u'\\')
        folder.pop_back();
    while (folder.size() > 3 && !PathExists(folder)) {
        missing.insert(missing.begin(), folder);
        const size_t slash = folder.find_last_of(u'\\');
        if (slash == std::u16string::npos || slash < 2)
            break;
        folder.resize(slash);
    }
    return missing;
}

void RefuseFolder(const InstallerState& state, FolderVerdict verdict, const std::u16string& folder) {
    WriteLogLine("error", u"refused: " + FolderRefusalText(verdict) + folder);
    SendReport(state, ReportKind::FileCreateFailed, folder);
}

// A folder this run wanted to make that someone else made meanwhile must pass
// as an existing folder. False when refused; the run is then stopped.
bool TakenFolderPasses(InstallRun& run, const FolderMaking& making, const std::u16string& folder) {
    if (!making.Taken || making.Verdict == FolderVerdict::Trusted)
        return true;
    RefuseFolder(run.State, making.Verdict, folder);
    return StopRun(run);
}

// Makes a missing install folder with the protected DACL; false when refused.
// One that cannot be made fails the run later, at its first file.
bool MakeProtectedFolder(InstallRun& run, const std::u16string& folder) {
    return TakenFolderPasses(run, MakeOrJudgeAdministratorsOnlyFolder(folder), folder);
}

}  // namespace

bool InstallFolderIsAdministratorsOnly(const InstallerState& state) {
    const bool enforced = SystemEnforcesPermissions();
    if (!enforced)
        WriteLogLine("info", u"folder permissions not checked: this system enforces none");
    const FolderChain chain = InstallFolderChain(state.Options.BaseFolder, state.Company, state.Product);
    const std::optional<FolderRefusal> refusal = FirstRefusedFolderOf(chain, enforced);
    if (!refusal)
        return true;
    RefuseFolder(state, refusal->Verdict, chain.Folders[refusal->Index]);
    return false;
}

// Each folder is recorded once made, so a rollback or a removal takes it
// away again when it is empty.
bool CreateMissingBaseFolders(InstallRun& run) {
    for (const std::u16string& folder : run.InheritedFolders) {
        if (IsBaseFolderOrAbove(folder, run.State.Options.BaseFolder))
            RecordAction(run, DirectoryRecord, folder);
    }
    for (const std::u16string& folder : MissingBaseFolders(run.State.Options.BaseFolder)) {
        const FolderMaking making = MakeOrJudgeAdministratorsOnlyFolder(folder);
        if (!TakenFolderPasses(run, making, folder))
            return false;
        if (making.Taken)
            continue;  // someone else's, and it passed: not this run's to remove
        LogAction("create-base-folder", making.Made, making.Error, folder);
        if (!making.Made)
            return true;
        RecordAction(run, DirectoryRecord, folder);
    }
    return true;
}

void StartLog(InstallRun& run) {
    run.Log.BaseFolder = run.State.Options.BaseFolder;
    run.Log.Company = run.State.Company;
    run.Log.Product = run.State.Product;
}

bool CreateInstallFolders(InstallRun& run) {
    std::optional<std::u16string> company = JoinPath(run.State.Options.BaseFolder, run.State.Company);
    std::optional<std::u16string> product = company ? JoinPath(*company, run.State.Product) : std::nullopt;
    run.Tree.RootName = run.State.Product;
    // A folder that does not fit is never created in shortened form: every
    // package file's path then fails to form, and the run stops at the first.
    run.Tree.InstallFolder =
        product ? *product : run.State.Options.BaseFolder + u"\\" + run.State.Company + u"\\" + run.State.Product;
    if (!product)
        return true;
    if (!CreateMissingBaseFolders(run) || !MakeProtectedFolder(run, *company) || !MakeProtectedFolder(run, *product))
        return false;
    CreateInstallDirectories(run.Tree);
    // Checked again now that the earlier version is gone and the folders are
    // there, before the first file (the journal) is written into them.
    if (!InstallFolderIsAdministratorsOnly(run.State))
        return StopRun(run);
    // From here on every record is on disk before its action.
    if (run.LogPath) {
        const bool started = StartJournal(run.Journal, *run.LogPath, run.Log);
        LogAction("start-uninstall-journal", started, GetLastError(), *run.LogPath);
    }
    return true;
}

void StopPackageServices(InstallRun& run) {
    for (const ServiceEntry& entry : run.State.ServiceList) {
        const std::u16string name = ServiceNameOf(entry);
        if (!ServiceExists(name))
            continue;
        SendReport(run.State, ReportKind::StoppingService, name);
        StopServiceByName(name);
        LogAction("stop-service", true, 0, name);
    }
}

void CloseRunningCopies(InstallRun& run) {
    for (const PackageFile& file : run.Tree.AllFiles) {
        if (!StillRunning(run))
            return;
        std::optional<std::u16string> path = FullPathOfPackageFile(file);
        if (path && HasExeExtension(*path) && PathExists(*path)) {
            TerminateProcessesByPath(*path);
            LogAction("close-running-copies", true, 0, *path);
        }
    }
}

// The records of the files about to be written, up to the first whose path
// does not form (the run stops there).
std::vector<std::vector<uint8_t>> PackageFileRecords(const InstallRun& run) {
    std::vector<std::vector<uint8_t>> records;
    for (const PackageFile& file : run.Tree.AllFiles) {
        std::optional<std::u16string> path = FullPathOfPackageFile(file);
        if (!path)
            break;
        records.push_back(TextRecordData(*path));
    }
    return records;
}

// The files' records reach the journal together, in one write and one flush
// before the first file is written: a flush per file would cost more than the
// files. Records of files that were not written in the end are taken back.
void WritePackageFiles(InstallRun& run) {
    const size_t first = JournalRecordCount(run.Journal);
    JournalRecords(run.Journal, FileRecord, PackageFileRecords(run));
    size_t written = 0;
    std::vector<HeldFile> held;
    bool goOn = true;
    for (const PackageFile& file : run.Tree.AllFiles) {
        const size_t recorded = run.Log.Records.Records.size();
        goOn = StillRunning(run) && WriteOnePackageFile(run, file, held);
        written += run.Log.Records.Records.size() - recorded;
        if (!goOn)
            break;
    }
    TakeBackRecordsFrom(run.Journal, first + written);
    // After the others, so that their records stay together in the journal.
    for (const HeldFile& file : held) {
        if (!goOn || !StillRunning(run))
            return;
        goOn = ReplaceAtRestart(run, file.Path, file.File->Data, file.File->Size) || FailAtFile(run, file.Path);
    }
}

void RecordProductKey(InstallRun& run) {
    RecordedAction(run, RegistryKeyRecord, EncodeKeyRecord(kLocalMachineRootValue, kProductKeyPath), [&] {
        const bool written = WriteProductKey(run.State);
        LogAction("write-product-key", written, GetLastError(), std::u16string(u"HKLM\\") + kProductKeyPath);
        return written;
    });
}

std::vector<const DriverBatchSet*> DriverBatchRunOrder(const InstallerState& state) {
    // The script list holds the sets in reverse script order.
    std::vector<const DriverBatchSet*> hid;
    std::vector<const DriverBatchSet*> other;
    for (const DriverBatchSet& set : state.DriverBatchSetList) {
        std::vector<const DriverBatchSet*>& list = IsHidSet(set) ? hid : other;
        list.insert(list.begin(), &set);
    }
    hid.insert(hid.end(), other.begin(), other.end());
    return hid;
}

void RunDriverBatches(InstallRun& run) {
    const std::vector<const DriverBatchSet*> order = DriverBatchRunOrder(run.State);
    run.HidRuns = run.State.Options.Hid > 0 ? run.State.Options.Hid : 1;
    if (order.empty())
        return;
    const bool x64 = IsX64Machine();
    for (const DriverBatchSet* set : order) {
        if (!StillRunning(run))
            return;
        RunDriverBatchSet(run, *set, x64);
    }
}

void CreatePackageServices(InstallRun& run) {
    for (const ServiceEntry& entry : run.State.ServiceList) {
        if (!StillRunning(run) || !CreateOneService(run, entry))
            return;
    }
}
