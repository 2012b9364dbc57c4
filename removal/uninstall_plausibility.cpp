#include "removal/uninstall_plausibility.h"

#include <optional>

#include "platform/path_names.h"
#include "platform/pending_renames.h"
#include "platform/product_constants.h"
#include "records/key_record.h"

namespace {

char16_t FoldAscii(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

// Every component between backslashes is a plain name.
bool IsPlainRelativePath(std::u16string_view rest) {
    for (;;) {
        size_t cut = rest.find(u'\\');
        if (!IsPlainName(rest.substr(0, cut)))
            return false;
        if (cut == std::u16string_view::npos)
            return true;
        rest.remove_prefix(cut + 1);
    }
}

// A file directly in `folder`.
bool IsDirectlyInside(std::u16string_view path, std::u16string_view folder) {
    return IsPathInside(path, folder) && path.find(u'\\', folder.size() + 1) == std::u16string_view::npos;
}

bool IsInsideAny(std::u16string_view path, const std::vector<std::u16string>& folders) {
    for (const std::u16string& folder : folders) {
        if (IsPathInside(path, folder))
            return true;
    }
    return false;
}

bool IsProductKeyRecord(const ActionRecord& record) {
    std::optional<KeyRecord> key = DecodeKeyRecord(record.Data.data(), record.Data.size());
    return key && key->RootValue == kLocalMachineRootValue && EqualPathText(key->Path, kProductKeyPath);
}

// "path -h" with the program inside the install folder.
bool IsProductRunCommand(std::u16string_view command, std::u16string_view folder) {
    constexpr std::u16string_view kHidden = u" -h";
    if (command.size() <= kHidden.size() || command.substr(command.size() - kHidden.size()) != kHidden)
        return false;
    return IsPathInside(command.substr(0, command.size() - kHidden.size()), folder);
}

}  // namespace

bool EqualPathText(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

bool IsPathInside(std::u16string_view path, std::u16string_view folder) {
    if (folder.empty() || path.size() <= folder.size() + 1 || path[folder.size()] != u'\\')
        return false;
    return EqualPathText(path.substr(0, folder.size()), folder) && IsPlainRelativePath(path.substr(folder.size() + 1));
}

bool LogHeaderNamesFolder(const UninstallLog& log, std::u16string_view folder) {
    if (log.BaseFolder.empty() || !IsPlainName(log.Company) || !IsPlainName(log.Product))
        return false;
    std::optional<std::u16string> named = JoinPath(log.BaseFolder, log.Company, log.Product);
    return named && EqualPathText(*named, folder);
}

bool IsBaseFolderOrAbove(std::u16string_view path, std::u16string_view baseFolder) {
    while (!baseFolder.empty() && baseFolder.back() == u'\\')
        baseFolder.remove_suffix(1);
    if (path.size() <= 3 || path.size() > baseFolder.size())
        return false;
    if (path.size() < baseFolder.size() && baseFolder[path.size()] != u'\\')
        return false;
    return EqualPathText(path, baseFolder.substr(0, path.size()));
}

namespace {

// A copy of the temporary name's form beside the file it replaces, both in
// the installation folder or both directly in the system folder: the undo
// deletes the copy, so it may name nothing else.
bool IsPlausibleReplacement(const ActionRecord& record, const RemovalPlaces& places) {
    std::optional<PendingReplace> pending = ReadPendingReplace(record);
    if (!pending || !IsReplacementCopyName(FileNameOfPath(pending->Copy)))
        return false;
    return (IsPathInside(pending->Copy, places.InstallFolder) && IsPathInside(pending->Target, places.InstallFolder)) ||
           (IsDirectlyInside(pending->Copy, places.SystemFolder) &&
            IsDirectlyInside(pending->Target, places.SystemFolder));
}

}  // namespace

bool IsEmptyBatchRecord(const ActionRecord& record) {
    return record.Type == DriverUninstallRecord && RecordText(record).empty();
}

bool IsPlausibleRecord(const ActionRecord& record, const UninstallLog& log, const RemovalPlaces& places) {
    std::u16string text = RecordText(record);
    switch (record.Type) {
        case FileRecord:
        case DriverUninstallRecord:
        case ServiceRecord:
            return IsPathInside(text, places.InstallFolder);
        case SystemFileRecord:
            return IsDirectlyInside(text, places.SystemFolder);
        case DesktopShortcutRecord:
        case ProgramsShortcutRecord:
            return IsInsideAny(text, places.ShortcutFolders);
        case DirectoryRecord:
            // Shortcut folders, and the base folder with the parents an
            // installation had to make for it (only empty ones ever go).
            return IsInsideAny(text, places.ShortcutFolders) || IsBaseFolderOrAbove(text, log.BaseFolder);
        case RegistryKeyRecord:
            return IsProductKeyRecord(record);
        case UninstallEntryRecord:
            return text == log.Product;
        case DesktopMenuRecord:
            return IsPlainName(text);
        case RunEntryRecord:
        case MachineRunEntryRecord:
            return IsProductRunCommand(text, places.InstallFolder);
        case PendingReplaceRecord:
            return IsPlausibleReplacement(record, places);
        default:
            return false;
    }
}

std::u16string WithoutProgramQuotes(std::u16string_view text) {
    size_t close = text.find(u'"', 1);
    if (text.empty() || text.front() != u'"' || close == std::u16string_view::npos)
        return std::u16string(text);
    return std::u16string(text.substr(1, close - 1)) + std::u16string(text.substr(close + 1));
}

std::optional<std::u16string> CommandProgram(std::u16string_view command) {
    if (command.empty() || command.front() != u'"')
        return std::u16string(command.substr(0, command.find(u' ')));
    size_t close = command.find(u'"', 1);
    if (close == std::u16string_view::npos || (close + 1 < command.size() && command[close + 1] != u' '))
        return std::nullopt;
    return std::u16string(command.substr(1, close - 1));
}

bool IsCommandOfProgramInside(std::u16string_view command, std::u16string_view folder) {
    std::optional<std::u16string> program = CommandProgram(command);
    if (program && IsPathInside(*program, folder))
        return true;
    return !command.empty() && command.front() != u'"' && IsPathInside(command, folder);
}

bool IsImagePathOf(std::u16string_view imagePath, std::u16string_view program) {
    return !program.empty() && EqualPathText(WithoutProgramQuotes(imagePath), program);
}

bool IsRecordedRunData(std::u16string_view data, std::u16string_view recordedCommand) {
    return !recordedCommand.empty() && EqualPathText(WithoutProgramQuotes(data), recordedCommand);
}
