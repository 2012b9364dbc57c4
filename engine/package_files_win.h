// The package's own folders and system-folder files on disk.
#pragma once

#include <string>

#include "records/package.h"

// Creates tree.InstallFolder and, depth first in list order, a directory for
// every PackageFolder below it, each before its own subfolders. Every path is
// InstallFolder\Name of the folder; a folder whose path would be too long is
// skipped. Files are not touched.
void CreateInstallDirectories(const PackageTree& tree);

// Writes all Size bytes of `file` into the system folder under the file's
// Name, replacing an existing file. Returns false when `file` is null, the
// file cannot be created, or fewer than Size bytes were written (the partial
// file is then deleted). `targetPath` (optional) receives the target path
// whenever one was formed, whether or not the write succeeded; it is left
// untouched when `file` is null or no target path fits.
bool WriteFileToSystemFolder(const PackageFile* file, std::u16string* targetPath = nullptr);
