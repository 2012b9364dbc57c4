// Whether a folder may hold programs that run elevated.
//
// The installer starts the panel program and the driver batches from the
// installation folder with its own administrator token. That is safe only
// while nobody but administrators can change what lies there: a user who can
// write to the folder, or to a folder above it, can replace a program, plant
// a library beside it or swap the folder itself.
#pragma once

#include <windows.h>

#include <string>

// True when `descriptor` lets only administrators write: an owner that is
// Administrators, SYSTEM or TrustedInstaller (any other owner could grant
// itself write access), and a DACL whose allow entries that apply to the
// folder itself give a right that changes it (writing, adding, deleting,
// changing attributes, permissions or owner; generic write or all) only to
// those same principals. An entry for CREATOR OWNER applies only to what is
// created inside, never to the folder. False for a NULL DACL (everyone has
// full access), an unreadable descriptor, or a DACL that cannot be read.
bool OnlyAdministratorsCanWrite(PSECURITY_DESCRIPTOR descriptor);

// Creates the folder `path` (its parent must exist) with a protected DACL:
// administrators and SYSTEM have full control, users read and run, and what
// is made inside inherits the same. A folder made for an installation must not
// take what its parent grants: one made under C:\ would let every signed-in
// user change it. False when it cannot be made; the last error says why.
bool CreateAdministratorsOnlyFolder(const std::u16string& path);

// Reads the owner and DACL of the existing folder `path` and applies
// OnlyAdministratorsCanWrite. False when they cannot be read; the caller's
// last error is then the reason.
bool FolderOnlyAdministratorsCanWrite(const std::u16string& path);
