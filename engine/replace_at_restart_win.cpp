// A file in use is replaced when Windows next starts, as MSI, Inno Setup and
// NSIS do: the run finishes, and whoever deploys it decides on the restart.
#include <windows.h>

#include "engine/install_run_win.h"
#include "platform/path_names.h"
#include "platform/pending_renames.h"
#include "platform/pending_renames_win.h"
#include "platform/text_win.h"

namespace {

// Names tried in one folder before the copy is given up: each one taken
// belongs to some other copy.
constexpr int kCopyNameTries = 64;

uint16_t CopyNameSeed() {
    return static_cast<uint16_t>(GetTickCount() ^ GetCurrentProcessId());
}

// Writes the copy and schedules it; the error of the failing step, or
// ERROR_SUCCESS. A copy whose replacement cannot be scheduled is deleted.
DWORD WriteAndSchedule(const std::u16string& copy, const std::u16string& target, const uint8_t* data, uint32_t size) {
    const DWORD written = WriteNewWholeFile(copy, data, size);
    if (written != ERROR_SUCCESS)
        return written;
    if (ScheduleReplaceAtRestart(copy, target))
        return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    DeleteFileW(WidePtr(copy));
    return error;
}

}  // namespace

bool ReplaceAtRestart(InstallRun& run, const std::u16string& target, const uint8_t* data, uint32_t size) {
    std::u16string folder = target;
    CutLastPathComponent(folder);
    const uint16_t seed = CopyNameSeed();
    DWORD error = ERROR_FILE_EXISTS;
    bool scheduled = false;
    for (int i = 0; i < kCopyNameTries && !scheduled && error == ERROR_FILE_EXISTS; ++i) {
        std::optional<std::u16string> copy = JoinPath(folder, ReplacementCopyName(static_cast<uint16_t>(seed + i)));
        if (!copy) {
            error = ERROR_FILENAME_EXCED_RANGE;
            break;
        }
        // Record, flush, act: a run killed after the copy is made leaves a
        // record that cancels the rename and deletes the copy.
        scheduled = RecordedAction(run, PendingReplaceRecord, PendingReplaceRecordData(*copy, target), [&] {
            error = WriteAndSchedule(*copy, target, data, size);
            return error == ERROR_SUCCESS;
        });
    }
    LogAction("replace-at-restart", scheduled, error, target);
    if (scheduled)
        run.ReplacedAtRestart.push_back(target);
    return scheduled;
}
