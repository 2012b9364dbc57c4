#include "platform/folder_security_win.h"

#include <aclapi.h>
#include <sddl.h>

#include "platform/text_win.h"

namespace {

// Rights that change a folder or what it holds.
constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                        FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                        GENERIC_ALL | MAXIMUM_ALLOWED;

// NT SERVICE\TrustedInstaller, which owns the system's own folders.
constexpr wchar_t kTrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

bool IsSidOf(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE buffer[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof buffer;
    return CreateWellKnownSid(type, nullptr, buffer, &size) && EqualSid(sid, buffer);
}

bool IsTrustedInstaller(PSID sid) {
    PSID trusted = nullptr;
    if (!ConvertStringSidToSidW(kTrustedInstaller, &trusted))
        return false;
    const bool same = EqualSid(sid, trusted) != FALSE;
    LocalFree(trusted);
    return same;
}

bool IsAdministrative(PSID sid) {
    return sid && IsValidSid(sid) &&
           (IsSidOf(sid, WinBuiltinAdministratorsSid) || IsSidOf(sid, WinLocalSystemSid) || IsTrustedInstaller(sid));
}

// The SID of a plain or callback allow entry (they share one layout); null
// for the object and compound kinds, whose SID lies elsewhere.
PSID AllowedSidOf(const ACE_HEADER* header) {
    switch (header->AceType) {
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
            return const_cast<DWORD*>(&reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header)->SidStart);
        default:
            return nullptr;
    }
}

bool IsAllowEntry(const ACE_HEADER* header) {
    switch (header->AceType) {
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
        case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
        case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
            return true;
        default:
            return false;
    }
}

bool DaclLetsOnlyAdministratorsWrite(PACL dacl) {
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry))
            return false;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (!IsAllowEntry(header) || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;  // denies nothing here, or applies only to what is inside
        const ACCESS_MASK mask = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header)->Mask;
        if (!(mask & kChangingRights))
            continue;
        // An object or compound entry (no SID read) must not grant changing
        // rights on a folder at all.
        if (!IsAdministrative(AllowedSidOf(header)))
            return false;
    }
    return true;
}

}  // namespace

bool OnlyAdministratorsCanWrite(PSECURITY_DESCRIPTOR descriptor) {
    if (!descriptor || !IsValidSecurityDescriptor(descriptor))
        return false;
    PSID owner = nullptr;
    BOOL ownerDefaulted = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) || !IsAdministrative(owner))
        return false;
    BOOL present = FALSE;
    BOOL daclDefaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &daclDefaulted))
        return false;
    // No DACL, or a NULL one, lets everyone do everything.
    if (!present || !dacl)
        return false;
    return DaclLetsOnlyAdministratorsWrite(dacl);
}

bool CreateAdministratorsOnlyFolder(const std::u16string& path) {
    // No owner: the creator's token gives it (Administrators for an elevated
    // administrator, SYSTEM for a deployment service).
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FRFX;;;BU)",
                                                              SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    const bool made = CreateDirectoryW(WidePtr(path), &attributes) != FALSE;
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return made;
}

bool FolderOnlyAdministratorsCanWrite(const std::u16string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status =
        GetNamedSecurityInfoW(WidePtr(path), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, nullptr, nullptr, &descriptor);
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        return false;
    }
    const bool onlyAdministrators = OnlyAdministratorsCanWrite(descriptor);
    LocalFree(descriptor);
    SetLastError(ERROR_SUCCESS);
    return onlyAdministrators;
}
