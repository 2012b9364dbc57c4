#include "records/package_container.h"

#include <zstd.h>

#include <new>

#include "records/byte_reader.h"

// The digest is zstd's own XXH64 (from its sources, under its ZSTD_ prefix).
#include <xxhash.h>

bool IsPackageContainer(const uint8_t* bytes, size_t size) {
    ByteReader reader(bytes, size);
    uint32_t magic = 0;
    return reader.ReadU32LE(&magic) && magic == kContainerMagic;
}

uint64_t ContainerDigest(uint32_t contentSize, const uint8_t* frame, size_t frameSize) {
    const uint8_t header[12] = {0x5A,
                                0x50,
                                0x4B,
                                0xF1,
                                static_cast<uint8_t>(contentSize),
                                static_cast<uint8_t>(contentSize >> 8),
                                static_cast<uint8_t>(contentSize >> 16),
                                static_cast<uint8_t>(contentSize >> 24),
                                static_cast<uint8_t>(frameSize),
                                static_cast<uint8_t>(frameSize >> 8),
                                static_cast<uint8_t>(frameSize >> 16),
                                static_cast<uint8_t>(frameSize >> 24)};
    return XXH64(frame, frameSize, XXH64(header, sizeof header, 0));
}

ContainerCheck ReadPackageContainer(const uint8_t* bytes, size_t size, PackageContainer* out) {
    if (!IsPackageContainer(bytes, size))
        return ContainerCheck::Stored;
    ByteReader reader(bytes, size);
    uint32_t magic = 0, contentSize = 0, frameSize = 0, digestLow = 0, digestHigh = 0;
    if (!reader.ReadU32LE(&magic) || !reader.ReadU32LE(&contentSize) || !reader.ReadU32LE(&frameSize) ||
        !reader.ReadU32LE(&digestLow) || !reader.ReadU32LE(&digestHigh))
        return ContainerCheck::Truncated;
    const uint8_t* frame = nullptr;
    if (!reader.ReadBytes(frameSize, &frame))
        return ContainerCheck::Truncated;
    if (!reader.AtEnd())
        return ContainerCheck::Oversized;
    const uint64_t digest = (static_cast<uint64_t>(digestHigh) << 32) | digestLow;
    if (ContainerDigest(contentSize, frame, frameSize) != digest)
        return ContainerCheck::Mismatch;
    *out = PackageContainer{contentSize, digest, frame, frameSize};
    return ContainerCheck::Intact;
}

namespace {

// No zstd frame expands more than 32768-fold (a 4-byte RLE block gives
// 128 KB); a container declaring more is damaged, whatever its frame says,
// and nothing is allocated for it.
constexpr uint64_t kMaxExpansion = 32768;

// The frame's own header must declare the container's ContentSize, and the
// frame must be the only one: its declared size is then the whole output.
ContainerCheck CheckFrameHeader(const PackageContainer& container) {
    const unsigned long long declared = ZSTD_getFrameContentSize(container.Frame, container.FrameSize);
    if (declared == ZSTD_CONTENTSIZE_ERROR || declared == ZSTD_CONTENTSIZE_UNKNOWN)
        return ContainerCheck::BadFrame;
    if (declared > kMaxPackageContentSize)
        return ContainerCheck::TooLarge;
    if (declared != container.ContentSize || declared > kMaxExpansion * container.FrameSize)
        return ContainerCheck::BadFrame;
    const size_t frameSize = ZSTD_findFrameCompressedSize(container.Frame, container.FrameSize);
    if (ZSTD_isError(frameSize))
        return ContainerCheck::BadFrame;
    return frameSize == container.FrameSize ? ContainerCheck::Intact : ContainerCheck::Oversized;
}

struct DecoderContext {
    ZSTD_DCtx* Context = ZSTD_createDCtx();
    ~DecoderContext() { ZSTD_freeDCtx(Context); }
};

}  // namespace

ContainerCheck DecodePackageContainer(const PackageContainer& container, std::vector<uint8_t>* content) {
    content->clear();
    if (const ContainerCheck header = CheckFrameHeader(container); header != ContainerCheck::Intact)
        return header;
    if (container.ContentSize > content->max_size())
        return ContainerCheck::TooLarge;
    try {
        content->resize(container.ContentSize);
    } catch (const std::bad_alloc&) {
        return ContainerCheck::TooLarge;
    }
    DecoderContext decoder;
    // One call into a buffer of exactly the declared size: a frame that
    // expands further fails with "destination too small" instead of writing on.
    const size_t written = decoder.Context ? ZSTD_decompressDCtx(decoder.Context, content->data(), content->size(),
                                                                 container.Frame, container.FrameSize)
                                           : 0;
    if (!decoder.Context || ZSTD_isError(written) || written != container.ContentSize) {
        std::vector<uint8_t>().swap(*content);
        return ContainerCheck::BadFrame;
    }
    return ContainerCheck::Intact;
}

ContainerCheck UnpackPackage(const uint8_t* bytes, size_t size, std::vector<uint8_t>* content) {
    PackageContainer container;
    const ContainerCheck check = ReadPackageContainer(bytes, size, &container);
    if (check != ContainerCheck::Intact)
        return check;
    return DecodePackageContainer(container, content);
}

const char* ContainerCheckText(ContainerCheck check) {
    switch (check) {
        case ContainerCheck::Stored:
            return "stored package";
        case ContainerCheck::Intact:
            return "intact";
        case ContainerCheck::Truncated:
            return "the compressed package is cut short";
        case ContainerCheck::Oversized:
            return "bytes follow the compressed package";
        case ContainerCheck::Mismatch:
            return "the compressed package's digest does not match";
        case ContainerCheck::TooLarge:
            return "the package declares a size beyond what can be loaded";
        case ContainerCheck::BadFrame:
            return "the compressed package cannot be expanded to its declared size";
    }
    return "unknown";
}
