// Where an elevated run keeps its log when not told where.
//
// %TEMP% of a deployment service running as SYSTEM is C:\Windows\Temp, where
// every user may create files: a log at a predictable name there could be
// made beforehand as a link to a file of the attacker's choosing. The logs of
// elevated runs go to a folder only administrators can write instead.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// True when this process runs with a full administrator token (elevated, or
// SYSTEM).
bool ProcessIsElevated();

// %ProgramData%\<company>\Logs. Each missing folder is made with the
// protected DACL (folder_security_win.h); each existing one, and one someone
// else made meanwhile, must be no reparse point and, where the system keeps
// permissions, changeable only by administrators. None when the process is
// not elevated, %ProgramData% is not set, or a folder cannot be made or is
// refused; the caller then keeps to %TEMP%.
std::optional<std::u16string> AdministratorsLogFolder(std::u16string_view company);
