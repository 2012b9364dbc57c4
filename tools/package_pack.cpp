#include "tools/package_pack.h"

#include <zstd.h>

#include "records/package_container.h"
#include "tools/package_writer.h"

namespace {

// One frame from one call: the frame's header then carries the content size,
// which the installer's decoder insists on.
std::vector<uint8_t> CompressFrame(const std::vector<uint8_t>& stored, int level) {
    std::vector<uint8_t> frame(ZSTD_compressBound(stored.size()));
    const size_t written = ZSTD_compress(frame.data(), frame.size(), stored.data(), stored.size(), level);
    if (ZSTD_isError(written))
        return {};
    frame.resize(written);
    return frame;
}

}  // namespace

std::vector<uint8_t> PackPackage(const std::vector<uint8_t>& stored, int level) {
    if (stored.size() > kMaxPackageContentSize)
        return {};
    const std::vector<uint8_t> frame = CompressFrame(stored, level);
    if (frame.empty() || frame.size() > kMaxPackageContentSize)
        return {};
    return ContainerAroundFrame(frame, static_cast<uint32_t>(stored.size()));
}

std::vector<uint8_t> ContainerAroundFrame(const std::vector<uint8_t>& frame, uint32_t contentSize) {
    const uint64_t digest = ContainerDigest(contentSize, frame.data(), frame.size());
    std::vector<uint8_t> out;
    out.reserve(kContainerHeaderSize + frame.size());
    AppendU32LE(out, kContainerMagic);
    AppendU32LE(out, contentSize);
    AppendU32LE(out, static_cast<uint32_t>(frame.size()));
    AppendU32LE(out, static_cast<uint32_t>(digest));
    AppendU32LE(out, static_cast<uint32_t>(digest >> 32));
    out.insert(out.end(), frame.begin(), frame.end());
    return out;
}
