// Whether a folder may hold programs that run elevated: the facts of
// folder_trust.h read from the system, and folders made so that they pass.
//
// The installer starts the panel program and the driver batches from the
// installation folder with its own administrator token. That is safe only
// while nobody but administrators can change what lies there: a user who can
// write to the folder, or to a folder above it, can replace a program, plant
// a library beside it or swap the folder itself for a link to one of theirs.
#pragma once

#include <windows.h>

#include <string>

#include "platform/folder_trust.h"

// Administrative for Administrators, SYSTEM and TrustedInstaller,
// CreatorOwner for CREATOR OWNER, Other for anyone else and for an invalid SID.
Principal PrincipalOfSid(PSID sid);

// The owner and DACL facts of `descriptor` (OnlyAdministratorsCanChange
// judges them). DescriptorRead is false for a missing or invalid descriptor
// or a DACL that cannot be read.
FolderFacts DescriptorFacts(PSECURITY_DESCRIPTOR descriptor);

// OnlyAdministratorsCanChange of DescriptorFacts(descriptor).
bool OnlyAdministratorsCanWrite(PSECURITY_DESCRIPTOR descriptor);

// Opens `path` itself, never what a reparse point there leads to
// (FILE_FLAG_OPEN_REPARSE_POINT), and reads from that handle whether it is a
// reparse point and its owner and DACL (GetSecurityInfo). A name that does
// not exist gives Exists false; one that cannot be opened Opened false, with
// the caller's last error the reason.
FolderFacts ReadFolderFacts(const std::u16string& path);

// False on a system that keeps no permissions (Wine maps every user to one
// account): what a descriptor says there protects nothing and refuses
// everything.
bool SystemEnforcesPermissions();

// The first folder of `chain` (the volume root down to the product folder,
// see InstallFolderChain) that fails the check, each read by
// ReadFolderFacts and judged by FirstRefusedFolder; none when every one
// passes.
std::optional<FolderRefusal> FirstRefusedFolderOf(const FolderChain& chain, bool permissionsEnforced);

// Creates the folder `path` (its parent must exist) with a protected DACL,
// given in the create call itself: administrators and SYSTEM have full
// control, users read and run, and what is made inside inherits the same. A
// folder made for an installation must not take what its parent grants: one
// made under C:\ would let every signed-in user change it. False when it
// cannot be made; the last error says why (ERROR_ALREADY_EXISTS when the name
// is taken).
bool CreateAdministratorsOnlyFolder(const std::u16string& path);

// CreateAdministratorsOnlyFolder, or, when the name is already taken (someone
// else made it between a check and now, or a link holds it), the verdict on
// what holds it, judged as an existing folder (JudgeFolder; what its
// descriptor says only where SystemEnforcesPermissions).
struct FolderMaking {
    bool Made = false;   // created by this call, with the protected DACL
    bool Taken = false;  // the name was taken; Verdict is the verdict on what holds it
    FolderVerdict Verdict = FolderVerdict::Trusted;
    DWORD Error = 0;  // of CreateDirectoryW when neither
};
FolderMaking MakeOrJudgeAdministratorsOnlyFolder(const std::u16string& path);

// True when `path` exists, is no reparse point, and its owner and DACL let
// only administrators write (JudgeFolder with permissions enforced). False
// otherwise; when the folder could not be opened or its descriptor read, the
// caller's last error is the reason, else ERROR_SUCCESS.
bool FolderOnlyAdministratorsCanWrite(const std::u16string& path);
