#include "app/installer/quiet_install_win.h"

#include <windows.h>

#include <shlobj.h>

#include <memory>
#include <optional>

#include "config/language_table.h"
#include "config/unattended_config.h"
#include "engine/install_sequence_win.h"
#include "engine/install_worker_win.h"
#include "engine/package_resource_win.h"
#include "engine/report_sink.h"
#include "platform/run_log.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "ui/folder_picker_win.h"

namespace {

std::u16string ProgramFilesFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_PROGRAM_FILES, TRUE))
        return {};
    folder[MAX_PATH - 1] = L'\0';
    return FromWide(folder);
}

std::optional<UnattendedConfig> ReadConfig() {
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

void LogSetting(const char16_t* name, const std::u16string& value, const char16_t* source) {
    WriteLogLine("config", std::u16string(name) + u"=" + value + u" from " + source);
}

std::u16string Number(int64_t value) {
    return Utf8ToUtf16(std::to_string(value));
}

// The window only ever runs in Chinese or English, and so does the product.
uint32_t RunLanguage(const std::optional<UnattendedConfig>& config) {
    const uint32_t requested = config ? config->LangId : GetUserDefaultUILanguage();
    return requested == kLangChinese ? kLangChinese : kLangEnglish;
}

bool LoadOwnPackage(InstallerState& state) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    // The resource lies in this program's own image, mapped for as long as
    // the process runs: the files may point into it.
    if (!FindPackageResource(nullptr, &data, &size) || !LoadPackage(state, data, size, nullptr, PackageBytes::Borrow))
        return false;
    return state.Tree && !state.Company.empty() && !state.Product.empty();
}

ExitCode ExitCodeOf(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Completed:
            return ExitCode::Success;
        case RunOutcome::Cancelled:
            return ExitCode::UserCancelled;
        default:
            return ExitCode::Failed;
    }
}

// Runs the worker on this thread's behalf and waits for it to end.
ExitCode RunWorker(const std::shared_ptr<InstallerState>& state, const InstallOptions& options) {
    if (!StartInstallWorker(state, options, &InstallWorker)) {
        WriteLogLine("error", u"the installation's thread could not be started, error=" + Number(GetLastError()));
        return ExitCode::Failed;
    }
    WaitForSingleObject(static_cast<HANDLE>(state->WorkerThread.get()), INFINITE);
    return ExitCodeOf(state->Outcome.load());
}

}  // namespace

ExitCode RunQuietInstall(const CommandLineOptions& commandLine) {
    auto state = std::make_shared<InstallerState>();
    if (!LoadOwnPackage(*state)) {
        WriteLogLine("error", u"the package inside the program is missing or damaged");
        return ExitCode::BadPackage;
    }
    std::optional<UnattendedConfig> config = ReadConfig();

    InstallOptions options;
    // No window: every report is a line of the run log, and nothing waits.
    options.Reports = &LogReportSink();
    options.Unattended = true;
    options.ShowPanel = config ? config->ShowPanel : false;
    options.Hid = config ? config->Hid : 0;
    options.LangId = RunLanguage(config);
    std::u16string base = commandLine.Dir ? *commandLine.Dir : config ? config->Path : ProgramFilesFolder();
    const char16_t* baseSource = commandLine.Dir ? u"command line" : config ? u"script.ini" : u"default";
    LogSetting(u"base-folder", base, baseSource);
    LogSetting(u"language", Number(options.LangId), config ? u"script.ini" : u"default");
    LogSetting(u"show-panel", options.ShowPanel ? u"yes" : u"no", config ? u"script.ini" : u"default");
    LogSetting(u"hid-runs", Number(options.Hid), config ? u"script.ini" : u"default");

    std::optional<InstallPathChoice> place = InstallPathForFolder(base, state->Company, state->Product);
    if (!place) {
        WriteLogLine("error",
                     u"the base folder cannot hold the installation folder (empty, or longer than 259 "
                     u"characters with company and product): " +
                         base);
        return commandLine.Dir ? ExitCode::InvalidCommandLine : ExitCode::Failed;
    }
    options.BaseFolder = place->BaseFolder;
    WriteLogLine("config", u"installation folder " + place->FullInstallPath);

    const bool accepted = commandLine.AcceptLicense || (config && config->EndUserLicenseAgreed);
    LogSetting(u"licence", accepted ? u"accepted" : u"not accepted",
               commandLine.AcceptLicense ? u"command line"
               : config                  ? u"script.ini"
                                         : u"default");
    if (!accepted) {
        WriteLogLine("error",
                     u"the licence agreement was not accepted (/accept-license or "
                     u"EndUserLicense=\"Agree\" in script.ini): nothing installed");
        return ExitCode::UserCancelled;
    }
    return RunWorker(state, options);
}
