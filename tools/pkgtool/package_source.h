// Where "list" and "extract" get package bytes from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Reads the package named on the command line into *out. On Windows a name
// ending in ".exe" means the package resource (type "RES_DATA", id 132) that
// program carries; anything else is a raw package file. Returns false with
// *error set ("cannot open: ...", "carries no package resource").
bool ReadPackageSource(const std::filesystem::path& path, std::vector<uint8_t>* out, std::string* error);
