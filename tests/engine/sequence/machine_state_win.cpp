#include "tests/engine/sequence/machine_state_win.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "platform/pending_renames_win.h"
#include "platform/product_constants.h"
#include "platform/service_control_win.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

constexpr char16_t kUninstallKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char16_t kRunKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t kDesktopMenuKey[] = u"DesktopBackground\\Shell";
constexpr char16_t kServicesKey[] = u"System\\CurrentControlSet\\Services";

std::string Utf8(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

uint64_t HashOfFile(const std::u16string& path, uint64_t* size) {
    UniqueFile file(CreateFileW(WidePtr(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    *size = 0;
    if (!file)
        return 0;
    uint8_t buffer[65536];
    DWORD read = 0;
    // Bounded: a device file would never end.
    while (*size < (64u << 20) && ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        for (DWORD i = 0; i < read; ++i)
            hash = (hash ^ buffer[i]) * 1099511628211ull;
        *size += read;
    }
    return hash;
}

struct FileWalk {
    const std::vector<std::u16string>& Skipped;
    bool HashContents;
    std::vector<std::string> Lines;
    std::vector<std::u16string> Directories;
    std::vector<std::u16string> RuntimeFiles;
};

// Whether `path` is one of the skipped paths or lies below one (letter case
// ignored).
bool IsSkipped(const std::u16string& path, const std::vector<std::u16string>& skipped) {
    return std::any_of(skipped.begin(), skipped.end(), [&](const std::u16string& skip) {
        return path.size() >= skip.size() && (path.size() == skip.size() || path[skip.size()] == u'\\') &&
               CompareStringOrdinal(WidePtr(path), static_cast<int>(skip.size()), WidePtr(skip),
                                    static_cast<int>(skip.size()), TRUE) == CSTR_EQUAL;
    });
}

void WalkFolder(const std::u16string& folder, bool skipRuntimeFiles, FileWalk& walk) {
    WIN32_FIND_DATAW entry;
    UniqueFind find(FindFirstFileW(WidePtr(folder + u"\\*"), &entry));
    if (!find)
        return;
    do {
        const std::u16string name = FromWide(entry.cFileName);
        if (name == u"." || name == u"..")
            continue;
        const std::u16string path = folder + u"\\" + name;
        if (IsSkipped(path, walk.Skipped))
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            walk.Directories.push_back(path);
            WalkFolder(path, skipRuntimeFiles, walk);
        } else if (skipRuntimeFiles && IsPayloadRuntimeFile(name)) {
            walk.RuntimeFiles.push_back(path);
        } else {
            uint64_t size = entry.nFileSizeLow | (static_cast<uint64_t>(entry.nFileSizeHigh) << 32);
            const uint64_t hash = walk.HashContents ? HashOfFile(path, &size) : 0;
            walk.Lines.push_back("file|" + Utf8(path) + "|" + std::to_string(size) + "|" + std::to_string(hash) + "|" +
                                 std::to_string(entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY));
        }
    } while (FindNextFileW(find.Get(), &entry));
}

// Folders below `folder` are listed unless they hold a payload runtime file: those stay
// after a removal, and so does every folder above them.
void AddFolderTree(const std::u16string& folder,
                   bool skipRuntimeFiles,
                   const SnapshotOptions& options,
                   std::vector<std::string>& lines) {
    // The folder itself is the caller's: only what lies below it counts.
    FileWalk walk{options.Skipped, options.HashContents, {}, {}, {}};
    WalkFolder(folder, skipRuntimeFiles, walk);
    for (const std::u16string& directory : walk.Directories) {
        const bool holdsRuntimeFile = std::any_of(
            walk.RuntimeFiles.begin(), walk.RuntimeFiles.end(),
            [&](const std::u16string& file) { return file.compare(0, directory.size() + 1, directory + u"\\") == 0; });
        if (!holdsRuntimeFile)
            lines.push_back("dir|" + Utf8(directory));
    }
    lines.insert(lines.end(), walk.Lines.begin(), walk.Lines.end());
}

std::string HexOf(const std::vector<BYTE>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (BYTE b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

void DumpKey(HKEY root, const std::string& rootName, const std::u16string& path, std::vector<std::string>& lines) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, WidePtr(path), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return;
    UniqueKey key(opened);
    const std::string prefix = rootName + "\\" + Utf8(path);
    lines.push_back("key|" + prefix);
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        std::vector<BYTE> data(65536);
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key.Get(), index, name, &nameLength, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS)
            break;
        data.resize(dataSize);
        lines.push_back("reg|" + prefix + "|" + Utf8(FromWide(std::wstring(name, nameLength))) + "|" +
                        std::to_string(type) + "|" + HexOf(data));
    }
    std::vector<std::u16string> subkeys;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key.Get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.push_back(FromWide(std::wstring(name, nameLength)));
    }
    for (const std::u16string& subkey : subkeys)
        DumpKey(root, rootName, path + u"\\" + subkey, lines);
}

// The product key less the last run's result values, which every run of
// the programs rewrites (a removal leaves them behind on purpose): a key that
// holds nothing else is left out too.
void AddProductKey(std::vector<std::string>& lines) {
    std::vector<std::string> key;
    DumpKey(HKEY_LOCAL_MACHINE, "HKLM", kProductKeyPath, key);
    const std::string results = "reg|HKLM\\" + Utf8(kProductKeyPath) + "|LastInstaller";
    key.erase(std::remove_if(key.begin(), key.end(),
                             [&](const std::string& line) { return line.compare(0, results.size(), results) == 0; }),
              key.end());
    if (key.size() > 1)
        lines.insert(lines.end(), key.begin(), key.end());
}

// The path a rename list names, without its "\??\" prefix and the "!" or
// "*" markers the session manager reads before it.
std::u16string RenamedPath(std::u16string text) {
    if (!text.empty() && (text[0] == u'!' || text[0] == u'*'))
        text.erase(0, 1);
    if (text.rfind(u"\\??\\", 0) == 0)
        text.erase(0, 4);
    return text;
}

// The files to be renamed or deleted at the next restart, other programs'
// entries among them, one line a pair: an entry lost or left behind changes
// the lines. Pairs whose source is skipped, or lies in the user's temporary
// folder (the uninstaller's own copy, deleted at the restart by design), are
// left out, as the walks leave those places out.
void AddPendingRenames(const SnapshotOptions& options, std::vector<std::string>& lines) {
    std::vector<std::u16string> skipped = options.Skipped;
    wchar_t temp[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, temp)) {
        std::u16string folder = FromWide(temp);
        if (!folder.empty() && folder.back() == u'\\')
            folder.pop_back();
        skipped.push_back(folder);
    }
    const std::vector<std::u16string> pairs = PendingRenamePairs();
    for (size_t at = 0; at < pairs.size(); at += 2) {
        if (IsSkipped(RenamedPath(pairs[at]), skipped))
            continue;
        lines.push_back("pending-rename|" + Utf8(pairs[at]) + "|" + Utf8(at + 1 < pairs.size() ? pairs[at + 1] : u""));
    }
}

void AddServices(std::vector<std::string>& lines) {
    UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager)
        return;
    std::vector<BYTE> buffer(256 * 1024);
    DWORD needed = 0;
    DWORD count = 0;
    DWORD resume = 0;
    if (!EnumServicesStatusExW(manager.Get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_STATE_ALL,
                               buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count, &resume, nullptr))
        return;
    auto* services = reinterpret_cast<ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const std::u16string name = FromWide(services[i].lpServiceName);
        const std::u16string image =
            ReadStringValue(HKEY_LOCAL_MACHINE, std::u16string(kServicesKey) + u"\\" + name, u"ImagePath")
                .value_or(u"");
        lines.push_back("service|" + Utf8(name) + "|" + Utf8(image));
    }
}

void EndProcessesNamed(const std::u16string& imageName) {
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE) {
        snapshot.Release();
        return;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, WidePtr(imageName)) != 0)
            continue;
        UniqueProcess process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (process && TerminateProcess(process.Get(), 0))
            WaitForSingleObject(process.Get(), 5000);
    }
}

}  // namespace

bool IsPayloadRuntimeFile(const std::u16string& name) {
    return name == u"DevConsole.log" || name == u"DevConsole.state" || name == u"ZorvanelleServiceV7.log";
}

std::u16string ShellFolderPath(int csidl) {
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, csidl, FALSE))
        return u"";
    return FromWide(folder);
}

MachineSnapshot TakeSnapshot(const std::u16string& baseFolder, const SnapshotOptions& options) {
    MachineSnapshot snapshot;
    std::vector<std::string>& lines = snapshot.Lines;
    AddFolderTree(baseFolder, true, options, lines);
    AddFolderTree(ShellFolderPath(CSIDL_PROGRAMS), false, options, lines);
    AddFolderTree(ShellFolderPath(CSIDL_DESKTOPDIRECTORY), false, options, lines);
    AddFolderTree(ShellFolderPath(CSIDL_COMMON_PROGRAMS), false, options, lines);
    AddFolderTree(ShellFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY), false, options, lines);
    AddFolderTree(ShellFolderPath(CSIDL_COMMON_DOCUMENTS), false, options, lines);
    AddProductKey(lines);
    DumpKey(HKEY_LOCAL_MACHINE, "HKLM", kUninstallKey, lines);
    DumpKey(HKEY_CURRENT_USER, "HKCU", kRunKey, lines);
    DumpKey(HKEY_LOCAL_MACHINE, "HKLM", kRunKey, lines);
    DumpKey(HKEY_CLASSES_ROOT, "HKCR", kDesktopMenuKey, lines);
    AddServices(lines);
    AddPendingRenames(options, lines);
    std::sort(lines.begin(), lines.end());
    return snapshot;
}

std::string SnapshotDifference(const MachineSnapshot& before, const MachineSnapshot& after) {
    std::vector<std::string> gone;
    std::vector<std::string> added;
    std::set_difference(before.Lines.begin(), before.Lines.end(), after.Lines.begin(), after.Lines.end(),
                        std::back_inserter(gone));
    std::set_difference(after.Lines.begin(), after.Lines.end(), before.Lines.begin(), before.Lines.end(),
                        std::back_inserter(added));
    std::string text;
    for (const std::string& line : gone)
        text += "- " + line + "\n";
    for (const std::string& line : added)
        text += "+ " + line + "\n";
    return text;
}

std::optional<std::u16string> ReadStringValue(HKEY root, const std::u16string& key, const std::u16string& name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, WidePtr(key), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    UniqueKey owner(opened);
    std::vector<wchar_t> text(4096);
    DWORD bytes = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
    DWORD type = 0;
    if (RegQueryValueExW(opened, WidePtr(name), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::u16string value = FromWide(std::wstring_view(text.data(), bytes / sizeof(wchar_t)));
    while (!value.empty() && value.back() == u'\0')
        value.pop_back();
    return value;
}

std::optional<DWORD> ReadDwordValue(HKEY root, const std::u16string& key, const std::u16string& name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, WidePtr(key), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    UniqueKey owner(opened);
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    DWORD type = 0;
    if (RegQueryValueExW(opened, WidePtr(name), nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

bool KeyExists(HKEY root, const std::u16string& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, WidePtr(key), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

std::optional<ServiceFacts> ReadService(const std::u16string& name) {
    UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    UniqueService service(
        manager ? OpenServiceW(manager.Get(), WidePtr(name), SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS) : nullptr);
    if (!service)
        return std::nullopt;
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    SERVICE_STATUS status{};
    if (!QueryServiceConfigW(service.Get(), config, static_cast<DWORD>(buffer.size()), &needed) ||
        !QueryServiceStatus(service.Get(), &status))
        return std::nullopt;
    ServiceFacts facts{config->dwStartType, status.dwCurrentState, FromWide(config->lpBinaryPathName), u""};
    std::vector<BYTE> described(8192);
    if (QueryServiceConfig2W(service.Get(), SERVICE_CONFIG_DESCRIPTION, described.data(),
                             static_cast<DWORD>(described.size()), &needed)) {
        auto* description = reinterpret_cast<SERVICE_DESCRIPTIONW*>(described.data());
        if (description->lpDescription)
            facts.Description = FromWide(description->lpDescription);
    }
    return facts;
}

std::u16string LinkTarget(const std::u16string& linkBase) {
    const bool initialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    std::u16string target;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(WidePtr(linkBase + u".lnk"), STGM_READ)) &&
                SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
                target = FromWide(path);
            file->Release();
        }
        link->Release();
    }
    if (initialised)
        CoUninitialize();
    return target;
}

std::vector<std::u16string> ProcessImagesNamed(const std::u16string& imageName) {
    std::vector<std::u16string> images;
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.Get() == INVALID_HANDLE_VALUE) {
        snapshot.Release();
        return images;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, WidePtr(imageName)) != 0)
            continue;
        UniqueProcess process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t path[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (process && QueryFullProcessImageNameW(process.Get(), 0, path, &length))
            images.push_back(FromWide(std::wstring(path, length)));
    }
    return images;
}

void RemoveTree(const std::u16string& path) {
    std::error_code ignored;
    // Read-only files left by a test would stop remove_all.
    for (auto it = std::filesystem::recursive_directory_iterator(std::filesystem::path(ToWide(path)), ignored);
         !ignored && it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(std::filesystem::path(ToWide(path)), ignored);
}

std::vector<DWORD> ProcessIdsNamed(const std::u16string& imageName) {
    std::vector<DWORD> ids;
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        if (lstrcmpiW(entry.szExeFile, WidePtr(imageName)) == 0)
            ids.push_back(entry.th32ProcessID);
    return ids;
}

bool SetServiceDescription(const std::u16string& name, const std::u16string& description) {
    UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    UniqueService service(manager ? OpenServiceW(manager.Get(), WidePtr(name), SERVICE_CHANGE_CONFIG) : nullptr);
    std::wstring text = ToWide(description);
    SERVICE_DESCRIPTIONW info{text.data()};
    return service && ChangeServiceConfig2W(service.Get(), SERVICE_CONFIG_DESCRIPTION, &info);
}

void WipeDemoProduct(const std::u16string& baseFolder) {
    StopAndDeleteService(u"ZorvanelleServiceV7");
    EndProcessesNamed(u"ZorvanelleServiceV7.exe");
    EndProcessesNamed(u"ZorvanellePanelV7.exe");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, WidePtr(kProductKeyPath));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, WidePtr(std::u16string(kUninstallKey) + u"\\ZorvanelleV7"));
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY run = nullptr;
        if (RegOpenKeyExW(root, WidePtr(kRunKey), 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
            RegDeleteValueW(run, L"ZorvanellePanelV7");
            RegCloseKey(run);
        }
    }
    for (int programs : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
        RemoveTree(ShellFolderPath(programs) + u"\\Zorvanelle");
    for (int desktop : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
        DeleteFileW(WidePtr(ShellFolderPath(desktop) + u"\\ZorvanellePanelV7.lnk"));
    RemoveTree(ShellFolderPath(CSIDL_COMMON_DOCUMENTS) + u"\\" + kPanelConfigFolderName);
    RemoveTree(baseFolder);
}
