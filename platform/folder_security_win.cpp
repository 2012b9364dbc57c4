#include "platform/folder_security_win.h"

#include <aclapi.h>
#include <sddl.h>

#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

// Rights that change a folder or what it holds.
constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                        FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                        GENERIC_ALL | MAXIMUM_ALLOWED;

// Rights that rename or delete a folder, or what lies inside it, now or once
// the permissions are changed.
constexpr ACCESS_MASK kDeletingRights = DELETE | GENERIC_ALL | MAXIMUM_ALLOWED;
constexpr ACCESS_MASK kChildControllingRights =
    FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER | GENERIC_ALL | MAXIMUM_ALLOWED;

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

// Every allow kind keeps its mask right after the header. An object or
// compound entry (no SID read) counts as naming someone else.
AccessEntry EntryOf(const ACE_HEADER* header) {
    AccessEntry entry;
    entry.Allows = IsAllowEntry(header);
    if (!entry.Allows)
        return entry;
    entry.Who = PrincipalOfSid(AllowedSidOf(header));
    const ACCESS_MASK mask = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header)->Mask;
    entry.ChangingRights = (mask & kChangingRights) != 0;
    entry.Deletes = (mask & kDeletingRights) != 0;
    entry.ControlsChildren = (mask & kChildControllingRights) != 0;
    entry.InheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
    return entry;
}

bool ReadEntries(PACL dacl, std::vector<AccessEntry>& entries) {
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry))
            return false;
        entries.push_back(EntryOf(static_cast<const ACE_HEADER*>(entry)));
    }
    return true;
}

bool IsReparsePoint(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Windows reports a reparse point on the handle; Wine 8 reports a Unix
// symbolic link as one only by name, so both are asked. Unreadable
// attributes count as a reparse point: nothing proves it is none.
bool HandleOrNameIsReparsePoint(HANDLE handle, const std::u16string& path) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag))
        return true;
    return IsReparsePoint(tag.FileAttributes) || IsReparsePoint(GetFileAttributesW(WidePtr(path)));
}

void ReadDescriptorOf(HANDLE handle, FolderFacts& facts) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                         nullptr, nullptr, nullptr, nullptr, &descriptor);
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        return;
    }
    const FolderFacts read = DescriptorFacts(descriptor);
    LocalFree(descriptor);
    facts.DescriptorRead = read.DescriptorRead;
    facts.Owner = read.Owner;
    facts.HasDacl = read.HasDacl;
    facts.Entries = read.Entries;
    SetLastError(ERROR_SUCCESS);
}

}  // namespace

Principal PrincipalOfSid(PSID sid) {
    if (!sid || !IsValidSid(sid))
        return Principal::Other;
    if (IsSidOf(sid, WinBuiltinAdministratorsSid) || IsSidOf(sid, WinLocalSystemSid) || IsTrustedInstaller(sid))
        return Principal::Administrative;
    return IsSidOf(sid, WinCreatorOwnerSid) ? Principal::CreatorOwner : Principal::Other;
}

FolderFacts DescriptorFacts(PSECURITY_DESCRIPTOR descriptor) {
    FolderFacts facts;
    if (!descriptor || !IsValidSecurityDescriptor(descriptor))
        return facts;
    PSID owner = nullptr;
    BOOL ownerDefaulted = FALSE;
    BOOL present = FALSE;
    BOOL daclDefaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) ||
        !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &daclDefaulted))
        return facts;
    facts.Owner = PrincipalOfSid(owner);
    // No DACL, or a NULL one, lets everyone do everything.
    facts.HasDacl = present && dacl;
    facts.DescriptorRead = !facts.HasDacl || ReadEntries(dacl, facts.Entries);
    return facts;
}

bool OnlyAdministratorsCanWrite(PSECURITY_DESCRIPTOR descriptor) {
    return OnlyAdministratorsCanChange(DescriptorFacts(descriptor));
}

FolderFacts ReadFolderFacts(const std::u16string& path) {
    FolderFacts facts;
    UniqueFile folder(CreateFileW(WidePtr(path), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) {
        const DWORD error = GetLastError();
        facts.Exists = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
        SetLastError(error);
        return facts;
    }
    facts.Exists = true;
    facts.Opened = true;
    facts.ReparsePoint = HandleOrNameIsReparsePoint(folder.Get(), path);
    ReadDescriptorOf(folder.Get(), facts);
    return facts;
}

bool SystemEnforcesPermissions() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return !ntdll || !GetProcAddress(ntdll, "wine_get_version");
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

FolderMaking MakeOrJudgeAdministratorsOnlyFolder(const std::u16string& path) {
    FolderMaking making;
    making.Made = CreateAdministratorsOnlyFolder(path);
    making.Error = making.Made ? 0 : GetLastError();
    if (making.Made || making.Error != ERROR_ALREADY_EXISTS)
        return making;
    making.Taken = true;
    const FolderFacts facts = ReadFolderFacts(path);
    // Gone again since: whoever holds the name is still at work there.
    making.Verdict = facts.Exists ? JudgeFolder(facts, SystemEnforcesPermissions()) : FolderVerdict::Unreadable;
    return making;
}

bool FolderOnlyAdministratorsCanWrite(const std::u16string& path) {
    const FolderFacts facts = ReadFolderFacts(path);
    if (!facts.Opened)
        return false;
    const DWORD error = GetLastError();
    const bool trusted = JudgeFolder(facts, true) == FolderVerdict::Trusted;
    SetLastError(error);
    return trusted;
}

std::optional<FolderRefusal> FirstRefusedFolderOf(const FolderChain& chain, bool permissionsEnforced) {
    std::vector<FolderFacts> facts;
    for (const std::u16string& folder : chain.Folders)
        facts.push_back(ReadFolderFacts(folder));
    return FirstRefusedFolder(facts, chain.Base, permissionsEnforced);
}
