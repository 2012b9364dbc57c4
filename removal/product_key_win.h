// The product's own registry key, HKEY_LOCAL_MACHINE\<kProductKeyPath>: the
// facts of an installation ("Company", "MainAppPath", "LanguageID" and the
// first service's "MainServiceName", "MainServicePath" and
// "MainServiceDescription"), read back by the next installation to find the
// one that is there, and deleted again through its uninstall-log record.
//
// Every access uses the process's default registry view: from this 32-bit
// program the key lies under Wow6432Node on a 64-bit system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The values an installation leaves for its successor and its uninstaller.
// Each is absent when the key or the value is missing, the value is longer
// than 259 units, or (LanguageId) it is not a DWORD.
struct ProductKeyValues {
    std::optional<std::u16string> ServicePath;  // "MainServicePath"
    std::optional<std::u16string> ServiceName;  // "MainServiceName"
    std::optional<uint32_t> LanguageId;         // "LanguageID", the installation's language code
};

ProductKeyValues ReadProductKey();

// Deletes the key a RegistryKeyRecord payload names, with its values: opens
// the parent path below the recorded root and deletes the subkey named
// BaseNameOfPath of the recorded path. Does nothing when the record is
// damaged (see DecodeKeyRecord), names no predefined root, or names no key;
// a key that has subkeys stays. Reports nothing.
void DeleteKeyOfRecord(const uint8_t* bytes, size_t size);
