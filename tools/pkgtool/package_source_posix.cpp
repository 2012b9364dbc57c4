// Off Windows every package source is a raw package file.
#include "tools/pkgtool/package_source.h"

#include "tools/pkgtool/host_files.h"

bool ReadPackageSource(const std::filesystem::path& path, std::vector<uint8_t>* out, std::string* error) {
    return ReadFileBytes(path, out, error);
}
