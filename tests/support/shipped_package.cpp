#include "tests/support/shipped_package.h"

#include <utility>

namespace {

StoreFile MakeFile(std::u16string name) {
    return StoreFile{name, StandInContent(name)};
}

StoreFolder MakeFolder(std::u16string name, std::vector<std::u16string> files, std::vector<StoreFolder> folders = {}) {
    StoreFolder folder{std::move(name), {}, std::move(folders)};
    for (std::u16string& file : files)
        folder.Files.push_back(MakeFile(std::move(file)));
    return folder;
}

StoreFolder DriverClass(const std::u16string& path, const std::u16string& stem) {
    return MakeFolder(path, {stem + u".inf", stem + u".cat", stem + u".txt"},
                      {MakeFolder(path + u"\\i386", {stem + u"32.sys", stem + u"Co32.dll"}),
                       MakeFolder(path + u"\\amd64", {stem + u"64.sys", stem + u"Co64.dll"})});
}

std::vector<uint8_t> LicenseContent() {
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (char16_t unit : std::u16string(u"Licence agreement.\r\n")) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

DriverBatchEntry Batch(uint8_t index, std::u16string path) {
    return DriverBatchEntry{index, std::move(path)};
}

}  // namespace

ScriptCommand MakeBareCommand(uint8_t code) {
    ScriptCommand command;
    command.Code = code;
    command.HasArguments = false;
    return command;
}

ScriptCommand MakeTextCommand(uint8_t code, std::u16string text) {
    ScriptCommand command;
    command.Code = code;
    command.Text = std::move(text);
    return command;
}

ScriptCommand MakePathCommand(uint8_t code, std::u16string path) {
    ScriptCommand command;
    command.Code = code;
    command.Path = std::move(path);
    return command;
}

ScriptCommand MakePathTextCommand(uint8_t code, std::u16string path, std::u16string text) {
    ScriptCommand command = MakePathCommand(code, std::move(path));
    command.Text = std::move(text);
    return command;
}

ScriptCommand MakeServiceCommand(std::u16string path, std::optional<std::u16string> description) {
    ScriptCommand command = MakePathCommand(kScriptService, std::move(path));
    command.HasText = description.has_value();
    command.Text = description.value_or(u"");
    return command;
}

ScriptCommand MakeBatchCommand(std::vector<DriverBatchEntry> entries) {
    ScriptCommand command;
    command.Code = kScriptDriverBatchSet;
    command.Batches = std::move(entries);
    return command;
}

ScriptCommand MakeLicenseCommand(uint8_t language, std::u16string path) {
    ScriptCommand command = MakePathCommand(kScriptLicense, std::move(path));
    command.Language = language;
    return command;
}

std::vector<uint8_t> EncodeScriptBody(const std::vector<ScriptCommand>& commands) {
    std::vector<uint8_t> body;
    for (const ScriptCommand& command : commands)
        AppendScriptCommand(body, command);
    return body;
}

std::vector<ScriptCommand> ShippedScriptCommands() {
    return {
        MakeTextCommand(kScriptCompany, kShippedCompany),
        MakeTextCommand(kScriptProduct, kShippedProduct),
        MakePathCommand(kScriptMainApp, kShippedPanel),
        MakePathCommand(kScriptAuxApp, kShippedPanel),
        MakePathCommand(kScriptUninstaller, kShippedUninstaller),
        MakePathCommand(kScriptLaunch, kShippedPanel),
        MakePathCommand(kScriptRunEntry, kShippedPanel),
        MakePathTextCommand(kScriptProgramsShortcut, kShippedUninstaller, u"Uninstall"),
        MakePathTextCommand(kScriptProgramsShortcut, kShippedPanel, u"ZorvanellePanelV7"),
        MakePathTextCommand(kScriptDesktopShortcut, kShippedPanel, u"ZorvanellePanelV7"),
        MakeServiceCommand(kShippedService, std::u16string(kShippedServiceDescription)),
        MakeBatchCommand({Batch(kBatchInstallX86, u"driver\\InstallHIDDriverX86.bat"),
                          Batch(kBatchInstallX64, u"driver\\InstallHIDDriverX64.bat"),
                          Batch(kBatchUninstallX86, u"driver\\UninstallHIDDriverX86.bat"),
                          Batch(kBatchUninstallX64, u"driver\\UninstallHIDDriverX64.bat")}),
        MakeBatchCommand({Batch(kBatchInstallX86, u"driver\\InstallUsbDriverX86.bat"),
                          Batch(kBatchInstallX64, u"driver\\InstallUsbDriverX64.bat"),
                          Batch(kBatchUninstallX86, u"driver\\UninstallUsbDriverX86.bat"),
                          Batch(kBatchUninstallX64, u"driver\\UninstallUsbDriverx64.bat")}),
        MakeLicenseCommand(1, kShippedLicense),
    };
}

std::vector<uint8_t> ShippedScriptBlock() {
    return MakeScriptBlock(EncodeScriptBody(ShippedScriptCommands()));
}

StoreFolder ShippedStoreRoot() {
    StoreFolder driver =
        MakeFolder(u"driver",
                   {u"InstallHIDDriverX86.bat", u"InstallHIDDriverX64.bat", u"UninstallHIDDriverX86.bat",
                    u"UninstallHIDDriverX64.bat", u"InstallUsbDriverX86.bat", u"InstallUsbDriverX64.bat",
                    u"UninstallUsbDriverX86.bat", u"UninstallUsbDriverx64.bat", u"DevConsoleX86.exe",
                    u"DevConsoleX64.exe", u"DevConsoleX86.dll", u"DevConsoleX64.dll"},
                   {DriverClass(u"driver\\USB", u"ZorvUsb"), DriverClass(u"driver\\HID", u"ZorvHid")});
    StoreFolder root =
        MakeFolder(kShippedRootName,
                   {kShippedUninstaller, u"ZorvanelleClientV7.dll", kShippedService, kShippedPanel, kShippedLicense},
                   {std::move(driver)});
    return root;
}

std::vector<uint8_t> ShippedPackage(StoreLayout layout) {
    return MakePackage(ShippedScriptBlock(), MakeFileStore(ShippedStoreRoot(), layout));
}

std::vector<uint8_t> StandInContent(std::u16string_view name) {
    if (name == kShippedLicense)
        return LicenseContent();
    std::vector<uint8_t> bytes{'M', 'Z'};
    for (char16_t unit : name)
        bytes.push_back(static_cast<uint8_t>(unit));
    return bytes;
}
