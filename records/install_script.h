// Command-level reading of an InstallScript block, shared by the parser that
// fills the InstallerState and by the package tool's listing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint8_t kScriptIntroducer = 0x7E;  // "~": arguments follow
inline constexpr uint8_t kScriptTerminator = 0x7F;  // ends every command

enum ScriptCode : uint8_t {
    kScriptCompany = 0,
    kScriptMainApp = 1,
    kScriptUninstaller = 2,
    kScriptProgramsShortcut = 3,
    kScriptDesktopMenu = 4,
    kScriptSystemFile = 5,
    kScriptDesktopShortcut = 6,
    kScriptService = 7,
    kScriptDriverBatchSet = 8,
    kScriptLicense = 9,
    kScriptRunEntry = 10,
    kScriptLaunch = 11,
    kScriptAuxApp = 12,
    kScriptProduct = 13,
};

// Index byte of a command-8 entry: which slot of the DriverBatchSet it fills.
enum DriverBatchIndex : uint8_t {
    kBatchInstallX86 = 0,
    kBatchInstallX64 = 1,
    kBatchUninstallX86 = 2,
    kBatchUninstallX64 = 3,
};

struct DriverBatchEntry {
    uint8_t Index = 0;
    std::u16string Path;
};

// One decoded command. Which fields carry meaning depends on Code:
//   0, 13      Text
//   1, 2, 5, 10, 11, 12   Path
//   3, 4, 6    Path, Text (display name)
//   7          Path; Text when HasText (the description); Introducer is the
//              byte that stood before it (0x7E in shipped scripts)
//   8          Batches, in stored order
//   9          Language, Path
// A (code, 0x7F) pair decodes with HasArguments false and nothing else set.
struct ScriptCommand {
    uint8_t Code = 0;
    bool HasArguments = true;
    std::u16string Path;
    std::u16string Text;
    bool HasText = false;
    uint8_t Introducer = kScriptIntroducer;
    uint8_t Language = 0;
    std::vector<DriverBatchEntry> Batches;
};

enum class ScriptReadStatus {
    Command,  // *out holds the next command; *position is past its 0x7F
    End,      // no command left: *position reached ScriptSize
    // *out holds a command whose arguments are complete but whose end byte is
    // not 0x7F or lies past ScriptSize: the command applies, then the script
    // ends as Malformed. *position does not move.
    Unterminated,
    Malformed,  // bad marker, code above 13, batch index above 3, or an argument past ScriptSize
    Invalid,    // a text longer than 259 units: the package must be rejected
};

// Decodes the command at *position of a script block (`script` starts at its
// ScriptSize field; bytes beyond min(ScriptSize, size) are never read).
// Start with *position = 4. `reason` (optional) explains Malformed/Invalid.
ScriptReadStatus ReadScriptCommand(const uint8_t* script,
                                   size_t size,
                                   size_t* position,
                                   ScriptCommand* out,
                                   std::string* reason = nullptr);
