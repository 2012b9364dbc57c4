// The product's run mutex: one machine-wide name that an installation or a
// removal holds for its whole run, which no user but an administrator can
// create first.
//
// A mutex under a "Global\" name can be created by any signed-in user before
// the installer starts; the installer would then wait on a mutex someone else
// owns and end every run with 1618. This one lives in a private namespace
// whose boundary descriptor holds the Administrators SID: only a token with
// that group can create the namespace, and the namespace's default DACL (from
// an administrator's or SYSTEM's token) lets only them open it.
#pragma once

#include <windows.h>

#include "platform/unique_handle_win.h"

struct RunMutex {
    UniqueKernelHandle Mutex;
    bool Private = false;  // false: the system has no private namespaces, the global name is used
};

// Creates or opens the run mutex (product_constants.h) without waiting for it:
// in the private namespace (created, or opened when another run made it),
// which stays open until the process ends (closed, it would take its names
// with it, and the next run would make a second mutex of the same name);
// else, on a system without the namespace functions (Wine 8 exports none but
// CreateBoundaryDescriptorW, which returns NULL), under the global name. An
// empty Mutex when it can be neither created nor opened; the last error is
// then the reason.
RunMutex CreateRunMutex();
