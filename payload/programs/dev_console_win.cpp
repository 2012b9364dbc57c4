// DevConsoleX86.exe / DevConsoleX64.exe of the demo payload: the
// device-console tool the driver batch files call. It installs nothing; it
// appends its command line to "<its own name>.log" beside itself, so a test
// can see which batch ran with which arguments, and exits 0.
#include <windows.h>

#include <string>

namespace {

// Path of this program with its extension replaced by ".log".
std::wstring LogPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return {};
    std::wstring log(path, length);
    const size_t dot = log.find_last_of(L'.');
    const size_t slash = log.find_last_of(L'\\');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash))
        log.resize(dot);
    return log + L".log";
}

// One line: the arguments separated by blanks, each as the tool received it.
std::string LogLine(int argc, wchar_t** argv) {
    std::wstring line;
    for (int i = 1; i < argc; ++i)
        line += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr, nullptr);
    return utf8 + "\r\n";
}

bool AppendToFile(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring log = LogPath();
    if (log.empty() || !AppendToFile(log, LogLine(argc, argv)))
        return 1;
    return 0;
}
