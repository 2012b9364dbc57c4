// Assembles package bytes from a parsed manifest and a payload tree.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/package_writer.h"
#include "tools/pkgtool/manifest.h"

// Lays the store out depth-first, resolves every path of every command not
// marked unchecked against that store exactly as the installer will, encodes
// the script and checks that the installer's reader accepts the result.
// Returns the errors (a path naming no payload file carries its manifest
// line; a package the reader rejects has line 0); on an empty result *out
// holds the package.
std::vector<ManifestError> BuildPackageBytes(const Manifest& manifest,
                                             const StoreFolder& root,
                                             std::vector<uint8_t>* out);
