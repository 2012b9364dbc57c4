#include "removal/logged_files.h"

#include "platform/case_fold.h"
#include "platform/path_names.h"
#include "removal/uninstall_plausibility.h"

std::u16string LoggedFileKey(const LoggedFiles& files, const std::u16string& path) {
    return CaseKey(files.LongPath ? files.LongPath(path) : path);
}

LoggedFiles IndexLoggedFiles(const UninstallLog& log, std::u16string_view installFolder, LongPathFunction longPath) {
    LoggedFiles files;
    files.LongPath = longPath;
    for (const ActionRecord& record : log.Records.Records) {
        if (record.Type != FileRecord)
            continue;
        std::u16string path = RecordText(record);
        files.Paths.insert(LoggedFileKey(files, path));
        if (IsPathInside(path, installFolder))
            files.InsideByName[CaseKey(FileNameOfPath(path))].push_back(std::move(path));
    }
    return files;
}

bool RecordsFile(const LoggedFiles& files, const std::u16string& path) {
    return files.Paths.count(LoggedFileKey(files, path)) != 0;
}

const std::vector<std::u16string>& RecordedFilesNamed(const LoggedFiles& files, std::u16string_view name) {
    static const std::vector<std::u16string> kNone;
    auto found = files.InsideByName.find(CaseKey(name));
    return found == files.InsideByName.end() ? kNone : found->second;
}
