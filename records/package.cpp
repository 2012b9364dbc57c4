#include "records/package.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <vector>

#include "platform/path_names.h"
#include "platform/program_folder.h"
#include "records/byte_reader.h"
#include "records/install_script.h"
#include "records/installer_state.h"

namespace {

constexpr size_t kSizeField = 4;

// ---------------------------------------------------------------------------
// Failure reasons

bool Reject(std::string* reason, const char* format, uint64_t value = 0) {
    if (reason) {
        char text[200];
        std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(value));
        *reason = text;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Names. Every name ends up in a path below the install folder, so none may
// climb out of it (IsPlainName, path_names.h).

// A relative path of plain components joined by "\" ("driver\USB\i386").
bool IsRelativeFolderPath(std::u16string_view path) {
    for (;;) {
        const size_t cut = path.find(u'\\');
        if (!IsPlainName(path.substr(0, cut)))
            return false;
        if (cut == std::u16string_view::npos)
            return true;
        path.remove_prefix(cut + 1);
    }
}

// ---------------------------------------------------------------------------
// Store reading

// Remembers the byte range of every record read and refuses one that overlaps
// an earlier one, so offsets that loop back or share a region cannot make the
// reader visit bytes twice; the records read, and the file bytes copied, never
// add up to more than StoreSize.
class RegionSet {
  public:
    bool Claim(size_t start, size_t end) {
        auto next = ranges_.lower_bound(start);
        if (next != ranges_.end() && next->first < end)
            return false;
        if (next != ranges_.begin() && std::prev(next)->second > start)
            return false;
        ranges_.emplace(start, end);
        return true;
    }

  private:
    std::map<size_t, size_t> ranges_;  // start -> end
};

struct StoreReader {
    ByteReader bytes;
    RegionSet claimed;
    std::string* reason;
};

bool ReadName(StoreReader& r, std::u16string* out, const char* what) {
    bool tooLong = false;
    if (r.bytes.ReadString16(kMaxTextUnits, out, &tooLong))
        return true;
    if (tooLong)
        return Reject(r.reason, "name at store offset 0x%llx is longer than 259 units", r.bytes.Position());
    return Reject(r.reason, what, r.bytes.Position());
}

// Reads one file record at the cursor and prepends the new file to `files`
// and to the tree's AllFiles.
bool ReadFileRecord(StoreReader& r,
                    PackageTree& tree,
                    const PackageFolder* folder,
                    std::forward_list<PackageFile*>& files) {
    const size_t start = r.bytes.Position();
    PackageFile file;
    const uint8_t* data = nullptr;
    if (!r.bytes.ReadU32LE(&file.Size))
        return Reject(r.reason, "file record at store offset 0x%llx runs past the store", start);
    if (!ReadName(r, &file.Name, "file name at store offset 0x%llx runs past the store"))
        return false;
    if (!IsPlainName(file.Name))
        return Reject(r.reason, "file record at store offset 0x%llx has a name that is not a plain file name", start);
    if (!r.bytes.ReadBytes(file.Size, &data))
        return Reject(r.reason, "file data at store offset 0x%llx runs past the store", r.bytes.Position());
    if (!r.claimed.Claim(start, r.bytes.Position()))
        return Reject(r.reason, "file record at store offset 0x%llx overlaps a record read before", start);
    file.Data = file.Size ? data : nullptr;
    file.Folder = folder;
    file.Tree = &tree;
    tree.AllFiles.push_front(std::move(file));
    files.push_front(&tree.AllFiles.front());
    return true;
}

// Reads one folder record at the cursor and prepends the new folder, still
// empty, to `folders`.
bool ReadFolderRecord(StoreReader& r, std::forward_list<PackageFolder>& folders) {
    const size_t start = r.bytes.Position();
    PackageFolder folder;
    if (!r.bytes.ReadU32LE(&folder.ContentOffset) || !r.bytes.ReadI32LE(&folder.FileCount) ||
        !r.bytes.ReadI32LE(&folder.FolderCount))
        return Reject(r.reason, "folder record at store offset 0x%llx runs past the store", start);
    if (!ReadName(r, &folder.Name, "folder name at store offset 0x%llx runs past the store"))
        return false;
    if (!IsRelativeFolderPath(folder.Name))
        return Reject(r.reason, "folder record at store offset 0x%llx has a name that is not a relative path", start);
    if (folder.ContentOffset > r.bytes.Size())
        return Reject(r.reason, "folder record at store offset 0x%llx points outside the store", start);
    if (!r.claimed.Claim(start, r.bytes.Position()))
        return Reject(r.reason, "folder record at store offset 0x%llx overlaps a record read before", start);
    folders.push_front(std::move(folder));
    return true;
}

// Reads `fileCount` file records, then `folderCount` folder records, at the
// cursor. Counts of 0 or less read nothing.
bool ReadRegion(StoreReader& r,
                PackageTree& tree,
                const PackageFolder* owner,
                int32_t fileCount,
                int32_t folderCount,
                std::forward_list<PackageFile*>& files,
                std::forward_list<PackageFolder>& folders) {
    for (int32_t i = 0; i < fileCount; ++i)
        if (!ReadFileRecord(r, tree, owner, files))
            return false;
    for (int32_t i = 0; i < folderCount; ++i)
        if (!ReadFolderRecord(r, folders))
            return false;
    return true;
}

// Pushes `folders` so that popping yields them in list order.
void PushInListOrder(std::forward_list<PackageFolder>& folders, std::vector<PackageFolder*>& pending) {
    const size_t base = pending.size();
    for (PackageFolder& folder : folders)
        pending.push_back(&folder);
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(base), pending.end());
}

// Reads the content of every folder, depth first, each folder's subfolders in
// list order. An explicit stack keeps deep nesting off the call stack.
bool ReadFolderContents(StoreReader& r, PackageTree& tree) {
    std::vector<PackageFolder*> pending;
    PushInListOrder(tree.Folders, pending);
    while (!pending.empty()) {
        PackageFolder& folder = *pending.back();
        pending.pop_back();
        (void)r.bytes.Seek(folder.ContentOffset);  // checked against the store when read
        if (!ReadRegion(r, tree, &folder, folder.FileCount, folder.FolderCount, folder.Files, folder.Folders))
            return false;
        PushInListOrder(folder.Folders, pending);
    }
    return true;
}

// The first value of InstallFolder: the program's folder and RootName. The
// install sequence replaces it before anything uses it; it falls back to
// RootName alone rather than exceed a 259-unit text or start at "\".
std::u16string FirstInstallFolder(const std::u16string& rootName) {
    std::u16string folder = ProgramFolder();
    if (folder.empty() || folder.size() + 1 + rootName.size() > kMaxTextUnits)
        return rootName;
    return folder + u'\\' + rootName;
}

bool ReadRootHeader(StoreReader& r, PackageTree& tree) {
    uint32_t storeSize = 0;
    if (!r.bytes.ReadU32LE(&storeSize))
        return Reject(r.reason, "store block of %llu bytes has no StoreSize", r.bytes.Size());
    if (storeSize > r.bytes.Size())
        return Reject(r.reason, "StoreSize %llu is larger than the bytes given", storeSize);
    r.bytes = ByteReader(r.bytes.Data(), storeSize);
    if (!r.bytes.Seek(kSizeField) || !r.bytes.ReadI32LE(&tree.FileCount) || !r.bytes.ReadI32LE(&tree.FolderCount))
        return Reject(r.reason, "store of %llu bytes is too short for its root header", storeSize);
    if (!ReadName(r, &tree.RootName, "root name at store offset 0x%llx runs past the store"))
        return false;
    if (!IsPlainName(tree.RootName))
        return Reject(r.reason, "root folder name is not a plain folder name");
    (void)r.claimed.Claim(0, r.bytes.Position());
    return true;
}

// ---------------------------------------------------------------------------
// Script commands

struct ScriptContext {
    InstallerState& state;
    const PackageTree& tree;
    std::string* reason;
};

// A display name becomes a link file's name or a context-menu key's name, and
// a removal undoes only entries whose names pass IsPlainName. A name it would
// refuse is ignored here, like a file that is not found, so nothing is ever
// created that its removal would leave behind.
void AddShortcut(std::forward_list<ShortcutEntry>& list, const PackageFile* file, const ScriptCommand& command) {
    if (file && IsPlainName(command.Text))
        list.push_front(ShortcutEntry{file, command.Text});
}

void AddFile(std::forward_list<const PackageFile*>& list, const PackageFile* file) {
    if (file)
        list.push_front(file);
}

void AddService(InstallerState& state, const PackageFile* file, const ScriptCommand& command) {
    if (!file)
        return;
    ServiceEntry entry{file, std::nullopt};
    if (command.HasText)
        entry.Description = command.Text;
    state.ServiceList.push_front(std::move(entry));
}

// Company and Product become folder names below the base folder.
ScriptParseOutcome SetPlainName(ScriptContext& c, std::u16string* field, const ScriptCommand& command) {
    if (!IsPlainName(command.Text)) {
        Reject(c.reason, "script command %llu names a company or product that is not a plain folder name",
               command.Code);
        return ScriptParseOutcome::Invalid;
    }
    *field = command.Text;
    return ScriptParseOutcome::Complete;
}

ScriptParseOutcome AddDriverBatchSet(ScriptContext& c, const ScriptCommand& command) {
    DriverBatchSet set;
    const PackageFile** slots[] = {&set.InstallX86, &set.InstallX64, &set.UninstallX86, &set.UninstallX64};
    for (const DriverBatchEntry& entry : command.Batches) {
        const PackageFile* file = FindPackageFile(c.tree, entry.Path);
        if (!file && entry.Index >= kBatchUninstallX86) {
            Reject(c.reason, "driver batch set names a missing uninstall batch (index %llu)", entry.Index);
            return ScriptParseOutcome::Malformed;
        }
        *slots[entry.Index] = file;  // index checked by the command reader
    }
    if (set.InstallX86 || set.InstallX64)
        c.state.DriverBatchSetList.push_front(set);
    return ScriptParseOutcome::Complete;
}

// Applies one decoded command to the state; Complete means "go on".
ScriptParseOutcome ApplyCommand(ScriptContext& c, const ScriptCommand& command) {
    InstallerState& s = c.state;
    if (command.Code == kScriptCompany)
        return SetPlainName(c, &s.Company, command);
    if (command.Code == kScriptProduct)
        return SetPlainName(c, &s.Product, command);
    if (command.Code == kScriptDriverBatchSet)
        return AddDriverBatchSet(c, command);
    const PackageFile* file = FindPackageFile(c.tree, command.Path);
    switch (command.Code) {
        case kScriptMainApp:
            s.MainAppFile = file;
            break;
        case kScriptUninstaller:
            s.UninstallerFile = file;
            break;
        case kScriptAuxApp:
            s.AuxAppFile = file;
            break;
        case kScriptProgramsShortcut:
            AddShortcut(s.ProgramsShortcutList, file, command);
            break;
        case kScriptDesktopMenu:
            AddShortcut(s.DesktopMenuList, file, command);
            break;
        case kScriptDesktopShortcut:
            AddShortcut(s.DesktopShortcutList, file, command);
            break;
        case kScriptSystemFile:
            AddFile(s.SystemFileList, file);
            break;
        case kScriptRunEntry:
            AddFile(s.RunEntryList, file);
            break;
        case kScriptLaunch:
            AddFile(s.LaunchList, file);
            break;
        case kScriptService:
            AddService(s, file, command);
            break;
        case kScriptLicense:
            if (file)
                s.LicenseList.push_front(LicenseEntry{command.Language, file});
            break;
        default:
            break;
    }
    return ScriptParseOutcome::Complete;
}

ScriptParseOutcome RunScript(ScriptContext& c, const uint8_t* script, size_t size) {
    size_t position = kSizeField;
    ScriptCommand command;
    for (;;) {
        const ScriptReadStatus status = ReadScriptCommand(script, size, &position, &command, c.reason);
        switch (status) {
            case ScriptReadStatus::End:
                return ScriptParseOutcome::Complete;
            case ScriptReadStatus::Malformed:
                return ScriptParseOutcome::Malformed;
            case ScriptReadStatus::Invalid:
                return ScriptParseOutcome::Invalid;
            case ScriptReadStatus::Command:
            case ScriptReadStatus::Unterminated:
                break;
        }
        if (!command.HasArguments)
            continue;  // (code, 0x7F) pairs carry nothing, whatever the code
        // A command takes effect before its end byte is looked at: one whose
        // end byte is wrong still applies, and the script stops after it.
        const ScriptParseOutcome outcome = ApplyCommand(c, command);
        if (outcome != ScriptParseOutcome::Complete)
            return outcome;
        if (status == ScriptReadStatus::Unterminated)
            return ScriptParseOutcome::Malformed;
    }
}

// ---------------------------------------------------------------------------
// Package

void ReleaseWorker(InstallerState& state) {
    if (!state.WorkerThread)
        return;
    state.Running = false;
    state.WorkerThread.reset();
}

void DiscardPackage(InstallerState& state) {
    ClearScriptResults(state);
    state.Tree.reset();
}

// Checks TotalSize = 4 + ScriptSize + StoreSize against each other and against
// the bytes given; on success `scriptSize` and `storeSize` hold the fields.
bool ReadBlockSizes(const uint8_t* bytes, size_t size, uint32_t* scriptSize, uint32_t* storeSize, std::string* reason) {
    ByteReader r(bytes, size);
    uint32_t totalSize = 0;
    if (!r.ReadU32LE(&totalSize) || !r.ReadU32LE(scriptSize))
        return Reject(reason, "package of %llu bytes is shorter than its header", size);
    if (totalSize != size)
        return Reject(reason, "TotalSize %llu differs from the bytes given", totalSize);
    if (*scriptSize < kSizeField)
        return Reject(reason, "ScriptSize %llu is smaller than its own field", *scriptSize);
    const uint64_t storeAt = uint64_t{kSizeField} + *scriptSize;  // no wrap where size_t is 32 bits
    if (storeAt > size || !r.Seek(static_cast<size_t>(storeAt)) || !r.ReadU32LE(storeSize))
        return Reject(reason, "ScriptSize %llu leaves no room for StoreSize", *scriptSize);
    if (uint64_t{kSizeField} + *scriptSize + *storeSize != totalSize)
        return Reject(reason, "TotalSize %llu is not 4 + ScriptSize + StoreSize", totalSize);
    return true;
}

}  // namespace

PackageTree::~PackageTree() {
    std::vector<std::forward_list<PackageFolder>> pending;
    pending.push_back(std::move(Folders));
    Folders.clear();
    while (!pending.empty()) {
        std::forward_list<PackageFolder> level = std::move(pending.back());
        pending.pop_back();
        for (PackageFolder& folder : level)
            if (!folder.Folders.empty()) {
                pending.push_back(std::move(folder.Folders));
                folder.Folders.clear();  // moved-from: make "empty" certain
            }
    }  // `level` goes here, its folders already emptied of subfolders
}

std::vector<uint8_t> BytesOf(const PackageFile& file) {
    return file.Size ? std::vector<uint8_t>(file.Data, file.Data + file.Size) : std::vector<uint8_t>();
}

std::unique_ptr<PackageTree> BuildPackageTree(const uint8_t* store,
                                              size_t size,
                                              std::string* reason,
                                              PackageBytes bytes) {
    auto tree = std::make_unique<PackageTree>();
    if (bytes == PackageBytes::Copy) {
        tree->OwnedStore.assign(store, store + size);
        store = tree->OwnedStore.data();
    }
    StoreReader r{ByteReader(store, size), RegionSet{}, reason};
    if (!ReadRootHeader(r, *tree))
        return nullptr;
    if (!ReadRegion(r, *tree, nullptr, tree->FileCount, tree->FolderCount, tree->RootFiles, tree->Folders))
        return nullptr;
    if (!ReadFolderContents(r, *tree))
        return nullptr;
    tree->InstallFolder = FirstInstallFolder(tree->RootName);
    return tree;
}

bool ParseInstallScript(InstallerState& state,
                        const uint8_t* script,
                        size_t size,
                        ScriptParseOutcome* outcome,
                        std::string* reason) {
    ScriptParseOutcome result = ScriptParseOutcome::Malformed;
    if (state.Tree) {
        ClearScriptResults(state);
        ScriptContext context{state, *state.Tree, reason};
        result = RunScript(context, script, size);
    } else {
        Reject(reason, "no package tree to resolve the script against");
    }
    if (outcome)
        *outcome = result;
    return result == ScriptParseOutcome::Complete;
}

bool LoadPackage(InstallerState& state, const uint8_t* bytes, size_t size, std::string* reason, PackageBytes how) {
    ReleaseWorker(state);
    DiscardPackage(state);
    uint32_t scriptSize = 0;
    uint32_t storeSize = 0;
    bool valid = ReadBlockSizes(bytes, size, &scriptSize, &storeSize, reason);
    if (valid) {
        const uint8_t* script = bytes + kSizeField;
        state.Tree = BuildPackageTree(script + scriptSize, storeSize, reason, how);
        ScriptParseOutcome outcome = ScriptParseOutcome::Complete;
        if (state.Tree)
            ParseInstallScript(state, script, scriptSize, &outcome, reason);
        valid = state.Tree && outcome != ScriptParseOutcome::Invalid;
    }
    if (!valid) {
        DiscardPackage(state);
        state.Company.clear();
        state.Product.clear();
    }
    return valid;
}

const PackageFile* FindPackageFile(const PackageTree& tree, std::u16string_view path) {
    if (path.substr(0, 2) == u".\\")
        path.remove_prefix(2);
    else if (path.substr(0, 1) == u"\\")
        path.remove_prefix(1);
    const size_t cut = path.rfind(u'\\');
    if (cut != std::u16string_view::npos && cut >= 1) {
        const std::u16string_view dir = path.substr(0, cut);
        const std::u16string_view name = path.substr(cut + 1);
        for (const PackageFile& file : tree.AllFiles)
            if (file.Folder && file.Folder->Name == dir && file.Name == name)
                return &file;
        return nullptr;
    }
    for (const PackageFile* file : tree.RootFiles)
        if (file->Name == path)
            return file;
    return nullptr;
}

void ClearScriptResults(InstallerState& state) {
    state.MainAppFile = nullptr;
    state.AuxAppFile = nullptr;
    state.UninstallerFile = nullptr;
    state.LaunchList.clear();
    state.RunEntryList.clear();
    state.ProgramsShortcutList.clear();
    state.DesktopMenuList.clear();
    state.SystemFileList.clear();
    state.DesktopShortcutList.clear();
    state.ServiceList.clear();
    state.DriverBatchSetList.clear();
    state.LicenseList.clear();
}

std::optional<std::u16string> FullPathOfPackageFile(const PackageFile& file) {
    if (!file.Tree)
        return std::nullopt;
    if (file.Folder)
        return JoinPath(file.Tree->InstallFolder, file.Folder->Name, file.Name);
    return JoinPath(file.Tree->InstallFolder, file.Name);
}
