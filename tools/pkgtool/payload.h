// Turns a payload directory on the host into the folder tree of a file store.
#pragma once

#include <filesystem>
#include <string>

#include "tools/package_writer.h"
#include "tools/pkgtool/manifest.h"

// Reads `dir` recursively into *root: root->Name = rootName, every folder's
// Name its path relative to `dir` joined by "\", files and subfolders sorted
// by name (byte-wise on UTF-8) so the same payload always gives the same
// store. Returns an empty string on success, otherwise "PATH: reason" for the
// first entry the installer could not carry (a name the package cannot hold,
// something that is neither a file nor a directory, sizes beyond 32 bits).
std::string ReadPayload(const std::filesystem::path& dir, const std::u16string& rootName, StoreFolder* root);

// Moves the entries each order names to the front of their folder's files
// and subfolders, in the order given; the rest keep their sorted order.
// Returns an error for each order whose folder or names are not in the
// payload (the store is then left partly arranged).
std::vector<ManifestError> ApplyManifestOrders(const std::vector<ManifestOrder>& orders, StoreFolder* root);
