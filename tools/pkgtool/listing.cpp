#include "tools/pkgtool/listing.h"

#include <iomanip>

#include "platform/text.h"
#include "records/installer_state.h"
#include "records/package.h"
#include "tools/pkgtool/script_words.h"

namespace {

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<uint32_t>(bytes[offset + 2]) << 16) | (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

std::string Quote16(const std::u16string& text) {
    return QuoteArgument(Utf16ToUtf8(text));
}

std::string ByteWord(uint8_t value) {
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("0x") + kHex[value >> 4] + kHex[value & 15];
}

std::string FormatBatches(const std::vector<DriverBatchEntry>& batches) {
    std::string line;
    for (const DriverBatchEntry& entry : batches)
        line += " " + std::string(BatchKeyword(entry.Index)) + "=" + Quote16(entry.Path);
    return line;
}

std::string FormatLanguage(uint8_t language) {
    const std::string_view word = LanguageKeyword(language);
    return word.empty() ? std::to_string(language) : std::string(word);
}

std::string FormatService(const ScriptCommand& command) {
    std::string line = " " + Quote16(command.Path);
    if (command.HasText)
        line += " " + Quote16(command.Text);
    if (command.HasText && command.Introducer != kScriptIntroducer)
        line += " " + ByteWord(command.Introducer);
    return line;
}

std::string FormatArguments(const ScriptCommand& command) {
    switch (command.Code) {
        case kScriptCompany:
        case kScriptProduct:
            return " " + Quote16(command.Text);
        case kScriptProgramsShortcut:
        case kScriptDesktopMenu:
        case kScriptDesktopShortcut:
            return " " + Quote16(command.Path) + " " + Quote16(command.Text);
        case kScriptService:
            return FormatService(command);
        case kScriptDriverBatchSet:
            return FormatBatches(command.Batches);
        case kScriptLicense:
            return " " + FormatLanguage(command.Language) + " " + Quote16(command.Path);
        default:
            return " " + Quote16(command.Path);
    }
}

// "found" / "not found" for each path the command names.
std::string Resolution(const ScriptCommand& command, const PackageTree& tree) {
    auto word = [&tree](const std::u16string& path) { return FindPackageFile(tree, path) ? "found" : "not found"; };
    if (!command.HasArguments || command.Code == kScriptCompany || command.Code == kScriptProduct)
        return {};
    if (command.Code != kScriptDriverBatchSet)
        return word(command.Path);
    std::string text;
    for (const DriverBatchEntry& entry : command.Batches)
        text += std::string(text.empty() ? "" : ", ") + word(entry.Path);
    return text;
}

void WriteScript(const std::vector<uint8_t>& package, InstallerState& state, std::ostream& out) {
    const uint8_t* script = package.data() + 4;
    const size_t scriptSize = U32At(package, 4);
    out << "script:\n";
    size_t position = 4;
    ScriptCommand command;
    // A command with a wrong end byte still takes effect, so it is listed too.
    for (ScriptReadStatus status = ScriptReadStatus::Command; status == ScriptReadStatus::Command;) {
        status = ReadScriptCommand(script, scriptSize, &position, &command);
        if (status != ScriptReadStatus::Command && status != ScriptReadStatus::Unterminated)
            break;
        const std::string resolution = Resolution(command, *state.Tree);
        out << "  " << FormatScriptCommand(command) << (resolution.empty() ? "" : "  # " + resolution) << "\n";
    }
    ScriptParseOutcome outcome = ScriptParseOutcome::Complete;
    std::string reason;
    ParseInstallScript(state, script, scriptSize, &outcome, &reason);
    if (outcome == ScriptParseOutcome::Complete)
        out << "  (the installer reads the whole script)\n";
    else
        out << "  (the installer stops reading the script early: " << reason << ")\n";
}

std::string FilePath(const PackageFile& file) {
    return Utf16ToUtf8(file.Folder ? file.Folder->Name + u"\\" + file.Name : file.Name);
}

std::string Counts(int32_t files, int32_t folders) {
    return "  (" + std::to_string(files) + (files == 1 ? " file, " : " files, ") + std::to_string(folders) +
           (folders == 1 ? " folder)" : " folders)");
}

void WriteFiles(const std::forward_list<PackageFile*>& files, int depth, std::ostream& out) {
    std::vector<const PackageFile*> stored(files.begin(), files.end());
    for (auto it = stored.rbegin(); it != stored.rend(); ++it)  // lists hold the reverse of stored order
        out << std::setw(12) << (*it)->Size << std::string(2 * depth + 2, ' ') << Utf16ToUtf8((*it)->Name) << "\n";
}

void WriteFolders(const std::forward_list<PackageFolder>& folders, int depth, std::ostream& out) {
    for (const PackageFolder& folder : folders) {  // list order is the order the installer reads them
        out << std::setw(12) << "" << std::string(2 * depth + 2, ' ') << Utf16ToUtf8(folder.Name) << "\\"
            << Counts(folder.FileCount, folder.FolderCount) << "\n";
        WriteFiles(folder.Files, depth + 1, out);
        WriteFolders(folder.Folders, depth + 1, out);
    }
}

void WriteTree(const PackageTree& tree, std::ostream& out) {
    out << "tree:\n";
    out << std::setw(12) << ""
        << "  " << Utf16ToUtf8(tree.RootName) << "\\" << Counts(tree.FileCount, tree.FolderCount) << "\n";
    WriteFiles(tree.RootFiles, 1, out);
    WriteFolders(tree.Folders, 1, out);
}

void WriteAllFiles(const PackageTree& tree, std::ostream& out) {
    out << "all files (list order):\n";
    for (const PackageFile& file : tree.AllFiles)
        out << std::setw(12) << file.Size << "  " << FilePath(file) << "\n";
}

}  // namespace

std::string FormatScriptCommand(const ScriptCommand& command) {
    if (!command.HasArguments)
        return "skip " + std::to_string(command.Code);
    return std::string(CommandKeyword(command.Code)) + FormatArguments(command);
}

void WritePackageListing(const std::vector<uint8_t>& package, InstallerState& state, std::ostream& out) {
    const uint32_t scriptSize = U32At(package, 4);
    out << "package: " << package.size() << " bytes (script " << scriptSize << ", store "
        << U32At(package, 4 + scriptSize) << ")\n";
    WriteScript(package, state, out);
    WriteTree(*state.Tree, out);
    WriteAllFiles(*state.Tree, out);
}
