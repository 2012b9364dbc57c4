#include "system/product_key_win.h"

#include <windows.h>

#include "system/key_record.h"
#include "system/path_names.h"
#include "system/product_constants.h"
#include "system/registry_win.h"

namespace {

void SetPathValue(HKEY key, const wchar_t* name, const PackageFile& file) {
    if (std::optional<std::u16string> path = FullPathOfPackageFile(file))
        SetStringValue(key, name, *path);
}

void WriteServiceValues(HKEY key, const ServiceEntry& service) {
    SetStringValue(key, L"MainServiceName", BaseNameOfPath(service.File->Name));
    SetPathValue(key, L"MainServicePath", *service.File);
    // Install scripts give every service a description; an entry without one
    // still leaves the value, empty, so the key always has the same shape.
    SetStringValue(key, L"MainServiceDescription", service.Description.value_or(u""));
}

void WriteInstallationValues(HKEY key, const InstallerState& state) {
    SetStringValue(key, L"Company", state.Company);
    SetPathValue(key, L"MainAppPath", *state.MainAppFile);
    SetDwordValue(key, L"LanguageID", state.Options.LangId);
    if (!state.ServiceList.empty() && state.ServiceList.front().File != nullptr)
        WriteServiceValues(key, state.ServiceList.front());
}

// The predefined key a recorded root value stands for; null for any other
// value. A damaged record must not make us use an arbitrary handle value.
HKEY PredefinedRoot(uint32_t rootValue) {
    switch (rootValue) {
        case 0x80000000:
            return HKEY_CLASSES_ROOT;
        case 0x80000001:
            return HKEY_CURRENT_USER;
        case 0x80000002:
            return HKEY_LOCAL_MACHINE;
        case 0x80000003:
            return HKEY_USERS;
        default:
            return nullptr;
    }
}

}  // namespace

bool WriteProductKey(const InstallerState& state, std::vector<uint8_t>* keyRecord) {
    UniqueKey key = CreateRegistryKey(HKEY_LOCAL_MACHINE, kProductKeyPath);
    if (!key)
        return false;
    if (state.MainAppFile != nullptr)
        WriteInstallationValues(key.Get(), state);
    key.Reset();
    if (keyRecord != nullptr)
        *keyRecord = EncodeKeyRecord(kLocalMachineRootValue, kProductKeyPath);
    return true;
}

ProductKeyValues ReadProductKey() {
    ProductKeyValues values;
    UniqueKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kProductKeyPath, KEY_READ);
    if (!key)
        return values;
    values.ServicePath = QueryStringValue(key.Get(), L"MainServicePath");
    values.ServiceName = QueryStringValue(key.Get(), L"MainServiceName");
    return values;
}

void DeleteKeyOfRecord(const uint8_t* bytes, size_t size) {
    std::optional<KeyRecord> record = DecodeKeyRecord(bytes, size);
    if (!record)
        return;
    HKEY root = PredefinedRoot(record->RootValue);
    std::u16string name = BaseNameOfPath(record->Path);
    if (root == nullptr || !IsPlainKeyName(name))
        return;
    std::u16string parentPath = record->Path;
    CutLastPathComponent(parentPath);
    if (UniqueKey parent = OpenRegistryKey(root, parentPath, KEY_ALL_ACCESS))
        DeleteSubkey(parent.Get(), name);
}
