#include "engine/product_key_write_win.h"

#include <windows.h>

#include "platform/path_names.h"
#include "platform/product_constants.h"
#include "platform/registry_win.h"
#include "records/key_record.h"
#include "records/package.h"

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
