#include <windows.h>

#include "engine/package_resource_win.h"
#include "tools/pkgtool/host_files.h"
#include "tools/pkgtool/package_source.h"

namespace {

bool HasExeExtension(const std::filesystem::path& path) {
    std::wstring extension = path.extension().wstring();
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(towlower(c));
    return extension == L".exe";
}

std::string LastErrorText(const char* what) {
    return std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
}

// Loading as an image resource maps the file without running any of its
// code, so listing an untrusted installer is safe; the bytes are copied out
// before the mapping goes.
bool ReadExeResource(const std::filesystem::path& path, std::vector<uint8_t>* out, std::string* error) {
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        *error = LastErrorText("cannot load as a resource file");
        return false;
    }
    const uint8_t* data = nullptr;
    size_t size = 0;
    const bool found = FindPackageResource(module, &data, &size);
    if (found)
        out->assign(data, data + size);
    else
        *error = "carries no RES_DATA resource 132";
    FreeLibrary(module);
    return found;
}

}  // namespace

bool ReadPackageSource(const std::filesystem::path& path, std::vector<uint8_t>* out, std::string* error) {
    if (HasExeExtension(path))
        return ReadExeResource(path, out, error);
    return ReadFileBytes(path, out, error);
}
