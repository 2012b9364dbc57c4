// The package tool's commands, callable from tests as from main().
#pragma once

#include <ostream>
#include <string>
#include <vector>

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the command ran and failed
inline constexpr int kExitUsage = 2;    // the command line was wrong

// Runs one pkgtool command line (`args` without the program name, UTF-8).
// Results go to `out` and every message to `err`, both UTF-8. Returns the
// process exit status.
int RunPkgtool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
