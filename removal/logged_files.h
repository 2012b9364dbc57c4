// The files a found uninstall log records, indexed once per log: the checks
// that ask whether the log records a file, or which of its files bears a
// name, then cost the same for every record instead of a scan of the log.
//
// Paths and names are keyed by CaseKey (platform/case_fold.h), Windows' own
// rule for letter case in file names. A path that names an existing file by
// an 8.3 short name is keyed by its long form, which the Windows layer gives
// (see LongPathFunction): the same file then has one key however a record
// spells it.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "records/uninstall_log.h"

// The long form of `path` when it names an existing file through a short
// name; `path` itself otherwise (a file that is not there has only the
// spelling the record gives). Null: every path is taken as spelled.
using LongPathFunction = std::u16string (*)(const std::u16string& path);

struct LoggedFiles {
    LongPathFunction LongPath = nullptr;
    // The key of every FileRecord's path.
    std::unordered_set<std::u16string> Paths;
    // The key of a file name, and the recorded paths inside the install
    // folder that end in it, as the records spell them.
    std::unordered_map<std::u16string, std::vector<std::u16string>> InsideByName;
};

// The key under which `files` holds `path`: CaseKey of its long form.
std::u16string LoggedFileKey(const LoggedFiles& files, const std::u16string& path);

// Indexes the FileRecords of `log`, with `installFolder` the folder the log
// was found in (see IsPathInside). Linear in the number of records.
LoggedFiles IndexLoggedFiles(const UninstallLog& log, std::u16string_view installFolder, LongPathFunction longPath);

// True when a FileRecord of the indexed log names `path` (letter case and
// short names as the key ignores them).
bool RecordsFile(const LoggedFiles& files, const std::u16string& path);

// The recorded paths inside the install folder whose file name is `name`
// (letter case ignored); empty when there is none.
const std::vector<std::u16string>& RecordedFilesNamed(const LoggedFiles& files, std::u16string_view name);
