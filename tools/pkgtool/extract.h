// Writes a package's tree back out to the host file system.
#pragma once

#include <filesystem>
#include <string>

struct PackageTree;

// Writes every folder and file of `tree` below dir/RootName, each folder at
// its stored relative path ("driver\USB" -> dir/RootName/driver/USB), each
// file with its bytes; creates `dir` when missing and replaces files already
// there. Every name is checked before anything is written: a name that is
// empty, "." or "..", or holds a separator, a colon or a NUL makes the whole
// extraction fail untouched. A target that would resolve outside `dir`
// (through a symbolic link already present) stops it where it is. Returns an
// empty string on success, otherwise the reason.
std::string ExtractPackageTree(const PackageTree& tree, const std::filesystem::path& dir);
