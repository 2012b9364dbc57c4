// Access to the package resource that a program file carries.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Finds the resource of type "RES_DATA", identifier 132, in `module` (null:
// the running program). On success *data and *size describe its bytes, which
// are borrowed from the loaded module image and stay valid while the module
// stays loaded. Returns false when the module has no such resource.
bool FindPackageResource(HMODULE module, const uint8_t** data, size_t* size);
