#include "removal/product_key_win.h"

#include <windows.h>

#include "platform/path_names.h"
#include "platform/product_constants.h"
#include "platform/registry_win.h"
#include "records/key_record.h"

namespace {

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

ProductKeyValues ReadProductKey() {
    ProductKeyValues values;
    UniqueKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kProductKeyPath, KEY_READ);
    if (!key)
        return values;
    values.ServicePath = QueryStringValue(key.Get(), L"MainServicePath");
    values.ServiceName = QueryStringValue(key.Get(), L"MainServiceName");
    values.LanguageId = QueryDwordValue(key.Get(), L"LanguageID");
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
