#include "platform/shell_entries_win.h"

#include <windows.h>

#include "platform/path_names.h"
#include "platform/registry_win.h"
#include "platform/text_win.h"

namespace {

constexpr char16_t kMenuShellPath[] = u"DesktopBackground\\Shell";
constexpr char16_t kUninstallPath[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char16_t kRunPath[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The shell and the service behind "Run" split an unquoted command at the
// first blank that leaves an existing file: "C:\Program Files\x.exe" could
// start "C:\Program.exe".
std::u16string Quoted(const std::u16string& path) {
    return u"\"" + path + u"\"";
}

HKEY RunRoot(RunScope scope) {
    return scope == RunScope::AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::u16string MenuEntryPath(const std::u16string& name) {
    return std::u16string(kMenuShellPath) + u"\\" + name;
}

bool WriteMenuEntryValues(const std::u16string& name, const std::u16string& command) {
    UniqueKey entry = CreateRegistryKey(HKEY_CLASSES_ROOT, MenuEntryPath(name));
    return entry && SetStringValue(entry.Get(), L"Icon", command) &&
           SetStringValue(entry.Get(), L"Position", u"Bottom");
}

bool WriteMenuCommand(const std::u16string& name, const std::u16string& command) {
    UniqueKey commandKey = CreateRegistryKey(HKEY_CLASSES_ROOT, MenuEntryPath(name) + u"\\command");
    return commandKey && SetStringValue(commandKey.Get(), nullptr, Quoted(command));
}

bool WriteUninstallValues(HKEY key,
                          const std::u16string& publisher,
                          const std::u16string& displayName,
                          const std::u16string& exePath) {
    return SetStringValue(key, L"DisplayIcon", exePath) && SetStringValue(key, L"DisplayName", displayName) &&
           SetStringValue(key, L"Publisher", publisher) && SetStringValue(key, L"UninstallString", Quoted(exePath));
}

}  // namespace

bool AddDesktopMenuEntry(const std::u16string& name, const std::u16string& command) {
    if (!IsPlainKeyName(name))
        return false;
    return WriteMenuEntryValues(name, command) && WriteMenuCommand(name, command);
}

bool RemoveDesktopMenuEntry(const std::u16string& name) {
    if (!IsPlainKeyName(name))
        return true;
    UniqueKey entry = OpenRegistryKey(HKEY_CLASSES_ROOT, MenuEntryPath(name), KEY_ALL_ACCESS);
    if (!entry)
        return true;
    // A key with subkeys cannot be deleted: the command goes first.
    DeleteSubkey(entry.Get(), u"command");
    entry.Reset();
    if (UniqueKey shell = OpenRegistryKey(HKEY_CLASSES_ROOT, kMenuShellPath, KEY_ALL_ACCESS))
        DeleteSubkey(shell.Get(), name);
    return true;
}

bool AddUninstallEntry(const std::u16string& publisher,
                       const std::u16string& displayName,
                       const std::u16string& exePath) {
    if (!IsPlainKeyName(displayName))
        return false;
    UniqueKey key = CreateRegistryKey(HKEY_LOCAL_MACHINE, std::u16string(kUninstallPath) + u"\\" + displayName);
    return key && WriteUninstallValues(key.Get(), publisher, displayName, exePath);
}

bool AddUninstallEntry(const std::u16string& publisher,
                       const std::u16string& displayName,
                       const std::u16string& exePath,
                       const UninstallEntryDetails& details) {
    if (!AddUninstallEntry(publisher, displayName, exePath))
        return false;
    UniqueKey key =
        OpenRegistryKey(HKEY_LOCAL_MACHINE, std::u16string(kUninstallPath) + u"\\" + displayName, KEY_SET_VALUE);
    return key && SetStringValue(key.Get(), L"QuietUninstallString", Quoted(exePath) + u" /quiet") &&
           SetStringValue(key.Get(), L"InstallLocation", details.InstallLocation) &&
           SetStringValue(key.Get(), L"DisplayVersion", details.DisplayVersion) &&
           SetDwordValue(key.Get(), L"EstimatedSize", details.EstimatedSizeKb) &&
           SetStringValue(key.Get(), L"InstallDate", details.InstallDate) && SetDwordValue(key.Get(), L"NoModify", 1) &&
           SetDwordValue(key.Get(), L"NoRepair", 1);
}

void RemoveUninstallEntry(const std::u16string& displayName) {
    if (!IsPlainKeyName(displayName))
        return;
    if (UniqueKey uninstall = OpenRegistryKey(HKEY_LOCAL_MACHINE, kUninstallPath, KEY_ALL_ACCESS))
        DeleteSubkey(uninstall.Get(), displayName);
}

std::u16string RunEntryCommandLine(std::u16string_view programPath) {
    return std::u16string(programPath) + u" -h";
}

bool AddRunEntry(const std::u16string& programPath, RunScope scope) {
    // Named from the recorded command line, not the bare path, so that
    // RemoveRunEntry of that record finds the same value.
    std::u16string valueName = BaseNameOfPath(RunEntryCommandLine(programPath));
    if (valueName.empty())
        return false;
    // A system without the key (a trimmed image, a fresh user) still starts
    // what is registered once the key is there.
    UniqueKey run = CreateRegistryKey(RunRoot(scope), kRunPath);
    return run && SetStringValue(run.Get(), WidePtr(valueName), Quoted(programPath) + u" -h");
}

void RemoveRunEntry(const std::u16string& commandLine, RunScope scope) {
    std::u16string valueName = BaseNameOfPath(commandLine);
    if (valueName.empty())
        return;
    if (UniqueKey run = OpenRegistryKey(RunRoot(scope), kRunPath, KEY_SET_VALUE))
        RegDeleteValueW(run.Get(), WidePtr(valueName));
}

std::optional<std::u16string> DesktopMenuCommand(const std::u16string& name) {
    if (!IsPlainKeyName(name))
        return std::nullopt;
    UniqueKey command = OpenRegistryKey(HKEY_CLASSES_ROOT, MenuEntryPath(name) + u"\\command", KEY_QUERY_VALUE);
    return command ? QueryStringValue(command.Get(), nullptr) : std::nullopt;
}

std::optional<std::u16string> RunEntryData(const std::u16string& commandLine, RunScope scope) {
    std::u16string valueName = BaseNameOfPath(commandLine);
    if (valueName.empty())
        return std::nullopt;
    UniqueKey run = OpenRegistryKey(RunRoot(scope), kRunPath, KEY_QUERY_VALUE);
    return run ? QueryStringValue(run.Get(), WidePtr(valueName)) : std::nullopt;
}

std::optional<UninstallEntryPlaces> UninstallEntryPlacesOf(const std::u16string& displayName) {
    if (!IsPlainKeyName(displayName))
        return std::nullopt;
    UniqueKey entry =
        OpenRegistryKey(HKEY_LOCAL_MACHINE, std::u16string(kUninstallPath) + u"\\" + displayName, KEY_QUERY_VALUE);
    if (!entry)
        return std::nullopt;
    return UninstallEntryPlaces{QueryStringValue(entry.Get(), L"InstallLocation").value_or(u""),
                                QueryStringValue(entry.Get(), L"UninstallString").value_or(u"")};
}

std::optional<std::u16string> UninstallEntryVersion(const std::u16string& displayName) {
    if (!IsPlainKeyName(displayName))
        return std::nullopt;
    UniqueKey entry =
        OpenRegistryKey(HKEY_LOCAL_MACHINE, std::u16string(kUninstallPath) + u"\\" + displayName, KEY_QUERY_VALUE);
    return entry ? QueryStringValue(entry.Get(), L"DisplayVersion") : std::nullopt;
}
