#include <windows.h>

#include <tinyxml.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>

#include "config/unattended_config.h"
#include "platform/folder_security_win.h"
#include "platform/known_folders_win.h"
#include "platform/path_names.h"
#include "platform/run_log.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

struct StdFileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using UniqueStdFile = std::unique_ptr<FILE, StdFileCloser>;

// "Path" values have always been read in the ANSI code page, and existing
// files were written for that reading. std::nullopt when the widened text
// would not fit the 259-unit base folder field.
std::optional<std::u16string> WidenAnsiPath(const std::string& text) {
    if (text.empty())
        return std::u16string();
    if (text.size() > INT_MAX)
        return std::nullopt;
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (units <= 0 || static_cast<size_t>(units) > kMaxPathUnits)
        return std::nullopt;
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), units);
    return FromWide(wide);
}

// The default written back is read again with WidenAnsiPath next time, so it
// is narrowed with the same code page. Characters outside it become '?'.
std::string NarrowAnsi(const std::u16string& text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, WidePtr(text), size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, WidePtr(text), size, narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}

// The whole file, read in binary mode: the parser normalises line ends
// itself and notes a leading UTF-8 byte-order mark. False when the file cannot
// be opened or read to its end.
bool ReadFileContent(const std::u16string& path, std::string* content) {
    UniqueStdFile file(_wfopen(WidePtr(path), L"rb"));
    if (!file)
        return false;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        content->append(chunk, got);
    return !std::ferror(file.get());
}

bool LoadDocument(const std::u16string& path, TiXmlDocument& document) {
    std::string content;
    return ReadFileContent(path, &content) && ParseUnattendedDocument(content, document);
}

// Text mode: every "\n" TinyXML prints reaches the file as CR LF. SaveFile
// writes the byte-order mark first when the loaded file began with one.
bool PrintDocument(const TiXmlDocument& document, const wchar_t* path) {
    FILE* file = _wfopen(path, L"w");
    if (!file)
        return false;
    const bool printed = document.SaveFile(file);
    // fclose flushes the buffered text: a write that fails only then still counts.
    const bool closed = std::fclose(file) == 0;
    return printed && closed;
}

// Folder part of `path` with its trailing separator ("." for a bare name).
std::u16string FolderOf(const std::u16string& path) {
    const size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string::npos ? u"." : path.substr(0, cut + 1);
}

// A read-only file, or one whose security denies writing, is the
// administrator's way of saying "do not rewrite". The rename alone would not
// honour it: a rename replaces a file the caller may not write to (and, under
// Wine, even a read-only one). The attribute is tested by name because an
// administrator's open for writing may be granted despite it (Wine run by
// root); the open probes the file's security without changing anything.
bool OriginalAcceptsWrites(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(WidePtr(path));
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    UniqueFile file(CreateFileW(WidePtr(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

// The rewrite runs elevated and goes by name: a temporary name, then a
// rename. In a folder that someone besides administrators can change (a
// download folder), that name could be swapped for a link between its
// creation and its opening, so the file is rewritten only in a folder that
// passes the installation folder's check (only its links where the system
// keeps no permissions).
bool FolderMayBeRewritten(const std::u16string& path) {
    std::u16string folder = FolderOf(path);
    if (folder.size() > 3 && (folder.back() == u'\\' || folder.back() == u'/'))
        folder.pop_back();  // a trailing separator would be resolved through a link
    if (JudgeFolder(ReadFolderFacts(folder), SystemEnforcesPermissions()) == FolderVerdict::Trusted)
        return true;
    WriteLogLine("config", u"not completed: others can change the folder of " + path);
    return false;
}

// The new content goes to a temporary file beside the original, which it then
// replaces in one rename: a full disk or a failed write never leaves the
// administrator with a truncated file.
bool WriteDocumentBack(const TiXmlDocument& document, const std::u16string& path) {
    if (!OriginalAcceptsWrites(path) || !FolderMayBeRewritten(path))
        return false;
    wchar_t temporary[MAX_PATH] = {};
    if (!GetTempFileNameW(WidePtr(FolderOf(path)), L"scr", 0, temporary))
        return false;
    if (PrintDocument(document, temporary) &&
        MoveFileExW(temporary, WidePtr(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD error = GetLastError();
    DeleteFileW(temporary);
    SetLastError(error);
    return false;
}

}  // namespace

namespace {

// Reads and completes the file; writes it back only when `writeBack` is set.
bool ReadUnattendedConfig(const std::u16string& path, UnattendedConfig& config, bool writeBack) {
    config = UnattendedConfig{};
    config.Path = ProgramFilesFolder();
    TiXmlDocument document;
    if (!LoadDocument(path, document))
        return false;
    const UnattendedRulesOutcome outcome = ApplyUnattendedRules(document, config, NarrowAnsi(config.Path));
    if (outcome.PathText) {
        if (std::optional<std::u16string> wide = WidenAnsiPath(*outcome.PathText))
            config.Path = std::move(*wide);
    }
    // The values read apply whether or not the completed file can be saved.
    if (writeBack && outcome.Changed)
        WriteDocumentBack(document, path);
    return true;
}

}  // namespace

bool LoadUnattendedConfig(const std::u16string& path, UnattendedConfig& config) {
    return ReadUnattendedConfig(path, config, true);
}

bool PeekUnattendedConfig(const std::u16string& path, UnattendedConfig& config) {
    return ReadUnattendedConfig(path, config, false);
}

std::optional<std::u16string> ConfigPathBesideProgram() {
    wchar_t module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::nullopt;  // failed, or truncated to the buffer
    std::u16string path = FromWide(std::wstring_view(module, length));
    const size_t cut = path.rfind(u'\\');
    if (cut == std::u16string::npos)
        return std::nullopt;
    path.resize(cut);
    path += u"\\script.ini";
    if (path.size() > kMaxPathUnits)
        return std::nullopt;
    return path;
}
