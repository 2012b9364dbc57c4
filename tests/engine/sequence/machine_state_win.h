// What an installation can change on the machine, read through the Win32
// API: for comparing the machine before and after a rolled-back run, and for
// reading single results of a finished one. Also the clean-up that takes a
// test's installation away again without the installer's own code.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Files the payload's programs write beside themselves when they run (the
// device-console tool's log and state, the service's log). No installation
// records them, so they and the folders holding them stay after a removal.
bool IsPayloadRuntimeFile(const std::u16string& name);

// Sorted lines, one per observed fact ("file|path|size|hash", "dir|path",
// "reg|key|value|type|data", "key|path", "service|name").
struct MachineSnapshot {
    std::vector<std::string> Lines;
};

// What a snapshot leaves out: each file or folder whose full path is in
// `Skipped` (letter case ignored) with everything below it, and without
// `HashContents` the files' contents (a file's line then holds a 0 hash).
struct SnapshotOptions {
    std::vector<std::u16string> Skipped;
    bool HashContents = true;
};

// The places an installation into `baseFolder` touches: every file and
// folder below it (payload runtime files and their folders left out), the
// user's and the common Programs menu and desktop, the shared documents
// folder, the product key (without the last run's "LastInstaller..." result
// values), the Add/Remove Programs keys, HKCU's and HKLM's Run values, the
// desktop context-menu keys, the names of all services and the files to be
// renamed at the next restart (PendingFileRenameOperations).
MachineSnapshot TakeSnapshot(const std::u16string& baseFolder, const SnapshotOptions& options = {});

// Lines only in `before` ("- ...") and only in `after` ("+ ..."); empty when
// the two are the same.
std::string SnapshotDifference(const MachineSnapshot& before, const MachineSnapshot& after);

// A shell folder (CSIDL value) as a path; empty when it cannot be resolved.
std::u16string ShellFolderPath(int csidl);

// Registry reads in this (32-bit) process's view. A REG_SZ read drops the
// terminator the data may lack.
std::optional<std::u16string> ReadStringValue(HKEY root, const std::u16string& key, const std::u16string& name);
std::optional<DWORD> ReadDwordValue(HKEY root, const std::u16string& key, const std::u16string& name);
bool KeyExists(HKEY root, const std::u16string& key);

struct ServiceFacts {
    DWORD StartType = 0;
    DWORD State = 0;
    std::u16string BinaryPath;
    std::u16string Description;
};
std::optional<ServiceFacts> ReadService(const std::u16string& name);

// Target path of the link "<linkBase>.lnk"; empty when it cannot be loaded.
std::u16string LinkTarget(const std::u16string& linkBase);

// Image paths, and identifiers, of the running processes whose image name
// is `imageName` (case ignored).
std::vector<std::u16string> ProcessImagesNamed(const std::u16string& imageName);
std::vector<DWORD> ProcessIdsNamed(const std::u16string& imageName);

// Sets the description of the service `name`; false when it cannot.
bool SetServiceDescription(const std::u16string& name, const std::u16string& description);

// Deletes `path` and everything below it, read-only files too; what cannot
// be deleted stays.
void RemoveTree(const std::u16string& path);

// Takes away every trace of the demo product (company Zorvanelle, product
// ZorvanelleV7) and everything below `baseFolder`, whatever state a test left
// it in: ends its programs, deletes its service, keys, values, shortcuts and
// folders.
void WipeDemoProduct(const std::u16string& baseFolder);
