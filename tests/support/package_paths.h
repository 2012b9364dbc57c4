// Where the files of a loaded package tree lie relative to the install
// folder, as the tests compare them with what was written or recorded.
#pragma once

#include <string>
#include <vector>

#include "records/package.h"

// "folder\name" for a file in a folder, the bare name for a file of the root.
inline std::u16string RelativePathOf(const PackageFile& file) {
    return file.Folder ? file.Folder->Name + u"\\" + file.Name : file.Name;
}

// The relative paths of every file in AllFiles order, the order an
// installation writes them in.
inline std::vector<std::u16string> RelativePathsInWriteOrder(const PackageTree& tree) {
    std::vector<std::u16string> paths;
    for (const PackageFile& file : tree.AllFiles)
        paths.push_back(RelativePathOf(file));
    return paths;
}
