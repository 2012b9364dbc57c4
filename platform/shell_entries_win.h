// Registry entries that make the product reachable from the shell: a desktop
// background context-menu entry (HKEY_CLASSES_ROOT), the Add/Remove Programs
// entry (HKEY_LOCAL_MACHINE) and logon Run values (HKEY_CURRENT_USER, or
// HKEY_LOCAL_MACHINE for every user).
//
// Executable paths are passed and recorded unquoted; wherever Windows runs
// one (the menu command, "UninstallString", the Run data) it is written
// quoted, so a path with blanks cannot be taken for a shorter program. Values
// read back as plain paths ("Icon", "DisplayIcon") stay unquoted.
//
// Entry and display names are single key names: an empty name or one with a
// backslash is refused by the adds and ignored by the removes. The removes
// ignore every failure, so removing what is not there is harmless.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Creates "DesktopBackground\Shell\<name>" with "Icon" = `command` and
// "Position" = "Bottom", and its "command" subkey whose default value is the
// quoted `command`. Stops at the first failure, leaving what was written so
// far; true only when everything was written.
bool AddDesktopMenuEntry(const std::u16string& name, const std::u16string& command);

// Deletes the entry's "command" subkey and then the entry key itself under
// its full name; "DesktopBackground\Shell" stays. Always true.
bool RemoveDesktopMenuEntry(const std::u16string& name);

// Creates (or opens) the key <displayName> under
// "Software\Microsoft\Windows\CurrentVersion\Uninstall" and writes
// "DisplayIcon" = `exePath`, "DisplayName", "Publisher" and "UninstallString"
// = quoted `exePath`, stopping at the first failure. Other values of an
// existing key stay. True when all four were written.
bool AddUninstallEntry(const std::u16string& publisher,
                       const std::u16string& displayName,
                       const std::u16string& exePath);

// The values Windows' settings and deployment tools read beside the four.
struct UninstallEntryDetails {
    std::u16string InstallLocation;  // the installation folder
    std::u16string DisplayVersion;   // e.g. "7.1.0"
    uint32_t EstimatedSizeKb = 0;    // the installed files, in KB (REG_DWORD)
    std::u16string InstallDate;      // YYYYMMDD
};

// AddUninstallEntry, and then "QuietUninstallString" = quoted `exePath` and
// " /quiet", the details, and "NoModify" = "NoRepair" = 1 (REG_DWORD),
// stopping at the first failure. True when every value was written.
bool AddUninstallEntry(const std::u16string& publisher,
                       const std::u16string& displayName,
                       const std::u16string& exePath,
                       const UninstallEntryDetails& details);

// Deletes the Add/Remove Programs key of `displayName`. Reports nothing.
void RemoveUninstallEntry(const std::u16string& displayName);

// The command line that identifies a Run entry in the uninstall log: the
// unquoted program path followed by " -h".
std::u16string RunEntryCommandLine(std::u16string_view programPath);

// Whose logons a Run value starts its program at: the current user's
// (HKEY_CURRENT_USER) or every user's (HKEY_LOCAL_MACHINE, in this 32-bit
// program's view of it).
enum class RunScope { CurrentUser, AllUsers };

// Registers `programPath` to start hidden at logon: under the `scope`'s
// "Software\Microsoft\Windows\CurrentVersion\Run" key, the value named
// BaseNameOfPath of RunEntryCommandLine(programPath) (the program's file name
// up to its first full stop: "C:\App\Tray.exe" gives "Tray") holds
// "\"<programPath>\" -h". Programs of the same name share the value, the
// later write wins. The Run key is created when it is missing. Writes
// nothing when the value name would be empty; false, with the last error
// set, when the key cannot be created or the value written. True when the
// value was written.
bool AddRunEntry(const std::u16string& programPath, RunScope scope = RunScope::CurrentUser);

// Deletes the Run value of a recorded, unquoted command line
// (RunEntryCommandLine of the program path): the value named BaseNameOfPath
// of `commandLine`, under the `scope`'s Run key. Reports nothing.
void RemoveRunEntry(const std::u16string& commandLine, RunScope scope = RunScope::CurrentUser);

// What the removes above would act on, read back so that a removal can check
// the entry is the product's before it goes: the default value of the menu
// entry's "command" subkey, and the data of the Run value that RemoveRunEntry
// of `commandLine` deletes. Absent when the key or value is missing, the name
// is not a plain key name, or the text is longer than a 260-unit field.
std::optional<std::u16string> DesktopMenuCommand(const std::u16string& name);
std::optional<std::u16string> RunEntryData(const std::u16string& commandLine, RunScope scope = RunScope::CurrentUser);

// The "DisplayVersion" of the Add/Remove Programs entry `displayName`: the
// version an installation left there. Absent as for DesktopMenuCommand.
std::optional<std::u16string> UninstallEntryVersion(const std::u16string& displayName);

// The places the Add/Remove Programs entry `displayName` names, as stored
// ("UninstallString" quoted); a missing or unreadable value is empty.
// Absent when the entry is missing or the name is not a plain key name.
struct UninstallEntryPlaces {
    std::u16string InstallLocation;
    std::u16string UninstallString;
};
std::optional<UninstallEntryPlaces> UninstallEntryPlacesOf(const std::u16string& displayName);
