// Human-readable listing of a package: its script, its tree, its file list.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "records/install_script.h"

struct InstallerState;
struct PackageTree;

// The command as a manifest line ("service \"a.exe\" \"Runs a\""); a
// (code, 0x7F) pair is "skip CODE". UTF-8.
std::string FormatScriptCommand(const ScriptCommand& command);

// Writes, in UTF-8: the block sizes; every script command in order as a
// manifest line with whether each of its paths resolves; how the installer's
// reading of the script ends; the whole tree with sizes (folders depth-first
// in the order the installer reads them, files in stored order); and AllFiles
// in list order. `package` must be the bytes `state` was loaded from with
// LoadPackage returning true.
void WritePackageListing(const std::vector<uint8_t>& package, InstallerState& state, std::ostream& out);
