#include "tools/pkgtool/package_build.h"

#include <string>

#include "platform/text.h"
#include "records/installer_state.h"
#include "records/package.h"

namespace {

// The package paths a command names, in argument order.
std::vector<std::u16string> CommandPaths(const ScriptCommand& command) {
    if (!command.HasArguments || command.Code == kScriptCompany || command.Code == kScriptProduct)
        return {};
    if (command.Code != kScriptDriverBatchSet)
        return {command.Path};
    std::vector<std::u16string> paths;
    for (const DriverBatchEntry& entry : command.Batches)
        paths.push_back(entry.Path);
    return paths;
}

void CheckPaths(const ManifestCommand& entry, const PackageTree& tree, std::vector<ManifestError>* errors) {
    if (entry.Unchecked)
        return;
    for (const std::u16string& path : CommandPaths(entry.Command)) {
        if (!FindPackageFile(tree, path))
            errors->push_back({entry.Line, "\"" + Utf16ToUtf8(path) + "\" names no file of the payload"});
    }
}

std::vector<uint8_t> EncodeScript(const Manifest& manifest) {
    std::vector<uint8_t> body;
    for (const ManifestCommand& entry : manifest.Commands)
        AppendScriptCommand(body, entry.Command);
    return MakeScriptBlock(body);
}

}  // namespace

std::vector<ManifestError> BuildPackageBytes(const Manifest& manifest,
                                             const StoreFolder& root,
                                             std::vector<uint8_t>* out) {
    const std::vector<uint8_t> store = MakeFileStore(root, StoreLayout::DepthFirst);
    std::string reason;
    const std::unique_ptr<PackageTree> tree = BuildPackageTree(store.data(), store.size(), &reason);
    if (!tree)
        return {{0, "the installer would reject this payload: " + reason}};
    std::vector<ManifestError> errors;
    for (const ManifestCommand& entry : manifest.Commands)
        CheckPaths(entry, *tree, &errors);
    if (!errors.empty())
        return errors;
    std::vector<uint8_t> package = MakePackage(EncodeScript(manifest), store);
    InstallerState state;
    if (!LoadPackage(state, package.data(), package.size(), &reason))
        return {{0, "the installer would reject this package: " + reason}};
    *out = std::move(package);
    return {};
}
