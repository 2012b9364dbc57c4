// Writes a seed corpus for package_container_fuzz into the directory named on
// the command line: whole containers (the shipped-like package and a tiny
// one, packed at two levels) and the same frames in the target's second form
// (ContentSize, then the frame), so no binary blobs live in the repository.
//
// Usage: package_container_seeds <directory>   (the directory must exist)

#include <cstdio>
#include <string>
#include <vector>

#include "records/package_container.h"
#include "tests/support/shipped_package.h"
#include "tools/package_pack.h"
#include "tools/package_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool WriteSeed(const std::string& directory, const std::string& name, const Bytes& bytes) {
    const std::string path = directory + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// The target's second form: ContentSize (bytes 4..7 of the container), then the frame.
Bytes FrameForm(const Bytes& container) {
    Bytes out(container.begin() + 4, container.begin() + 8);
    out.insert(out.end(), container.begin() + kContainerHeaderSize, container.end());
    return out;
}

bool WritePair(const std::string& directory, const std::string& name, const Bytes& container) {
    return !container.empty() && WriteSeed(directory, name + ".pkz", container) &&
           WriteSeed(directory, name + ".frame", FrameForm(container));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const Bytes tiny = MakePackage(MakeScriptBlock({}), MakeFileStore(StoreFolder{u"Root", {{u"a.txt", {1}}}, {}}));
    const bool ok = WritePair(dir, "shipped", PackPackage(ShippedPackage())) &&
                    WritePair(dir, "shipped_fast", PackPackage(ShippedPackage(), 1)) &&
                    WritePair(dir, "tiny", PackPackage(tiny)) && WriteSeed(dir, "stored.pkg", tiny);
    if (!ok) {
        std::fprintf(stderr, "cannot write the seeds to %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
