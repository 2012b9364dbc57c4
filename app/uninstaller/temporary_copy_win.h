// The uninstaller's temporary copy: the first process (started by Windows, a
// deployment tool or a script) cannot delete its own running file, so a copy
// of it in a private folder below %TEMP% does the removal while the first
// process waits. The copy hands the exit code back as soon as everything but
// the first process's own file is gone, waits for the first process to end,
// deletes that file, and has Windows delete the copy and its folder at the
// next restart.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/run_contract.h"
#include "platform/unique_handle_win.h"

// What the first process hands to the copy.
struct RemovalRequest {
    std::u16string LogPath;       // the uninstall.log beside the first process
    std::u16string OriginalPath;  // the first process's own file, in the installation folder
    std::u16string RunLogPath;    // the run log to go on writing; empty: none
    bool Quiet = false;
    bool Passive = false;  // the progress window closes itself whatever the result
    uint32_t LangId = 0;
};

// The first argument that marks a process as the copy. It is no public
// switch: the usage does not name it and the first process never accepts it.
inline constexpr char16_t kRemovalCopySwitch[] = u"/removal-copy";

// This program's own file; empty when its path does not fit MAX_PATH.
std::u16string OwnProgramPath();

// `path` without its last component.
std::u16string FolderOf(std::u16string path);

// Makes a new folder below %TEMP% (never one that already existed) whose
// access list grants only the running account, SYSTEM and the
// Administrators, and which inherits nothing from %TEMP%. None on failure.
std::optional<std::u16string> CreatePrivateTempFolder(const std::u16string& prefix);

// In the first process: copies the own file into a private folder, starts
// the copy with `request` and waits for its exit code. Failed when the copy
// cannot be made or started, or ends without handing back a code.
ExitCode RunRemovalCopy(const RemovalRequest& request);

// In the copy: the request and the two handles the first process passed.
struct RemovalCopyArguments {
    RemovalRequest Request;
    UniqueKernelHandle CodePipe;  // write end: the exit code goes here
    UniqueKernelHandle Original;  // the first process, to wait for its end
};

// Reads the arguments after kRemovalCopySwitch; none when they do not fit.
std::optional<RemovalCopyArguments> ParseRemovalCopyArguments(const std::vector<std::u16string>& args);

// Hands `code` to the waiting first process and closes the pipe.
void HandBackExitCode(RemovalCopyArguments& arguments, ExitCode code);

// After HandBackExitCode: waits for the first process to end, deletes
// `movedOriginal` (its file, moved out of the installation), and marks the
// copy's own file and folder for deletion at the next restart.
void FinishRemovalCopy(RemovalCopyArguments& arguments, const std::u16string& movedOriginal);

// The copy's state while it removes the product.
struct CopyRun {
    RemovalRequest Request;
    std::u16string Product;
    std::u16string MovedOriginal;  // the first process's file, moved out; empty while in place
    HWND Window = nullptr;         // the progress window; null when quiet
    HWND Lines = nullptr;
    // The removal stopped, or its folder failed the folder check: the first
    // process's file stays where it is, to be run again.
    bool KeepOriginal = false;
    ExitCode Code = ExitCode::Failed;
};

// The copy's whole run (args start with kRemovalCopySwitch): takes the run
// mutex, removes the product (with the progress window unless quiet), hands
// the exit code back and cleans up after the first process. Returns the code.
int RunCopy(const std::vector<std::u16string>& args);
