#include "tools/pkgtool/pkgtool.h"

#include <string_view>

#include "platform/text.h"
#include "records/installer_state.h"
#include "records/package.h"
#include "records/package_container.h"
#include "tools/package_pack.h"
#include "tools/pkgtool/extract.h"
#include "tools/pkgtool/host_files.h"
#include "tools/pkgtool/listing.h"
#include "tools/pkgtool/manifest.h"
#include "tools/pkgtool/package_build.h"
#include "tools/pkgtool/package_source.h"
#include "tools/pkgtool/payload.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUsage =
    "usage: pkgtool build [--store] MANIFEST PAYLOAD_DIR -o PACKAGE\n"
    "       pkgtool list PACKAGE\n"
    "       pkgtool extract PACKAGE DIR\n"
    "       pkgtool --help\n"
    "\n"
    "build    writes the package described by MANIFEST, with the contents of\n"
    "         PAYLOAD_DIR as its file store (see tools/MANIFEST.md), compressed\n"
    "         with zstd and checksummed; --store writes it uncompressed\n"
    "list     shows the script, the file tree and the file list of PACKAGE\n"
    "extract  writes the file tree of PACKAGE to DIR/ROOT_NAME/...\n"
    "list and extract read both forms, and refuse a damaged compressed one.\n"
#ifdef _WIN32
    "\n"
    "A PACKAGE ending in .exe is read from that program's package resource.\n"
#endif
    ;

int UsageError(std::ostream& err, const std::string& message) {
    err << "pkgtool: " << message << "\n" << kUsage;
    return kExitUsage;
}

int Failure(std::ostream& err, const std::string& message) {
    err << "pkgtool: " << message << "\n";
    return kExitFailure;
}

// RootName when the manifest names none: the payload folder's own name.
std::u16string DefaultRootName(const fs::path& payloadDir) {
    std::error_code error;
    const fs::path full = fs::weakly_canonical(fs::absolute(payloadDir, error), error);
    return Utf8ToUtf16(PathToUtf8(full.filename()));
}

bool ReadManifest(const std::string& name, Manifest* manifest, std::ostream& err) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(PathFromUtf8(name), &bytes, &error)) {
        Failure(err, name + ": " + error);
        return false;
    }
    const std::vector<ManifestError> errors =
        ParseManifest(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), manifest);
    for (const ManifestError& problem : errors)
        err << FormatManifestError(name, problem) << "\n";
    return errors.empty();
}

// What "build" was asked for.
struct BuildRequest {
    std::string Manifest;
    std::string Payload;
    std::string Output;
    bool Store = false;  // --store: the uncompressed form
};

int Build(const BuildRequest& request, std::ostream& err) {
    const std::string& manifestName = request.Manifest;
    const std::string& outputName = request.Output;
    Manifest manifest;
    if (!ReadManifest(manifestName, &manifest, err))
        return kExitFailure;
    const fs::path payloadDir = PathFromUtf8(request.Payload);
    StoreFolder root;
    const std::u16string rootName = manifest.RootName ? *manifest.RootName : DefaultRootName(payloadDir);
    if (std::string error = ReadPayload(payloadDir, rootName, &root); !error.empty())
        return Failure(err, error);
    std::vector<uint8_t> package;
    std::vector<ManifestError> errors = ApplyManifestOrders(manifest.Orders, &root);
    if (errors.empty())
        errors = BuildPackageBytes(manifest, root, &package);
    for (const ManifestError& problem : errors)
        err << FormatManifestError(manifestName, problem) << "\n";
    if (!errors.empty())
        return kExitFailure;
    if (!request.Store && (package = PackPackage(package)).empty())
        return Failure(err, "the package cannot be compressed");
    std::string error;
    if (!WriteFileBytes(PathFromUtf8(outputName), package, &error))
        return Failure(err, outputName + ": " + error);
    return kExitOk;
}

// Reads a package in either form and loads it; *bytes ends as the stored
// form. On failure reports why and returns false.
bool LoadNamedPackage(const std::string& name, std::vector<uint8_t>* bytes, InstallerState* state, std::ostream& err) {
    std::string error;
    if (!ReadPackageSource(PathFromUtf8(name), bytes, &error)) {
        Failure(err, name + ": " + error);
        return false;
    }
    std::vector<uint8_t> content;
    const ContainerCheck check = UnpackPackage(bytes->data(), bytes->size(), &content);
    if (check != ContainerCheck::Stored && check != ContainerCheck::Intact) {
        Failure(err, name + ": damaged package: " + ContainerCheckText(check));
        return false;
    }
    if (check == ContainerCheck::Intact)
        bytes->swap(content);
    if (!LoadPackage(*state, bytes->data(), bytes->size(), &error)) {
        Failure(err, name + ": invalid package: " + error);
        return false;
    }
    return true;
}

int List(const std::string& packageName, std::ostream& out, std::ostream& err) {
    std::vector<uint8_t> bytes;
    InstallerState state;
    if (!LoadNamedPackage(packageName, &bytes, &state, err))
        return kExitFailure;
    WritePackageListing(bytes, state, out);
    return out ? kExitOk : Failure(err, "cannot write the listing");
}

int Extract(const std::string& packageName, const std::string& dirName, std::ostream& err) {
    std::vector<uint8_t> bytes;
    InstallerState state;
    if (!LoadNamedPackage(packageName, &bytes, &state, err))
        return kExitFailure;
    if (std::string error = ExtractPackageTree(*state.Tree, PathFromUtf8(dirName)); !error.empty())
        return Failure(err, "extract: " + error);
    return kExitOk;
}

// build's arguments: two positional names, "-o PACKAGE" and "--store" anywhere.
int RunBuild(const std::vector<std::string>& args, std::ostream& err) {
    std::vector<std::string> positional;
    std::string output;
    bool store = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--store")
            store = true;
        else if (args[i] != "-o")
            positional.push_back(args[i]);
        else if (i + 1 < args.size() && output.empty())
            output = args[++i];
        else
            return UsageError(err, "build: -o needs one PACKAGE name");
    }
    if (positional.size() != 2 || output.empty())
        return UsageError(err, "build needs MANIFEST, PAYLOAD_DIR and -o PACKAGE");
    return Build(BuildRequest{positional[0], positional[1], output, store}, err);
}

}  // namespace

int RunPkgtool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty())
        return UsageError(err, "no command given");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return kExitOk;
    }
    if (command == "build")
        return RunBuild(args, err);
    if (command == "list" && args.size() == 2)
        return List(args[1], out, err);
    if (command == "extract" && args.size() == 3)
        return Extract(args[1], args[2], err);
    if (command == "list" || command == "extract")
        return UsageError(err, command + ": wrong number of arguments");
    return UsageError(err, "unknown command \"" + command + "\"");
}
