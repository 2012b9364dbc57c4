// libFuzzer target for the package reader. Every input is read three ways:
// as a whole package resource (LoadPackage), as a bare FileStore block
// (BuildPackageTree) and as an InstallScript block parsed against a fixed
// shipped-like tree, so mutations reach the store and the script directly
// without first having to keep the outer sizes consistent. An accepted input
// is walked in full; a broken invariant traps.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "records/installer_state.h"
#include "records/package.h"
#include "tests/support/shipped_package.h"

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

void WalkFolders(const PackageTree& tree) {
    std::vector<const PackageFolder*> pending;
    for (const PackageFolder& folder : tree.Folders)
        pending.push_back(&folder);
    while (!pending.empty()) {
        const PackageFolder* folder = pending.back();
        pending.pop_back();
        for (const PackageFile* file : folder->Files)
            Require(file->Folder == folder);
        for (const PackageFolder& sub : folder->Folders)
            pending.push_back(&sub);
    }
}

// Every file can be found again by its own package path, and a few odd paths
// never match anything they should not.
void WalkTree(const PackageTree& tree) {
    Require(tree.RootName.size() <= kMaxTextUnits);
    for (const PackageFile* file : tree.RootFiles)
        Require(file->Folder == nullptr && FindPackageFile(tree, file->Name) != nullptr);
    for (const PackageFile& file : tree.AllFiles) {
        Require(file.Tree == &tree && (file.Size == 0) == (file.Data == nullptr));
        Require(!file.Name.empty() && file.Name.size() <= kMaxTextUnits);
        const std::u16string path = file.Folder ? file.Folder->Name + u"\\" + file.Name : file.Name;
        const PackageFile* found = FindPackageFile(tree, path);
        Require(found && found->Name == file.Name && (found->Folder == nullptr) == (file.Folder == nullptr));
    }
    for (const char16_t* path : {u"", u".", u"\\", u".\\", u"..", u"\\\\", u"License.txt", u"driver\\"})
        (void)FindPackageFile(tree, path);
    WalkFolders(tree);
}

bool InTree(const PackageTree& tree, const PackageFile* file) {
    return file && file->Tree == &tree;
}

void WalkScriptResults(const InstallerState& state) {
    const PackageTree& tree = *state.Tree;
    Require(!state.MainAppFile || InTree(tree, state.MainAppFile));
    Require(!state.AuxAppFile || InTree(tree, state.AuxAppFile));
    Require(!state.UninstallerFile || InTree(tree, state.UninstallerFile));
    for (const auto* list : {&state.LaunchList, &state.RunEntryList, &state.SystemFileList})
        for (const PackageFile* file : *list)
            Require(InTree(tree, file));
    for (const auto* list : {&state.ProgramsShortcutList, &state.DesktopMenuList, &state.DesktopShortcutList})
        for (const ShortcutEntry& entry : *list)
            Require(InTree(tree, entry.File) && entry.DisplayName.size() <= kMaxTextUnits);
    for (const ServiceEntry& entry : state.ServiceList)
        Require(InTree(tree, entry.File));
    for (const DriverBatchSet& set : state.DriverBatchSetList)
        Require(InTree(tree, set.InstallX86) || InTree(tree, set.InstallX64));
    for (const LicenseEntry& entry : state.LicenseList)
        Require(InTree(tree, entry.File));
}

void RequireEmpty(const InstallerState& state) {
    Require(!state.Tree && state.Company.empty() && state.Product.empty());
    Require(!state.MainAppFile && !state.AuxAppFile && !state.UninstallerFile);
    Require(state.ServiceList.empty() && state.DriverBatchSetList.empty() && state.LicenseList.empty());
}

void FuzzPackage(const uint8_t* data, size_t size) {
    InstallerState state;
    for (int load = 0; load < 2; ++load) {  // the second load replaces the first
        if (!LoadPackage(state, data, size)) {
            RequireEmpty(state);
            return;
        }
        WalkTree(*state.Tree);
        WalkScriptResults(state);
    }
}

void FuzzStore(const uint8_t* data, size_t size) {
    if (std::unique_ptr<PackageTree> tree = BuildPackageTree(data, size))
        WalkTree(*tree);
}

// One tree for every script input: ParseInstallScript clears the results it
// filled last time before it reads the next script.
InstallerState& ScriptState() {
    static InstallerState* state = [] {
        auto* created = new InstallerState;
        const std::vector<uint8_t> store = MakeFileStore(ShippedStoreRoot());
        created->Tree = BuildPackageTree(store.data(), store.size());
        Require(created->Tree != nullptr);
        return created;
    }();
    return *state;
}

void FuzzScript(const uint8_t* data, size_t size) {
    InstallerState& state = ScriptState();
    (void)ParseInstallScript(state, data, size);
    WalkScriptResults(state);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzPackage(data, size);
    FuzzStore(data, size);
    FuzzScript(data, size);
    return 0;
}
