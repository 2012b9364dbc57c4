// Removal of an earlier installation of the product, driven by that
// installation's own uninstall log, before a new installation writes anything.
//
// The log is data found on disk that this elevated program acts on, and an
// install folder may be writable by ordinary users; so a log is acted on only
// when its header names the folder it was found in, and each record is
// checked against what an installation of this product writes, and what it
// names on the machine against what that installation made, before it is
// undone (see uninstall_plausibility.h and removal_ownership_win.h).
#pragma once

#include <string>
#include <string_view>

#include "engine/installer_state.h"

// Called once at the start of each removal with the folder of the found log,
// on the thread that called RemovePreviousVersion. The install worker passes
// a function that sends the PreviousVersionFound report; null sends nothing.
using PreviousVersionReporter = void (*)(const InstallerState& state, std::u16string_view folder);

// Enables the debug privilege, removes the installation found through the
// product key (a log beside its service program; the recorded service is
// stopped and deleted in any case) and the one whose log lies at
// BaseFolder\Company\RootName\uninstall.log of the state. Returns when every
// removal it started has ended. Reads Options.BaseFolder, Company and the
// tree's RootName; a state without a tree examines only the product key.
void RemovePreviousVersion(const InstallerState& state, PreviousVersionReporter report);

// Loads the log at `logPath` and, when it loads and its header names the
// log's own folder, reports the folder and undoes the log's records on a
// removal thread, waiting for it to end. Nothing is removed when the log
// cannot be loaded, is refused, or the thread cannot be started.
void RemoveInstallationByLog(const std::u16string& logPath,
                             const InstallerState& state,
                             PreviousVersionReporter report);
