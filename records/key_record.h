// The bytes that name a registry key in the uninstall log (the payload of a
// RegistryKeyRecord): the root key's handle value as an unsigned 32-bit
// little-endian number, then the key path as UTF-16LE with its terminator.
// Size = 4 + (length + 1) x 2.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The root key value of HKEY_LOCAL_MACHINE as records store it.
inline constexpr uint32_t kLocalMachineRootValue = 0x80000002;

// Longest key path a record holds, terminator not counted.
inline constexpr size_t kMaxKeyRecordPathUnits = 255;

struct KeyRecord {
    uint32_t RootValue = 0;
    std::u16string Path;
};

// The record bytes of `path` below the root `rootValue`. Empty when `path` is
// longer than kMaxKeyRecordPathUnits or holds a NUL: such a record could not
// be read back as written.
std::vector<uint8_t> EncodeKeyRecord(uint32_t rootValue, std::u16string_view path);

// Reads record bytes. Absent for a damaged record: fewer than 6 bytes, no
// terminator within the bytes after the root, or a path longer than
// kMaxKeyRecordPathUnits. Bytes after the terminator are ignored. Never reads
// outside [bytes, bytes + size).
std::optional<KeyRecord> DecodeKeyRecord(const uint8_t* bytes, size_t size);
