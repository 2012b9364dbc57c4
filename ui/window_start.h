// What the window starts with. The installer's start-up has loaded the
// package and resolved every option (app/installer/option_resolution.h); the
// window only shows them, and lets the user change the folder and the
// language before Install.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "records/installer_state.h"

struct WindowStart {
    // The program's package loaded into it; null, or a state without a tree,
    // when there is none (the window says so and keeps Install disabled).
    std::shared_ptr<InstallerState> State;
    bool PackageLoaded = false;
    // BaseFolder, ShowPanel, Hid, LangId and AllUsers as resolved. Unattended set:
    // script.ini accepted the licence, so the window installs at once and
    // hidden. The window names itself as OwnerWindow.
    InstallOptions Options;
    std::u16string FullInstallPath;  // BaseFolder\Company\Product, at most 259 units
    uint32_t LicenseLangId = 0;      // the language asked for; the licence text follows it
    // /passive: the window shows itself, installs at once and asks nothing
    // (the licence was accepted beforehand); failures go to the status band
    // and the run log, and the window closes itself at the end.
    bool Passive = false;
};
