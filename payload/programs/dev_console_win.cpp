// DevConsoleX86.exe / DevConsoleX64.exe of the demo payload: the
// device-console tool the driver batch files call. It touches no real
// device; it keeps the set of installed hardware ids in DevConsole.state
// beside itself (one id a line), so an install followed by a removal can be
// checked to leave nothing behind.
//
//   DevConsoleX??.exe install INF_PATH HARDWARE_ID   adds the id (once) when
//                                                    the INF file names it
//   DevConsoleX??.exe remove HARDWARE_ID             removes the id, if there
//
// Every call, valid or not, is first appended to DevConsole.log beside the
// tool as one line: the tool's file name and its arguments (quoted when they
// hold blanks). Exit codes: 0 done, 1 failed (INF missing or not naming the
// id, state not writable), 2 bad arguments.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "payload/programs/program_files_win.h"
#include "platform/dll_search_win.h"
#include "platform/text.h"
#include "platform/text_win.h"

namespace {

constexpr wchar_t kLogName[] = L"DevConsole.log";
constexpr wchar_t kStateName[] = L"DevConsole.state";

enum ExitCode { kDone = 0, kFailed = 1, kBadArguments = 2 };

std::string Utf8(const wchar_t* text) {
    return Utf16ToUtf8(FromWide(text));
}

void Print(HANDLE stream, const std::string& line) {
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The tool's file name and its arguments, each quoted when it holds a blank.
std::string LogLine(int argc, wchar_t** argv) {
    std::string line = FileNameOf(Utf8(argv[0]));
    for (int i = 1; i < argc; ++i) {
        const std::string argument = Utf8(argv[i]);
        const bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
        line += quote ? " \"" + argument + "\"" : " " + argument;
    }
    return line + "\r\n";
}

// Hardware ids compare without regard to ASCII case, as Windows compares them.
std::string UpperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::vector<std::string> ReadInstalledIds() {
    std::vector<std::string> ids;
    const std::string text = ReadWholeFile(PathBesideExe(kStateName)).value_or("");
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string id = text.substr(start, end - start);
        if (!id.empty() && id.back() == '\r')
            id.pop_back();
        if (!id.empty())
            ids.push_back(id);
        start = end + 1;
    }
    return ids;
}

bool WriteInstalledIds(const std::vector<std::string>& ids) {
    std::string text;
    for (const std::string& id : ids)
        text += id + "\r\n";
    return WriteWholeFile(PathBesideExe(kStateName), text);
}

bool SameId(const std::string& a, const std::string& b) {
    return UpperAscii(a) == UpperAscii(b);
}

// True when the INF file at `infPath` exists and names `id` somewhere.
bool InfNamesId(const wchar_t* infPath, const std::string& id) {
    const std::optional<std::string> inf = ReadWholeFile(infPath);
    return inf && UpperAscii(*inf).find(UpperAscii(id)) != std::string::npos;
}

int Install(const wchar_t* infPath, const std::string& id) {
    if (!InfNamesId(infPath, id)) {
        Print(GetStdHandle(STD_ERROR_HANDLE), "install failed: " + Utf8(infPath) + " does not name " + id);
        return kFailed;
    }
    std::vector<std::string> ids = ReadInstalledIds();
    if (std::none_of(ids.begin(), ids.end(), [&](const std::string& known) { return SameId(known, id); }))
        ids.push_back(id);
    if (!WriteInstalledIds(ids))
        return kFailed;
    Print(GetStdHandle(STD_OUTPUT_HANDLE), "installed " + id);
    return kDone;
}

int Remove(const std::string& id) {
    std::vector<std::string> ids = ReadInstalledIds();
    const auto removed =
        std::remove_if(ids.begin(), ids.end(), [&](const std::string& known) { return SameId(known, id); });
    const bool wasInstalled = removed != ids.end();
    ids.erase(removed, ids.end());
    if (!WriteInstalledIds(ids))
        return kFailed;
    Print(GetStdHandle(STD_OUTPUT_HANDLE), (wasInstalled ? "removed " : "not installed: ") + id);
    return kDone;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!RestrictDllSearchToSystem32()) {
        Print(GetStdHandle(STD_ERROR_HANDLE), kLibrarySearchRefusedText);
        return kLibrarySearchRefusedExitCode;
    }
    AppendToFile(PathBesideExe(kLogName), LogLine(argc, argv));
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"install" && argc == 4)
        return Install(argv[2], Utf8(argv[3]));
    if (command == L"remove" && argc == 3)
        return Remove(Utf8(argv[2]));
    Print(GetStdHandle(STD_ERROR_HANDLE), "usage: DevConsole install INF_PATH HARDWARE_ID | remove HARDWARE_ID");
    return kBadArguments;
}
