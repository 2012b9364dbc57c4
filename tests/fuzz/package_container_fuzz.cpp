// libFuzzer target for the compressed package's container. Every input is
// read two ways: as a whole resource (header, sizes, digest), and, so that
// mutations reach the zstd decoder past the digest, as a 4-byte ContentSize
// followed by a frame, wrapped in a container whose digest is made to fit.
// Whatever is accepted must have expanded to exactly its declared size, and
// is then handed to the package reader as the installer would.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "records/installer_state.h"
#include "records/package.h"
#include "records/package_container.h"

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

void Append32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void CheckUnpack(const uint8_t* data, size_t size, uint32_t declared) {
    std::vector<uint8_t> content;
    const ContainerCheck check = UnpackPackage(data, size, &content);
    if (check != ContainerCheck::Intact) {
        Require(content.empty());
        return;
    }
    Require(content.size() == declared);
    InstallerState state;
    LoadPackage(state, content.data(), content.size());
}

void ReadAsFrame(const uint8_t* data, size_t size) {
    if (size < 4)
        return;
    const uint32_t declared = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
    const uint8_t* frame = data + 4;
    const size_t frameSize = size - 4;
    const uint64_t digest = ContainerDigest(declared, frame, frameSize);
    std::vector<uint8_t> container;
    Append32(container, kContainerMagic);
    Append32(container, declared);
    Append32(container, static_cast<uint32_t>(frameSize));
    Append32(container, static_cast<uint32_t>(digest));
    Append32(container, static_cast<uint32_t>(digest >> 32));
    container.insert(container.end(), frame, frame + frameSize);
    CheckUnpack(container.data(), container.size(), declared);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PackageContainer container;
    if (ReadPackageContainer(data, size, &container) == ContainerCheck::Intact)
        CheckUnpack(data, size, container.ContentSize);
    ReadAsFrame(data, size);
    return 0;
}
