#include "ui/folder_picker_win.h"

#include <windows.h>

#include <shlobj.h>

#include "platform/text_win.h"

namespace {

// The picker's item belongs to the shell allocator.
void FreeShellItem(LPITEMIDLIST item) {
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        if (item)
            allocator->Free(item);
        allocator->Release();
    }
}

}  // namespace

std::optional<std::u16string> PickFolder() {
    // The picker is a shell object: it needs COM on this thread while it runs.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t path[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.pszDisplayName = path;
    info.lpszTitle = L"Select Folder";
    LPITEMIDLIST item = SHBrowseForFolderW(&info);
    std::optional<std::u16string> result;
    if (item) {
        path[0] = L'\0';
        SHGetPathFromIDListW(item, path);
        path[MAX_PATH - 1] = L'\0';
        if (path[0] != L'\0')
            result = FromWide(path);
    }
    FreeShellItem(item);
    if (SUCCEEDED(com))
        CoUninitialize();
    return result;
}
