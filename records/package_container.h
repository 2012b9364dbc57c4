// The compressed form of the package resource: a small header, a digest and
// one zstd frame whose content is the stored package byte for byte (the form
// LoadPackage reads). The resource holds either form; the stored one starts
// with its TotalSize, the compressed one with kContainerMagic, whose value as
// a TotalSize (over 4 GB) no package that a 32-bit process maps can have.
//
//   offset size  field (little-endian)
//   0      4     Magic, "ZPK" 0xF1
//   4      4     ContentSize: size of the stored package the frame expands to
//   8      4     FrameSize: size of the zstd frame after the header
//   12     8     Digest: XXH64 of the frame, seeded with XXH64 of bytes 0..11
//   20     ...   the frame, exactly FrameSize bytes, ending the resource
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint32_t kContainerMagic = 0xF14B505Au;  // bytes 5A 50 4B F1
inline constexpr size_t kContainerHeaderSize = 20;
// Largest package the stored form can describe: its TotalSize is 32-bit.
inline constexpr uint64_t kMaxPackageContentSize = 0xFFFFFFFFu;

// What reading the resource's bytes found.
enum class ContainerCheck {
    Stored,     // no container: the bytes are the stored package itself
    Intact,     // a container whose digest, sizes and frame all hold
    Truncated,  // shorter than its header, or FrameSize beyond the bytes present
    Oversized,  // bytes follow the frame, or more than one frame
    Mismatch,   // the digest does not match the bytes
    TooLarge,   // ContentSize beyond kMaxPackageContentSize, or no memory for it
    BadFrame,   // the frame is corrupt, declares no or another size, or expands past it
};

// Header fields of a container, borrowed from the bytes they were read from.
struct PackageContainer {
    uint32_t ContentSize = 0;
    uint64_t Digest = 0;
    const uint8_t* Frame = nullptr;
    size_t FrameSize = 0;
};

// True when `bytes` begin with kContainerMagic (the rest is not checked).
bool IsPackageContainer(const uint8_t* bytes, size_t size);

// The digest a container over `frame` with these sizes carries.
uint64_t ContainerDigest(uint32_t contentSize, const uint8_t* frame, size_t frameSize);

// Reads and checks the header and the digest; no allocation, no decoding.
// Stored when the bytes are not a container; Intact with *out filled when
// the header fits the bytes exactly and the digest matches; otherwise why not.
ContainerCheck ReadPackageContainer(const uint8_t* bytes, size_t size, PackageContainer* out);

// Expands a container read as Intact into *content (resized to ContentSize
// exactly, before decoding; nothing else is allocated from the frame). The
// frame must declare ContentSize as its own content size and expand to
// exactly that. Intact on success; otherwise *content is emptied.
ContainerCheck DecodePackageContainer(const PackageContainer& container, std::vector<uint8_t>* content);

// The package's bytes whichever form `bytes` hold: Stored (use `bytes` as
// they are; *content untouched), Intact (*content holds the stored package),
// or why the container is damaged.
ContainerCheck UnpackPackage(const uint8_t* bytes, size_t size, std::vector<uint8_t>* content);

// One-line English reason for a check ("the digest does not match").
const char* ContainerCheckText(ContainerCheck check);
