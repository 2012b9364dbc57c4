// What the installer and the uninstaller promise to whoever starts them: the
// command-line switches and the exit codes. One module for both programs, so
// the two cannot drift apart; deployment tools read nothing but these.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
};

// Which program ends: a failed removal rolls nothing back.
enum class RunKind { Installation, Removal };

// A short English meaning of `code` for the log's last line, e.g. "success".
std::string_view ExitCodeMeaning(ExitCode code, RunKind kind = RunKind::Installation);

struct CommandLineOptions {
    bool Quiet = false;                 // /quiet: no window, no message box, no fixed pause
    bool AcceptLicense = false;         // /accept-license
    bool Help = false;                  // /? or /help
    std::optional<std::u16string> Dir;  // /dir=FOLDER, never empty
    std::optional<std::u16string> Log;  // /log=FILE, never empty
};

struct CommandLineParse {
    bool Ok = false;
    CommandLineOptions Options;
    std::u16string Problem;  // when not Ok: the offending argument and why
};

// Parses the program's arguments (without the program's own name). Switches
// start with "/" or "-" and are matched without regard to ASCII case; /dir and
// /log take their value after "=" and it must not be empty. Anything else -
// an unknown switch, a value on a switch that takes none, a plain word - is a
// bad command line. `allowed` lists the switch names the program knows
// ("quiet", "accept-license", "dir", "log", "help"; "?" is help's other
// spelling); a switch outside it is unknown.
CommandLineParse ParseCommandLine(const std::vector<std::u16string>& args,
                                  const std::vector<std::string_view>& allowed);

// The switch names each program knows.
const std::vector<std::string_view>& InstallerSwitches();
const std::vector<std::string_view>& UninstallerSwitches();

// The usage text of a program with `switches`, for the console or a message
// box; lines end in "\r\n".
std::u16string UsageText(std::u16string_view programName, const std::vector<std::string_view>& switches);
