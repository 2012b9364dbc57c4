#include "removal/found_log_trust.h"

#include <string_view>
#include <vector>

#include "platform/case_fold.h"

namespace {

bool IsInsideAny(const std::u16string& path, const std::vector<std::u16string>& folders) {
    for (const std::u16string& folder : folders) {
        if (IsPathInside(path, folder))
            return true;
    }
    return false;
}

bool HasBatExtension(std::u16string_view path) {
    constexpr std::u16string_view kBat = u".bat";
    return path.size() > kBat.size() && EqualIgnoringCase(path.substr(path.size() - kBat.size()), kBat);
}

}  // namespace

bool IsProvenOutsideTheFolder(const ActionRecord& record, const RemovalPlaces& places) {
    switch (record.Type) {
        case ServiceRecord:
        case RunEntryRecord:
        case MachineRunEntryRecord:
        case DesktopMenuRecord:
        case DesktopShortcutRecord:
        case ProgramsShortcutRecord:
            return true;
        case RegistryKeyRecord:
        case UninstallEntryRecord:
            return places.UninstallEntryInFolder;
        case DirectoryRecord:
            return IsInsideAny(RecordText(record), places.ShortcutFolders);
        default:
            return false;
    }
}

bool UninstallEntryNamesFolder(std::u16string_view installLocation,
                               std::u16string_view uninstallString,
                               std::u16string_view folder) {
    if (!folder.empty() && (EqualPathText(installLocation, folder) || IsPathInside(installLocation, folder)))
        return true;
    std::u16string_view program = uninstallString;
    if (!program.empty() && program.front() == u'"') {
        program.remove_prefix(1);
        program = program.substr(0, program.find(u'"'));
    } else {
        program = program.substr(0, program.find(u' '));
    }
    return IsPathInside(program, folder);
}

bool IsRecordedBatch(const std::u16string& path, const LoggedFiles& files) {
    return HasBatExtension(path) && RecordsFile(files, path);
}

FoundRecordVerdict JudgeFoundRecord(const ActionRecord& record,
                                    bool folderTrusted,
                                    const LoggedFiles& files,
                                    const RemovalPlaces& places) {
    if (IsEmptyBatchRecord(record))
        return FoundRecordVerdict::MayUndo;
    if (!folderTrusted && !IsProvenOutsideTheFolder(record, places))
        return FoundRecordVerdict::FolderRefused;
    if (record.Type == DriverUninstallRecord && !IsRecordedBatch(RecordText(record), files))
        return FoundRecordVerdict::BatchNotRecorded;
    return FoundRecordVerdict::MayUndo;
}
