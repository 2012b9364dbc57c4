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

PackageResourceState OpenPackageResource(HMODULE module, PackageResourceBytes* out) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!FindPackageResource(module, &data, &size))
        return PackageResourceState::Missing;
    out->Check = UnpackPackage(data, size, &out->Unpacked);
    if (out->Check == ContainerCheck::Stored) {
        out->Data = data;
        out->Size = size;
        return PackageResourceState::Ready;
    }
    if (out->Check != ContainerCheck::Intact)
        return PackageResourceState::Damaged;
    out->Data = out->Unpacked.data();
    out->Size = out->Unpacked.size();
    return PackageResourceState::Ready;
}
