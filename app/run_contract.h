// What the installer and the uninstaller promise to whoever starts them: the
// command-line switches and the exit codes. One module for both programs, so
// the two cannot drift apart; deployment tools read nothing but these.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/run_outcome.h"

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
// ("quiet", "passive", "accept-license", "allusers", "dir", "log", "help"; "?" is help's other
// spelling); a switch outside it is unknown.
CommandLineParse ParseCommandLine(const std::vector<std::u16string>& args,
                                  const std::vector<std::string_view>& allowed);

// /quiet or /passive: the run asks nothing and shows no message box, its log
// is written by default (RunLogPath) and the licence must be accepted
// beforehand.
bool AsksNothing(const CommandLineOptions& options);

// The switch names each program knows.
const std::vector<std::string_view>& InstallerSwitches();
const std::vector<std::string_view>& UninstallerSwitches();

// The usage text of a program with `switches`, for the console or a message
// box; lines end in "\r\n".
std::u16string UsageText(std::u16string_view programName, const std::vector<std::string_view>& switches);
