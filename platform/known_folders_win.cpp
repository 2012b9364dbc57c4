#include "platform/known_folders_win.h"

#include <windows.h>

#include <shlobj.h>

#include "platform/file_ops_win.h"

std::u16string ProgramFilesFolder() {
    return ShellFolder(CSIDL_PROGRAM_FILES, true).value_or(std::u16string());
}
