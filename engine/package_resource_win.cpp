#include "engine/package_resource_win.h"

#include "resources/resource_ids.h"

bool FindPackageResource(HMODULE module, const uint8_t** data, size_t* size) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(IDR_PACKAGE), L"RES_DATA");
    if (!info)
        return false;
    // LoadResource returns a pointer into the mapped image, not a handle that
    // needs freeing; LockResource merely hands back that address.
    HGLOBAL loaded = LoadResource(module, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    DWORD length = SizeofResource(module, info);
    if (!bytes || length == 0)
        return false;
    *data = static_cast<const uint8_t*>(bytes);
    *size = length;
    return true;
}
