// The plain records a run's layers share about the run itself: the switches it
// was started with and the code it ends with. The parsing of the command line
// and the log's grammar stay with the programs (app/run_contract.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The codes of the system's own installer, which every deployment tool
// already maps.
enum class ExitCode : int {
    Success = 0,                  // installed, or removed
    InvalidCommandLine = 87,      // an unknown switch, or one missing its value
    UserCancelled = 1602,         // cancelled, declined, or the licence not accepted in a quiet run
    Failed = 1603,                // failed; what was done was rolled back (the log says what failed)
    NothingToRemove = 1605,       // no installation of this product to remove here
    AnotherRunInProgress = 1618,  // another installation or removal of this product is running
    BadPackage = 1620,            // the package inside the program is missing or damaged
    RestartRequired = 3010,       // success; files in use are replaced (or deleted) at the next restart
};

// Which program ends: a failed removal rolls nothing back.
enum class RunKind { Installation, Removal };

// A short English meaning of `code` for the log's last line, e.g. "success".
std::string_view ExitCodeMeaning(ExitCode code, RunKind kind = RunKind::Installation);

struct CommandLineOptions {
    bool Quiet = false;                 // /quiet: no window, no message box, no fixed pause
    bool Passive = false;               // /passive: the window shows the progress and asks nothing
    bool AcceptLicense = false;         // /accept-license
    bool Help = false;                  // /? or /help
    bool AllUsers = false;              // /allusers: Run value and shortcuts for every user of the machine
    std::optional<std::u16string> Dir;  // /dir=FOLDER, never empty
    std::optional<std::u16string> Log;  // /log=FILE, never empty
};
