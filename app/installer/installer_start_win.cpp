#include "app/installer/installer_start_win.h"

#include <windows.h>

#include <memory>
#include <optional>

#include "app/installer/option_resolution.h"
#include "app/installer/quiet_install_win.h"
#include "config/language_table.h"
#include "app/run_contract.h"
#include "config/unattended_config.h"
#include "engine/package_resource_win.h"
#include "platform/base_folder_text_win.h"
#include "platform/known_folders_win.h"
#include "platform/product_constants.h"
#include "platform/run_log.h"
#include "platform/signed_in_user_win.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "ui/TrovalisInstallV7.h"
#include "ui/dialog_framework_win.h"

namespace {

// The package's bytes for the whole process: the resource in this program's
// own image, mapped for as long as the process runs, or its expanded copy
// here. Either way the files may point into them.
PackageResourceBytes& OwnPackageBytes() {
    static PackageResourceBytes bytes;
    return bytes;
}

enum class OwnPackage { Loaded, Invalid, Damaged };

OwnPackage LoadOwnPackage(InstallerState& state) {
    PackageResourceBytes& bytes = OwnPackageBytes();
    const PackageResourceState found = OpenPackageResource(nullptr, &bytes);
    if (found == PackageResourceState::Damaged)
        return OwnPackage::Damaged;
    const bool loaded = found == PackageResourceState::Ready &&
                        LoadPackage(state, bytes.Data, bytes.Size, nullptr, PackageBytes::Borrow);
    return loaded ? OwnPackage::Loaded : OwnPackage::Invalid;
}

// A damaged download ends the run before it reads or writes anything else:
// script.ini is only peeked at (for the window's language and whether anyone
// is there to see a message box), never completed and written back.
ExitCode RefuseDamagedInstaller(const CommandLineOptions& commandLine) {
    WriteLogLine("error", std::u16string(DamagedInstallerText(kLangEnglish)) + u" (" +
                              Utf8ToUtf16(ContainerCheckText(OwnPackageBytes().Check)) + u")");
    if (AsksNothing(commandLine))
        return ExitCode::BadPackage;
    std::optional<UnattendedConfig> script;
    std::optional<std::u16string> path = ConfigPathBesideProgram();
    UnattendedConfig config;
    if (path && GetFileAttributesW(WidePtr(*path)) != INVALID_FILE_ATTRIBUTES && PeekUnattendedConfig(*path, config))
        script = config;
    if (ChooseRunMode(commandLine, script) != RunMode::Window)
        return ExitCode::BadPackage;
    const uint32_t language = script ? script->LangId : GetUserDefaultUILanguage();
    MessageBoxW(nullptr, WidePtr(std::u16string(DamagedInstallerText(language))),
                reinterpret_cast<const wchar_t*>(kWindowTitle), MB_OK | MB_ICONERROR);
    return ExitCode::BadPackage;
}

bool NamesProduct(const InstallerState& state) {
    return state.Tree && !state.Company.empty() && !state.Product.empty();
}

std::optional<UnattendedConfig> ReadScriptIni() {
    std::optional<std::u16string> path = ConfigPathBesideProgram();
    UnattendedConfig config;
    // Without the file nothing is read (and the shell, which names the
    // default folder, is not even started).
    if (path && GetFileAttributesW(WidePtr(*path)) != INVALID_FILE_ATTRIBUTES && LoadUnattendedConfig(*path, config)) {
        WriteLogLine("config", u"read " + *path);
        return config;
    }
    WriteLogLine("config", u"no script.ini beside the program");
    return std::nullopt;
}

void LogResolution(const ResolvedOptions& resolved) {
    for (const OptionSetting& setting : resolved.Settings)
        WriteLogLine("config", OptionLogText(setting));
    if (!resolved.FullInstallPath.empty())
        WriteLogLine("config", u"installation folder " + resolved.FullInstallPath);
}

ExitCode RunWindow(std::shared_ptr<InstallerState> state, bool loaded, const ResolvedOptions& resolved) {
    if (resolved.UnfitFolder)
        WriteLogLine("error", UnfitFolderText(resolved) + u"; keeping " + resolved.Options.BaseFolder);
    WindowStart start{std::move(state),         loaded,
                      resolved.Options,         resolved.FullInstallPath,
                      resolved.RequestedLangId, resolved.Mode == RunMode::Passive};
    CTrovalisInstallV7App app(std::move(start));
    return static_cast<ExitCode>(RunApplication(app));
}

}  // namespace

ExitCode RunInstaller(const CommandLineOptions& commandLine) {
    auto state = std::make_shared<InstallerState>();
    const OwnPackage own = LoadOwnPackage(*state);
    if (own == OwnPackage::Damaged)
        return RefuseDamagedInstaller(commandLine);
    const bool loaded = own == OwnPackage::Loaded;
    // The window shows what it can of any package; a quiet or passive run
    // installs nothing from one that names no product, and leaves script.ini
    // alone.
    if (AsksNothing(commandLine) && !(loaded && NamesProduct(*state))) {
        WriteLogLine("error", u"the package inside the program is missing or damaged");
        return ExitCode::BadPackage;
    }
    OptionFacts facts;
    facts.CommandLine = commandLine;
    facts.Script = ReadScriptIni();
    facts.Company = state->Company;
    facts.Product = state->Product;
    facts.UserLanguage = GetUserDefaultUILanguage();
    facts.ProgramFiles = &ProgramFilesFolder;
    facts.LocalSystem = RunsAsLocalSystem();
    facts.FolderFacts = &BaseFolderTextFacts;
    const ResolvedOptions resolved = ResolveOptions(facts);
    LogResolution(resolved);
    if (resolved.Mode == RunMode::Quiet)
        return RunQuietInstall(state, resolved, commandLine);
    if (resolved.Mode == RunMode::Passive) {
        if (std::optional<ExitCode> refused = RefuseRunThatCannotAsk(resolved, commandLine))
            return *refused;
    }
    return RunWindow(std::move(state), loaded, resolved);
}
