// Whether a folder may hold programs that run elevated, decided from facts
// about it that the Windows layer reads (folder_security_win.h): portable, so
// that every case can be built and judged without a file system that keeps
// permissions.
//
// A folder is trusted when nobody but administrators can change it or what
// is made inside it, and when it is the folder itself rather than a junction,
// symbolic link or other reparse point that sends whoever opens it elsewhere.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Who an owner or an access entry names.
enum class Principal {
    Administrative,  // Administrators, SYSTEM or TrustedInstaller
    CreatorOwner,    // CREATOR OWNER: stands for whoever creates something inside
    Other,           // anyone else, or an entry whose principal was not read
};

// One entry of a folder's DACL, as far as the decision needs it.
struct AccessEntry {
    Principal Who = Principal::Other;
    bool Allows = false;          // an allow entry; deny entries grant nothing
    bool ChangingRights = false;  // writing, adding, deleting, attributes, permissions, owner, generic write or all
    bool InheritOnly = false;     // applies only to what is created inside, not to the folder
    bool Deletes = false;         // DELETE (or all rights): the folder may be renamed or deleted
    // FILE_DELETE_CHILD, WRITE_DAC or WRITE_OWNER (or all rights): what lies
    // inside may be renamed or deleted, now or after a change of permissions.
    bool ControlsChildren = false;
};

// What was found at one folder's path, read through a handle that did not
// follow reparse points.
struct FolderFacts {
    bool Exists = false;
    bool Opened = false;        // it exists and a handle to it was opened
    bool ReparsePoint = false;  // the name holds a junction, symbolic link or other reparse point
    bool DescriptorRead = false;
    Principal Owner = Principal::Other;
    bool HasDacl = false;  // false for no DACL or a NULL one: everyone may do everything
    std::vector<AccessEntry> Entries;
};

enum class FolderVerdict {
    Trusted,
    ReparsePoint,    // a link stands where the folder should be
    OthersCanWrite,  // someone besides administrators can change it or what is made inside
    Unreadable,      // it exists but could not be opened, or its descriptor not read
    OthersCanMove,   // someone besides administrators can rename or delete it, or owns it
};

// True when the owner and entries let only administrators change the folder
// and what is created inside it: an administrative owner (any other could
// grant itself access), a DACL, and no allow entry with a changing right for
// anyone else. CREATOR OWNER counts only on what is created inside (an entry
// for it that is inherit only); an inherit-only entry for anyone else would
// hand that principal a changing right on every file and folder made inside,
// so it counts like one on the folder.
bool OnlyAdministratorsCanChange(const FolderFacts& facts);

// The verdict on one existing folder. Reading failures and reparse points are
// refused everywhere; what the descriptor says is judged only when
// `permissionsEnforced` (a system that keeps no permissions, as Wine, reports
// descriptors that protect nothing). A folder that does not exist is Trusted:
// there is nothing there yet to judge.
FolderVerdict JudgeFolder(const FolderFacts& facts, bool permissionsEnforced);

// The verdict on one existing folder above the base folder (the volume root
// and the folders down to the base's parent). Users may create folders there
// (C:\ lets them), but whoever can rename or delete such a folder can put
// one of theirs in its place after the check. So: it is no reparse point, is
// owned by Administrators, SYSTEM or TrustedInstaller, and no one else holds
// DELETE on it by an entry that applies to it (a volume root, which cannot be
// renamed, excepted). Reading failures and reparse points are refused
// everywhere, the descriptor judged only when `permissionsEnforced`. A
// missing folder is Trusted.
FolderVerdict JudgeFolderAbove(const FolderFacts& facts, bool volumeRoot, bool permissionsEnforced);

// Whether nobody but administrators may rename or delete what lies inside
// `parent`, or change its permissions to be allowed to: no allow entry that
// applies to the folder itself gives anyone else FILE_DELETE_CHILD, WRITE_DAC
// or WRITE_OWNER.
bool OnlyAdministratorsControlChildren(const FolderFacts& parent);

// The first folder of `folders` (the volume root down to the product folder,
// see InstallFolderChain; `base` is the base folder's index) that is
// refused, with its verdict; none when every one passes. Folders from the
// base down get JudgeFolder, those above it JudgeFolderAbove, and where
// permissions are enforced every existing folder below the first also needs
// OnlyAdministratorsControlChildren of the existing folder above it
// (OthersCanMove).
struct FolderRefusal {
    size_t Index = 0;
    FolderVerdict Verdict = FolderVerdict::Trusted;
};
std::optional<FolderRefusal> FirstRefusedFolder(const std::vector<FolderFacts>& folders,
                                                size_t base,
                                                bool permissionsEnforced);

// Why a folder with `verdict` is refused, for a log line that ends with the
// folder's path: "users other than administrators can write to ".
std::u16string FolderRefusalText(FolderVerdict verdict);

// The folders to judge for an installation into base\company\product, outermost
// first: the volume root and each folder down to the base folder's parent
// (for a base "X:\..." path; none for any other), the base folder
// (Folders[Base]), then the company and product folders, those whose paths
// fit (see JoinPath). Each is spelled as it is opened to be judged: a drive's
// root with its backslash ("D:" alone is the current folder of drive D), any
// other without one (a trailing backslash would be resolved through a link
// standing there).
struct FolderChain {
    std::vector<std::u16string> Folders;
    size_t Base = 0;
};
FolderChain InstallFolderChain(std::u16string_view base, std::u16string_view company, std::u16string_view product);
