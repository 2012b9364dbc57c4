#include "platform/known_folders_win.h"

#include <windows.h>

#include <shlobj.h>

#include "platform/text_win.h"

std::u16string ProgramFilesFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_PROGRAM_FILES, TRUE))
        return {};
    folder[MAX_PATH - 1] = L'\0';
    return FromWide(folder);
}
