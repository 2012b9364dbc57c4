// The user signed in at this session's desktop, as an elevated program needs
// it to start something that must not run with its own rights: a program that
// reads files ordinary users may change runs with that user's token instead.
#pragma once

#include <windows.h>

#include "platform/process_control_win.h"
#include "platform/unique_handle_win.h"

// True when `token` (queryable) is elevated (TokenElevation); false when it
// is not or cannot be read.
bool IsElevatedToken(HANDLE token);

// IsElevatedToken of this process's token.
bool IsElevatedProcess();

// True when this process runs as LocalSystem (the token user's SID, judged by
// IsLocalSystemSid), as deployment tools start installers in session 0;
// false for any other account, or when the token cannot be read.
bool RunsAsLocalSystem();

// A primary token of the process that owns the desktop's shell window, which
// runs as the signed-in user without elevation. Null when there is no shell
// window (session 0, a service, a desktop without a shell) or its token
// cannot be opened or duplicated; the last error then says why.
UniqueKernelHandle SignedInUserToken();

// Starts `command` as RunProcess(command, 0) would (hidden, in a new console,
// in its program's folder, not waited for), but with `token` instead of this
// process's own. False when the command cannot be formed (see RunProcess) or
// CreateProcessWithTokenW fails, with its error kept in GetLastError().
bool StartProcessWithToken(HANDLE token, const CommandLine& command);
