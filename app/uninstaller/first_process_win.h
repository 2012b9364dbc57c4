// The uninstaller's first process (see first_process_win.cpp).
#pragma once

#include <string>
#include <vector>

// Reads the command line, checks the installation beside this program, asks
// for confirmation unless quiet or passive, and runs the removal in a temporary copy,
// waiting for it. Returns the exit code of the whole removal (ExitCode).
// `version` is this program's version, for the log.
int RunFirstProcess(const std::vector<std::u16string>& args, const char16_t* version);
