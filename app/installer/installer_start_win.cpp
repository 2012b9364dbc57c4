#include "app/installer/installer_start_win.h"

#include <windows.h>

#include <memory>
#include <optional>

#include "app/installer/option_resolution.h"
#include "app/installer/quiet_install_win.h"
#include "app/run_contract.h"
#include "config/unattended_config.h"
#include "engine/package_resource_win.h"
#include "platform/known_folders_win.h"
#include "platform/run_log.h"
#include "platform/signed_in_user_win.h"
#include "platform/text_win.h"
#include "ui/TrovalisInstallV7.h"
#include "ui/dialog_framework_win.h"

namespace {

bool LoadOwnPackage(InstallerState& state) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    // The resource lies in this program's own image, mapped for as long as
    // the process runs: the files may point into it.
    return FindPackageResource(nullptr, &data, &size) && LoadPackage(state, data, size, nullptr, PackageBytes::Borrow);
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
        WriteLogLine("error",
                     u"the /dir folder cannot hold the installation folder; keeping " + resolved.Options.BaseFolder);
    WindowStart start{std::move(state),         loaded,
                      resolved.Options,         resolved.FullInstallPath,
                      resolved.RequestedLangId, resolved.Mode == RunMode::Passive};
    CTrovalisInstallV7App app(std::move(start));
    return static_cast<ExitCode>(RunApplication(app));
}

}  // namespace

ExitCode RunInstaller(const CommandLineOptions& commandLine) {
    auto state = std::make_shared<InstallerState>();
    const bool loaded = LoadOwnPackage(*state);
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
