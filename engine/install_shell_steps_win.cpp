// Steps 12 to 17 of an installation: Programs-menu and desktop shortcuts,
// desktop context-menu entries, system-folder files, the Add/Remove Programs
// entry and the logon Run entries. Shortcuts and Run entries go to the
// running account's own profile, or for all users (InstallOptions::AllUsers)
// to the common folders and HKLM.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "engine/install_run_win.h"
#include "engine/package_files_win.h"
#include "platform/file_ops_win.h"
#include "platform/path_names.h"
#include "platform/pending_renames_win.h"
#include "platform/shell_entries_win.h"
#include "platform/shortcut_win.h"
#include "platform/text.h"

#ifndef INSTALLER_VERSION
#define INSTALLER_VERSION "0.0.0"
#endif

namespace {

constexpr char16_t kInstallerVersion[] = u"" INSTALLER_VERSION;

// Creates `folder` when missing and records it, so that a rollback or a
// removal takes it away again once it is empty.
void EnsureRecordedDirectory(InstallRun& run, const std::u16string& folder) {
    RecordedAction(run, DirectoryRecord, folder, [&] {
        EnsureDirectory(folder);
        return true;
    });
}

// Links in `folder`, one per entry, recorded as their link base with `type`.
void CreateShortcutsIn(InstallRun& run,
                       const std::u16string& folder,
                       const std::forward_list<ShortcutEntry>& entries,
                       uint8_t type) {
    for (const ShortcutEntry& entry : entries) {
        if (!StillRunning(run))
            return;
        std::optional<std::u16string> link = JoinPath(folder, entry.DisplayName);
        std::optional<std::u16string> target = FullPathOfPackageFile(*entry.File);
        // The link file's own name carries ".lnk" besides the recorded base.
        if (!link || !target || link->size() + 4 > kMaxPathUnits)
            continue;
        RecordedAction(run, type, *link, [&] {
            const bool created = CreateShortcut(*link, *target);
            LogAction("create-shortcut", created, GetLastError(), *link + u".lnk");
            return created;
        });
    }
}

// The running account's own folder, or the one every user sees.
int ShortcutFolderOf(const InstallRun& run, int own, int common) {
    return run.State.Options.AllUsers ? common : own;
}

}  // namespace

void CreateProgramsShortcuts(InstallRun& run) {
    if (run.State.ProgramsShortcutList.empty())
        return;
    // An unresolved Programs folder would put the group at a drive's root.
    std::optional<std::u16string> programs =
        ShellFolder(ShortcutFolderOf(run, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS), true);
    std::optional<std::u16string> company = programs ? JoinPath(*programs, run.State.Company) : std::nullopt;
    std::optional<std::u16string> group = company ? JoinPath(*company, run.Tree.RootName) : std::nullopt;
    if (!group)
        return;
    EnsureRecordedDirectory(run, *company);
    EnsureRecordedDirectory(run, *group);
    CreateShortcutsIn(run, *group, run.State.ProgramsShortcutList, ProgramsShortcutRecord);
}

void AddDesktopMenuEntries(InstallRun& run) {
    for (const ShortcutEntry& entry : run.State.DesktopMenuList) {
        if (!StillRunning(run))
            return;
        std::optional<std::u16string> target = FullPathOfPackageFile(*entry.File);
        if (!target)
            continue;
        RecordedAction(run, DesktopMenuRecord, entry.DisplayName, [&] {
            const bool added = AddDesktopMenuEntry(entry.DisplayName, *target);
            LogAction("add-desktop-menu-entry", added, GetLastError(), entry.DisplayName);
            return added;
        });
    }
}

void WriteSystemFolderFiles(InstallRun& run) {
    for (const PackageFile* file : run.State.SystemFileList) {
        if (!StillRunning(run))
            return;
        // The target is known before the write, so it is journaled first.
        std::optional<std::u16string> system = ShellFolder(CSIDL_SYSTEM, true);
        std::optional<std::u16string> target = system && file ? JoinPath(*system, file->Name) : std::nullopt;
        if (!target)
            continue;
        RecordedAction(run, SystemFileRecord, *target, [&] {
            std::u16string written;
            const bool ok = WriteFileToSystemFolder(file, &written) && written == *target;
            const DWORD error = GetLastError();
            if (!ok && written == *target && IsFileInUse(error, *target))
                return ReplaceAtRestart(run, *target, file->Data, file->Size);
            LogAction("write-system-file", ok, error, *target);
            return ok;
        });
    }
}

void CreateDesktopShortcuts(InstallRun& run) {
    if (run.State.DesktopShortcutList.empty())
        return;
    if (std::optional<std::u16string> desktop =
            ShellFolder(ShortcutFolderOf(run, CSIDL_DESKTOP, CSIDL_COMMON_DESKTOPDIRECTORY), true))
        CreateShortcutsIn(run, *desktop, run.State.DesktopShortcutList, DesktopShortcutRecord);
}

namespace {

// What the package's files take on disk, rounded up to whole KB.
uint32_t EstimatedSizeKb(const PackageTree& tree) {
    uint64_t bytes = 0;
    for (const PackageFile& file : tree.AllFiles)
        bytes += file.Size;
    return static_cast<uint32_t>(std::min<uint64_t>((bytes + 1023) / 1024, 0xFFFFFFFFu));
}

std::u16string TodayAsYyyymmdd() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[16];
    snprintf(text, sizeof(text), "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return Utf8ToUtf16(text);
}

}  // namespace

void AddUninstallEntryOf(InstallRun& run) {
    if (!StillRunning(run) || !run.State.UninstallerFile)
        return;
    std::optional<std::u16string> uninstaller = FullPathOfPackageFile(*run.State.UninstallerFile);
    if (!uninstaller)
        return;
    UninstallEntryDetails details;
    details.InstallLocation = run.Tree.InstallFolder;
    details.DisplayVersion = kInstallerVersion;
    details.EstimatedSizeKb = EstimatedSizeKb(run.Tree);
    details.InstallDate = TodayAsYyyymmdd();
    // Kept whatever the outcome: removing an entry that is not there is harmless.
    RecordedAction(run, UninstallEntryRecord, run.State.Product, [&] {
        const bool added = AddUninstallEntry(run.State.Company, run.Tree.RootName, *uninstaller, details);
        LogAction("add-uninstall-entry", added, GetLastError(), run.State.Product);
        return true;
    });
}

void AddRunEntries(InstallRun& run) {
    const RunScope scope = run.State.Options.AllUsers ? RunScope::AllUsers : RunScope::CurrentUser;
    // Its own type, so that readers of older logs leave HKLM's value alone
    // rather than delete a value of that name from HKCU.
    const uint8_t type = scope == RunScope::AllUsers ? MachineRunEntryRecord : RunEntryRecord;
    for (const PackageFile* file : run.State.RunEntryList) {
        if (!StillRunning(run))
            return;
        std::optional<std::u16string> program = FullPathOfPackageFile(*file);
        if (!program)
            continue;
        const std::u16string commandLine = RunEntryCommandLine(*program);
        if (commandLine.size() > kMaxPathUnits)
            continue;
        // Only a value that was written is recorded; without it the panel
        // never starts at logon, so the run fails rather than report success.
        const bool added = RecordedAction(run, type, commandLine, [&] {
            const bool written = AddRunEntry(*program, scope);
            LogAction("add-run-entry", written, GetLastError(), commandLine);
            return written;
        });
        if (!added) {
            run.Failed = true;
            run.State.Running = false;
            return;
        }
    }
}
