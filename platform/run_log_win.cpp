#include <windows.h>

#include <mutex>

#include "platform/run_log.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

// The process's log; guarded because the window's thread and the workers
// write to it.
std::mutex g_mutex;
UniqueFile g_file;

LogTime Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace

bool OpenRunLog(const std::u16string& path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    // Others may read the log while the run goes on, never write it.
    g_file = UniqueFile(CreateFileW(WidePtr(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(g_file);
}

bool AppendToRunLog(const std::u16string& path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_file = UniqueFile(CreateFileW(WidePtr(path), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(g_file);
}

void CloseRunLog() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_file.Reset();
}

bool IsRunLogOpen() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return static_cast<bool>(g_file);
}

void WriteLogLine(std::string_view kind, std::u16string_view text) {
    const DWORD error = GetLastError();  // logging never disturbs the caller's error
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_file) {
            const std::string line = FormatLogLine(Now(), kind, text);
            DWORD written = 0;
            // One write per line, straight to the system: a killed process
            // loses nothing it has logged.
            WriteFile(g_file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        }
    }
    SetLastError(error);
}

void WriteLogResult(std::string_view kind,
                    std::string_view what,
                    bool ok,
                    uint32_t error,
                    std::u16string_view subject) {
    if (IsRunLogOpen())
        WriteLogLine(kind, ResultText(what, ok, error, subject));
}
