// Writes a seed corpus for package_reader_fuzz into the directory named on
// the command line: whole packages, bare stores and bare scripts, built with
// the package writer so no binary blobs need to live in the repository.
//
// Usage: package_reader_seeds <directory>   (the directory must exist)

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/shipped_package.h"
#include "tools/package_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool WriteSeed(const std::string& directory, const char* name, const Bytes& bytes) {
    const std::string path = directory + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

StoreFolder TinyRoot() {
    StoreFolder nested{u"A\\B", {{u"c.txt", {3}}}, {}};
    StoreFolder folder{u"A", {{u"b.txt", {2}}}, {nested}};
    return StoreFolder{u"Root", {{u"a.txt", {1}}, {u"empty", {}}}, {folder}};
}

Bytes OddScriptBlock() {
    std::vector<ScriptCommand> commands = {
        MakeBareCommand(0xEE),
        MakeServiceCommand(u"a.txt", std::nullopt),
        MakeBatchCommand({{0, u"A\\b.txt"}, {2, u"A\\B\\c.txt"}}),
        MakePathTextCommand(kScriptDesktopMenu, u".\\a.txt", u"Menu"),
        MakePathCommand(kScriptSystemFile, u"\\a.txt"),
    };
    return MakeScriptBlock(EncodeScriptBody(commands));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const Bytes tinyStore = MakeFileStore(TinyRoot());
    const bool ok = WriteSeed(dir, "shipped.pkg", ShippedPackage()) &&
                    WriteSeed(dir, "shipped_reverse.pkg", ShippedPackage(StoreLayout::ReverseDepthFirst)) &&
                    WriteSeed(dir, "tiny.pkg", MakePackage(OddScriptBlock(), tinyStore)) &&
                    WriteSeed(dir, "empty_script.pkg", MakePackage(MakeScriptBlock({}), tinyStore)) &&
                    WriteSeed(dir, "tiny.store", tinyStore) &&
                    WriteSeed(dir, "tiny_reverse.store", MakeFileStore(TinyRoot(), StoreLayout::ReverseDepthFirst)) &&
                    WriteSeed(dir, "shipped.script", ShippedScriptBlock()) &&
                    WriteSeed(dir, "odd.script", OddScriptBlock());
    if (!ok) {
        std::fprintf(stderr, "cannot write seeds into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
