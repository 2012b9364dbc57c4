// Access to the package resource that a program file carries.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "records/package_container.h"

// Finds the resource of type "RES_DATA", identifier 132, in `module` (null:
// the running program). On success *data and *size describe its bytes, which
// are borrowed from the loaded module image and stay valid while the module
// stays loaded. Returns false when the module has no such resource.
bool FindPackageResource(HMODULE module, const uint8_t** data, size_t* size);

// The package a module carries, in the form LoadPackage reads.
struct PackageResourceBytes {
    const uint8_t* Data = nullptr;  // the stored package: into the module's image, or into Unpacked
    size_t Size = 0;
    std::vector<uint8_t> Unpacked;                  // the expanded package when the resource is compressed; else empty
    ContainerCheck Check = ContainerCheck::Stored;  // what the resource held, or why it is damaged
};

enum class PackageResourceState {
    Missing,  // no package resource at all
    Damaged,  // a compressed package whose digest, sizes or frame do not hold (out->Check says which)
    Ready,    // out->Data and out->Size hold the stored package
};

// Finds the module's package resource and, when it is compressed, checks its
// digest and expands it, before anything else reads it. A stored resource is
// handed on unchecked: LoadPackage checks its structure. Data stays valid
// while the module stays loaded and *out is neither destroyed nor changed
// (moving it keeps Data valid).
PackageResourceState OpenPackageResource(HMODULE module, PackageResourceBytes* out);
