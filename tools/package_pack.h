// Writes the compressed form of a package (records/package_container.h).
#pragma once

#include <cstdint>
#include <vector>

// zstd's level for the shipped package: its strongest without the "ultra"
// levels, whose windows a 32-bit decoder would have to hold in memory.
inline constexpr int kDefaultPackLevel = 19;

// A container holding `stored` (a package in the form LoadPackage reads) as
// one zstd frame that declares its content size, with its digest. Returns an
// empty vector when `stored` is larger than a container can declare or the
// encoder fails.
std::vector<uint8_t> PackPackage(const std::vector<uint8_t>& stored, int level = kDefaultPackLevel);

// The container around an already compressed `frame` that declares
// `contentSize` bytes: the header with the frame's digest, then the frame.
std::vector<uint8_t> ContainerAroundFrame(const std::vector<uint8_t>& frame, uint32_t contentSize);
