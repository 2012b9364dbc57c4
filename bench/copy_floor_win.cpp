// copy_floor.exe SOURCE TARGET: the floor of the quiet-install benchmark. A
// trivial program built like the installer that copies the folder tree
// SOURCE to TARGET, one read and one write per file: what any installer of
// the same files must at least do.
#include <windows.h>

#include <string>
#include <vector>

namespace {

bool CopyOne(const std::wstring& from, const std::wstring& to) {
    HANDLE in = CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(in, &size);
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD done = 0;
    bool ok = ReadFile(in, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) != FALSE;
    CloseHandle(in);
    HANDLE out = CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    ok = ok && WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(out);
    return ok;
}

bool CopyTree(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(from + L"\\" + name, to + L"\\" + name) && ok;
        else
            ok = CopyOne(from + L"\\" + name, to + L"\\" + name) && ok;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3)
        return 2;
    return CopyTree(argv[1], argv[2]) ? 0 : 1;
}
