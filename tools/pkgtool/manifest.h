// The package manifest: a UTF-8 text that names the root folder and every
// script command in order (the format is described in tools/MANIFEST.md).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/install_script.h"

struct ManifestError {
    int Line = 0;  // 1-based; 0 when the fault belongs to no single line
    std::string Message;
};

struct ManifestCommand {
    ScriptCommand Command;
    int Line = 0;
    bool Unchecked = false;  // its paths need not name files of the payload
};

// Record order wanted for some entries of one store folder; entries it does
// not name follow, sorted by name.
struct ManifestOrder {
    std::u16string Folder;              // package-relative folder path; empty for the root
    std::vector<std::u16string> Names;  // bare names of its files and subfolders, in order
    int Line = 0;
};

struct Manifest {
    std::optional<std::u16string> RootName;  // from a "root" line
    std::vector<ManifestCommand> Commands;   // in manifest order
    std::vector<ManifestOrder> Orders;       // at most one per folder
};

// Parses a whole manifest. Returns every error found, in line order; on an
// empty result *out holds the manifest. Paths are only checked for length
// here: whether they name payload files is decided against the built store.
std::vector<ManifestError> ParseManifest(std::string_view text, Manifest* out);

// "MANIFEST:LINE: message" (or "MANIFEST: message" for line 0).
std::string FormatManifestError(std::string_view manifestName, const ManifestError& error);
