#include "platform/log_folder_win.h"

#include <windows.h>

#include "platform/folder_security_win.h"
#include "platform/path_names.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

std::optional<std::u16string> ProgramData() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableW(L"ProgramData", buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return std::nullopt;
    return FromWide(buffer);
}

bool IsTrustedFolder(const std::u16string& folder) {
    const FolderMaking making = MakeOrJudgeAdministratorsOnlyFolder(folder);
    return making.Made || (making.Taken && making.Verdict == FolderVerdict::Trusted);
}

}  // namespace

bool ProcessIsElevated() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return false;
    UniqueKernelHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated;
}

std::optional<std::u16string> AdministratorsLogFolder(std::u16string_view company) {
    std::optional<std::u16string> base = ProgramData();
    std::optional<std::u16string> companyFolder = base ? JoinPath(*base, company) : std::nullopt;
    std::optional<std::u16string> logs = companyFolder ? JoinPath(*companyFolder, u"Logs") : std::nullopt;
    if (!ProcessIsElevated() || !logs || !IsTrustedFolder(*companyFolder) || !IsTrustedFolder(*logs))
        return std::nullopt;
    return logs;
}
