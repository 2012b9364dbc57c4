// The one resolution of an installer run's options, whichever way the run
// goes: the window, the hidden run that script.ini starts, or /quiet. It reads
// the command line, script.ini and the package, falls back to built-in
// defaults, and says where each setting came from, so the log can tell an
// administrator why the product went where it went.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/unattended_config.h"
#include "platform/base_folder_text.h"
#include "records/installer_state.h"
#include "records/run_outcome.h"

// The three ways an installer run goes.
enum class RunMode {
    Window,     // the page is shown and the user installs
    ScriptRun,  // script.ini accepts the licence: the window installs at once, hidden
    Quiet,      // /quiet: no window at all; the run log takes the reports
    Passive,    // /passive: the window installs at once, shown, and asks nothing
};

// Where a setting came from, highest precedence first.
enum class OptionSource { CommandLine, ScriptIni, Package, BuiltIn };

// What the resolution reads. Nothing here is asked of the system by the
// resolution itself.
struct OptionFacts {
    CommandLineOptions CommandLine;
    std::optional<UnattendedConfig> Script;  // script.ini beside the program, when it was read
    std::u16string Company;                  // the package's, empty when it names none
    std::u16string Product;
    uint32_t UserLanguage = 0;  // the user's default UI language: the built-in language
    // The process runs as LocalSystem (a deployment tool's run in session 0),
    // whose own profile no user ever sees.
    bool LocalSystem = false;
    // The built-in base folder (Program Files). Called at most once, and only
    // when no higher source names a folder the run may take.
    std::function<std::u16string()> ProgramFiles;
    // What Windows says of a base folder's text from /dir or script.ini
    // (BaseFolderTextFacts). Without it every such folder is refused.
    std::function<FolderTextFacts(const std::u16string&)> FolderFacts;
};

// Why a base folder that was asked for is not taken.
enum class FolderProblem {
    TooLong,     // empty, or cannot hold Company\Product within 259 units
    NotAllowed,  // not a plain absolute path on a local fixed drive (CanonicalBaseFolder)
};

// One resolved setting, as the log shows it.
struct OptionSetting {
    std::u16string Name;   // "BaseFolder", "LangId", ...
    std::u16string Value;  // as text
    OptionSource Source = OptionSource::BuiltIn;
    std::u16string From;  // the source as the log names it: "/dir", "script.ini", "package", "default"
};

struct ResolvedOptions {
    RunMode Mode = RunMode::Window;
    // BaseFolder, Unattended, ShowPanel, Hid, LangId (2052 or 1033) and AllUsers;
    // OwnerWindow stays null: only the window can name itself.
    InstallOptions Options;
    std::u16string FullInstallPath;  // BaseFolder\Company\Product, at most 259 units
    uint32_t RequestedLangId = 0;    // the language asked for before narrowing; the licence text follows it
    bool LicenseAccepted = false;    // by /accept-license or script.ini (a window run asks the user instead)
    // A base folder that was asked for but cannot hold Company\Product within
    // 259 units, or whose text is refused (UnfitProblem says which). A quiet or
    // passive run refuses to install; the window keeps the folder of script.ini or the
    // default and names the refused one here.
    std::optional<std::u16string> UnfitFolder;
    FolderProblem UnfitProblem = FolderProblem::TooLong;
    std::vector<OptionSetting> Settings;  // every setting of the run, in the log's order
};

// /quiet, else /passive, else the hidden run when script.ini accepts the
// licence, else the window. /accept-license alone does not hide the window.
RunMode ChooseRunMode(const CommandLineOptions& commandLine, const std::optional<UnattendedConfig>& script);

// Resolves every option of the run. Precedence: the command line over
// script.ini over the package over the built-in defaults. The base folder:
// /dir, else script.ini's Path, else Program Files; the language: script.ini's
// Lang, else the user's, narrowed to 2052 or 1033; a folder from /dir or
// script.ini is taken in its canonical form, and only when
// CanonicalBaseFolder accepts it; ShowPanel and HID:
// script.ini's, else a visible panel (a hidden one for a quiet run) and one
// batch run; the licence: /accept-license or script.ini's Agree; company and
// product: the package's; the placement for all users: /allusers, else when
// the process runs as LocalSystem. A quiet or passive run takes only a folder
// whose installation path fits; the window takes script.ini's or the default folder as the page
// shows it (cut to 259 units). Never fails.
ResolvedOptions ResolveOptions(const OptionFacts& facts);

// The log text of a refused base folder (resolved.UnfitFolder, which must
// be set), naming the folder and the rule it fails.
std::u16string UnfitFolderText(const ResolvedOptions& resolved);

// The log text of one setting: "option BaseFolder=D:\Apps from /dir".
std::u16string OptionLogText(const OptionSetting& setting);
