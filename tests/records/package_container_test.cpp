#include "records/package_container.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <zstd.h>

#include "tools/package_pack.h"
#include "tools/package_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A stored package of some hundred bytes that compresses well.
Bytes StoredPackage() {
    Bytes stored;
    for (int i = 0; i < 400; ++i)
        stored.push_back(static_cast<uint8_t>(i % 7));
    return stored;
}

Bytes FrameOf(const Bytes& packed) {
    return Bytes(packed.begin() + kContainerHeaderSize, packed.end());
}

class PackageContainerTest : public ::testing::Test {
  protected:
    Bytes stored_ = StoredPackage();
    Bytes packed_ = PackPackage(stored_);
};

TEST_F(PackageContainerTest, PackedPackageUnpacksToTheStoredBytes) {
    Bytes content;
    ASSERT_EQ(UnpackPackage(packed_.data(), packed_.size(), &content), ContainerCheck::Intact);
    EXPECT_EQ(content, stored_);
    EXPECT_LT(packed_.size(), stored_.size());
}

TEST_F(PackageContainerTest, StoredPackagePassesThroughUntouched) {
    Bytes content{9};
    EXPECT_EQ(UnpackPackage(stored_.data(), stored_.size(), &content), ContainerCheck::Stored);
    EXPECT_EQ(content, Bytes{9});
}

// Each kind of damage, and what the reader calls it.
TEST_F(PackageContainerTest, EachKindOfDamageIsRefused) {
    struct Case {
        const char* Name;
        std::function<Bytes(Bytes)> Damage;
        ContainerCheck Expected;
    };
    const Bytes frame = FrameOf(packed_);
    const uint32_t size = static_cast<uint32_t>(stored_.size());
    const std::vector<Case> cases = {
        {"header cut short", [](Bytes b) { return Bytes(b.begin(), b.begin() + 10); }, ContainerCheck::Truncated},
        {"frame cut short", [](Bytes b) { return Bytes(b.begin(), b.end() - 1); }, ContainerCheck::Truncated},
        {"byte after the frame",
         [](Bytes b) {
             b.push_back(0);
             return b;
         },
         ContainerCheck::Oversized},
        {"content size flipped",
         [](Bytes b) {
             b[4] ^= 1;
             return b;
         },
         ContainerCheck::Mismatch},
        {"digest flipped",
         [](Bytes b) {
             b[12] ^= 0x80;
             return b;
         },
         ContainerCheck::Mismatch},
        {"frame byte flipped",
         [](Bytes b) {
             b[b.size() / 2] ^= 4;
             return b;
         },
         ContainerCheck::Mismatch},
        {"declares one byte more", [&](Bytes) { return ContainerAroundFrame(frame, size + 1); },
         ContainerCheck::BadFrame},
        {"declares one byte less", [&](Bytes) { return ContainerAroundFrame(frame, size - 1); },
         ContainerCheck::BadFrame},
        {"corrupt frame, digest made to fit",
         [&](Bytes) {
             Bytes bad = frame;
             bad[bad.size() - 3] ^= 0xFF;
             return ContainerAroundFrame(bad, size);
         },
         ContainerCheck::BadFrame},
        {"two frames",
         [&](Bytes) {
             Bytes two = frame;
             two.insert(two.end(), frame.begin(), frame.end());
             return ContainerAroundFrame(two, size);
         },
         ContainerCheck::Oversized},
    };
    for (const Case& c : cases) {
        const Bytes damaged = c.Damage(packed_);
        Bytes content;
        EXPECT_EQ(UnpackPackage(damaged.data(), damaged.size(), &content), c.Expected) << c.Name;
        EXPECT_TRUE(content.empty()) << c.Name;
    }
}

TEST_F(PackageContainerTest, FrameWithoutDeclaredSizeIsRefusedUnallocated) {
    // A streamed frame carries no content size: nothing may be sized from it.
    ZSTD_CCtx* context = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(context, ZSTD_c_contentSizeFlag, 0);
    Bytes frame(ZSTD_compressBound(stored_.size()) + 64);
    ZSTD_outBuffer out{frame.data(), frame.size(), 0};
    ZSTD_inBuffer in{stored_.data(), stored_.size(), 0};
    ASSERT_EQ(ZSTD_compressStream2(context, &out, &in, ZSTD_e_end), 0u);
    ZSTD_freeCCtx(context);
    frame.resize(out.pos);
    const Bytes container = ContainerAroundFrame(frame, static_cast<uint32_t>(stored_.size()));
    Bytes content;
    EXPECT_EQ(UnpackPackage(container.data(), container.size(), &content), ContainerCheck::BadFrame);
}

// A frame header declaring `declared` bytes (single segment, 8-byte size)
// followed by one empty last block: what a hostile frame can claim.
Bytes FrameDeclaring(uint64_t declared) {
    Bytes frame = {0x28, 0xB5, 0x2F, 0xFD, 0xE0};
    for (int shift = 0; shift < 64; shift += 8)
        frame.push_back(static_cast<uint8_t>(declared >> shift));
    frame.insert(frame.end(), {0x01, 0x00, 0x00});
    return frame;
}

TEST_F(PackageContainerTest, SizeNoFrameCouldExpandToIsRefusedUnallocated) {
    const Bytes container = ContainerAroundFrame(FrameDeclaring(0xFFFFFFF0u), 0xFFFFFFF0u);
    Bytes content;
    EXPECT_EQ(UnpackPackage(container.data(), container.size(), &content), ContainerCheck::BadFrame);
    EXPECT_EQ(content.capacity(), 0u);
}

TEST_F(PackageContainerTest, FrameDeclaringMoreThan32BitsIsTooLarge) {
    const Bytes container = ContainerAroundFrame(FrameDeclaring(0x100000000u), 0);
    Bytes content;
    EXPECT_EQ(UnpackPackage(container.data(), container.size(), &content), ContainerCheck::TooLarge);
    EXPECT_EQ(content.capacity(), 0u);
}

}  // namespace
