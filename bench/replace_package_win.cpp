// replace_package.exe INSTALLER PACKAGE: replaces the package resource
// ("RES_DATA" 132) of a copy of the installer with the bytes of PACKAGE, in
// place, so the benchmark can install other packages with the same program.
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

constexpr WORD kPackageId = 132;

BOOL CALLBACK FirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;
}

bool ReadAll(const wchar_t* path, std::vector<char>& bytes) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    const bool ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
    CloseHandle(file);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<char> package;
    if (argc != 3 || !ReadAll(argv[2], package)) {
        std::printf("usage: replace_package INSTALLER PACKAGE\n");
        return 2;
    }
    WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    if (HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        EnumResourceLanguagesW(module, L"RES_DATA", MAKEINTRESOURCEW(kPackageId), FirstLanguage,
                               reinterpret_cast<LONG_PTR>(&language));
        FreeLibrary(module);
    }
    HANDLE update = BeginUpdateResourceW(argv[1], FALSE);
    if (!update || !UpdateResourceW(update, L"RES_DATA", MAKEINTRESOURCEW(kPackageId), language, package.data(),
                                    static_cast<DWORD>(package.size())) ||
        !EndUpdateResourceW(update, FALSE)) {
        std::printf("cannot replace the package: error %lu\n", GetLastError());
        return 1;
    }
    return 0;
}
