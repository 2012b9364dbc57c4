// The one process-wide record the installation works from: the package's
// script results and file tree, the options the window chose, and the worker
// thread's control fields.
#pragma once

#include <atomic>
#include <cstdint>
#include <forward_list>
#include <memory>
#include <optional>
#include <string>

#include "records/package.h"

// Opaque window handle (an HWND on Windows); the portable core never uses it.
using WindowHandle = void*;

// Where a run's reports and pacing waits go; the engine defines it
// (engine/report_sink.h), this record only carries the choice.
struct ReportSink;

// Owner of the worker thread's handle. The platform layer that creates the
// thread supplies the closer; resetting it releases the handle without waiting.
using WorkerThreadHandle = std::unique_ptr<void, void (*)(void*)>;

struct ShortcutEntry {
    const PackageFile* File = nullptr;  // always present
    std::u16string DisplayName;
};

struct ServiceEntry {
    const PackageFile* File = nullptr;          // always present
    std::optional<std::u16string> Description;  // absent when the script gives none
};

struct DriverBatchSet {
    const PackageFile* InstallX86 = nullptr;
    const PackageFile* InstallX64 = nullptr;
    const PackageFile* UninstallX86 = nullptr;
    const PackageFile* UninstallX64 = nullptr;
};

// Language of a licence text as the package tags it.
enum LanguageIndex : uint8_t {
    kLanguageChinese = 0,
    kLanguageEnglish = 1,
    kLanguageItalian = 2,
    kLanguageGerman = 3,
    kLanguageKorean = 4,
};

struct LicenseEntry {
    uint8_t LanguageIndex = 0;
    const PackageFile* File = nullptr;  // always present
};

struct InstallOptions {
    WindowHandle OwnerWindow = nullptr;   // receiver of every report; null means no reports
    const ReportSink* Reports = nullptr;  // chosen by whoever starts the run; null: the run log only
    std::u16string BaseFolder;            // at most 259 units
    bool Unattended = false;
    bool ShowPanel = false;
    int32_t Hid = 0;
    uint32_t LangId = 0;
    // The Run value and the shortcuts go where every user of the machine
    // finds them (HKLM, the common Programs menu and desktop), not into the
    // running account's own profile.
    bool AllUsers = false;
};

// How the last run on the state ended; written by the worker before its
// last report, read by whoever waits for the worker to end.
enum class RunOutcome : uint8_t {
    None,                    // no run has ended
    Completed,               // installed
    CompletedRestartNeeded,  // installed; files in use are replaced at the next restart
    Failed,                  // a file or service could not be created; rolled back
    Cancelled,               // stopped from outside; rolled back
};

struct InstallerState {
    InstallerState() = default;
    InstallerState(const InstallerState&) = delete;
    InstallerState& operator=(const InstallerState&) = delete;

    std::u16string Company;  // command 0
    std::u16string Product;  // command 13
    const PackageFile* MainAppFile = nullptr;
    const PackageFile* AuxAppFile = nullptr;
    const PackageFile* UninstallerFile = nullptr;
    std::forward_list<const PackageFile*> LaunchList;
    std::forward_list<const PackageFile*> RunEntryList;
    std::forward_list<ShortcutEntry> ProgramsShortcutList;
    std::forward_list<ShortcutEntry> DesktopMenuList;
    std::forward_list<const PackageFile*> SystemFileList;
    std::forward_list<ShortcutEntry> DesktopShortcutList;
    std::forward_list<ServiceEntry> ServiceList;
    std::forward_list<DriverBatchSet> DriverBatchSetList;
    std::forward_list<LicenseEntry> LicenseList;
    std::unique_ptr<PackageTree> Tree;  // null until LoadPackage accepts a package
    InstallOptions Options;
    std::atomic<bool> Running{false};  // cleared by the window to stop the worker
    WorkerThreadHandle WorkerThread{nullptr, nullptr};
    std::atomic<RunOutcome> Outcome{RunOutcome::None};
};
