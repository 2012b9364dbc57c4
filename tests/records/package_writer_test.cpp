#include "tools/package_writer.h"

#include <gtest/gtest.h>

#include <vector>

#include "records/package.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Root "R" holding file "f" (2 bytes) and folder "A"; "A" holds file "g"
// (1 byte) and folder "A\B"; "A\B" holds the empty file "h". Regions:
// root 0..42 (header 16, file 10, folder record 16), "A" 29 bytes (file 9,
// folder record 20), "A\B" 8 bytes (file 8).
StoreFolder SmallTree() {
    StoreFolder b{u"A\\B", {{u"h", {}}}, {}};
    StoreFolder a{u"A", {{u"g", {7}}}, {b}};
    return StoreFolder{u"R", {{u"f", {1, 2}}}, {a}};
}

class PackageWriterTest : public ::testing::Test {
  protected:
    // ContentOffsets of "A" and "A\B" as the reader sees them.
    std::pair<uint32_t, uint32_t> Offsets(const Bytes& store) {
        tree_ = BuildPackageTree(store.data(), store.size());
        EXPECT_NE(tree_, nullptr);
        if (!tree_)
            return {0, 0};
        const PackageFolder& a = tree_->Folders.front();
        return {a.ContentOffset, a.Folders.front().ContentOffset};
    }

    std::unique_ptr<PackageTree> tree_;
};

TEST_F(PackageWriterTest, PlacesRegionsDepthFirstInRecordOrder) {
    const Bytes store = MakeFileStore(SmallTree());
    EXPECT_EQ(store.size(), 79u);
    EXPECT_EQ(Offsets(store), std::make_pair(42u, 71u));
}

TEST_F(PackageWriterTest, PlacesRegionsInOppositeOrderForReverseLayout) {
    const Bytes store = MakeFileStore(SmallTree(), StoreLayout::ReverseDepthFirst);
    EXPECT_EQ(store.size(), 79u);
    EXPECT_EQ(Offsets(store), std::make_pair(50u, 42u));
}

TEST_F(PackageWriterTest, WritesStoreSizeAndRootHeader) {
    const Bytes store = MakeFileStore(SmallTree());
    const Bytes header = {79, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 'R', 0, 0, 0};
    EXPECT_EQ(Bytes(store.begin(), store.begin() + 16), header);
}

TEST_F(PackageWriterTest, EncodesStringsAsTerminatedUtf16LE) {
    Bytes out;
    AppendString16(out, u"A\u4E2D");
    EXPECT_EQ(out, (Bytes{'A', 0, 0x2D, 0x4E, 0, 0}));
}

TEST_F(PackageWriterTest, EncodesBareCommandAsPair) {
    ScriptCommand command;
    command.Code = 9;
    command.HasArguments = false;
    Bytes body;
    AppendScriptCommand(body, command);
    EXPECT_EQ(body, (Bytes{9, 0x7F}));
}

TEST_F(PackageWriterTest, PrefixesBlocksWithTheirSizes) {
    const Bytes script = MakeScriptBlock({1, 0x7F});
    EXPECT_EQ(script, (Bytes{6, 0, 0, 0, 1, 0x7F}));
    const Bytes package = MakePackage(script, {4, 0, 0, 0});
    EXPECT_EQ(package, (Bytes{14, 0, 0, 0, 6, 0, 0, 0, 1, 0x7F, 4, 0, 0, 0}));
}

}  // namespace
