#include "platform/base_folder_text_win.h"

#include <windows.h>

#include "platform/known_folders_win.h"
#include "platform/text_win.h"

namespace {

std::u16string FullPathOf(const std::u16string& text) {
    wchar_t full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameW(WidePtr(text), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return std::u16string();
    return FromWide(std::wstring_view(full, length));
}

// Only "X:\" roots are asked: anything else is refused before the drive
// counts.
bool IsOnLocalFixedDrive(const std::u16string& fullPath) {
    if (fullPath.size() < 3 || fullPath[1] != u':' || fullPath[2] != u'\\')
        return false;
    const std::u16string root = fullPath.substr(0, 3);
    return GetDriveTypeW(WidePtr(root)) == DRIVE_FIXED;
}

}  // namespace

FolderTextFacts BaseFolderTextFacts(const std::u16string& text) {
    FolderTextFacts facts;
    facts.FullPath = FullPathOf(text);
    facts.OnLocalFixedDrive = IsOnLocalFixedDrive(facts.FullPath);
    if (NeedsProgramFilesFact(facts.FullPath))
        facts.ProgramFiles = ProgramFilesFolder();
    return facts;
}

std::optional<std::u16string> JudgeBaseFolderText(const std::u16string& text) {
    return CanonicalBaseFolder(text, BaseFolderTextFacts(text));
}
