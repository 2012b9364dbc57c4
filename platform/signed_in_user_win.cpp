#include "platform/signed_in_user_win.h"

#include <vector>

#include "platform/account_sid.h"

namespace {

UniqueKernelHandle OwnToken() {
    HANDLE opened = nullptr;
    return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened) ? UniqueKernelHandle(opened)
                                                                       : UniqueKernelHandle();
}

}  // namespace

bool IsElevatedToken(HANDLE token) {
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    return token && GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated != 0;
}

bool IsElevatedProcess() {
    UniqueKernelHandle token = OwnToken();
    return token && IsElevatedToken(token.Get());
}

bool RunsAsLocalSystem() {
    UniqueKernelHandle token = OwnToken();
    DWORD size = 0;
    if (!token)
        return false;
    // The first call only asks for the size; TOKEN_USER points into its own buffer.
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<uint8_t> buffer(size);
    if (size < sizeof(TOKEN_USER) || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
        return false;
    PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
    return IsValidSid(sid) && IsLocalSystemSid(static_cast<const uint8_t*>(sid), GetLengthSid(sid));
}

UniqueKernelHandle SignedInUserToken() {
    DWORD processId = 0;
    if (HWND shell = GetShellWindow())
        GetWindowThreadProcessId(shell, &processId);
    if (processId == 0) {
        SetLastError(ERROR_NOT_FOUND);
        return {};
    }
    UniqueProcess process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    HANDLE shellToken = nullptr;
    if (!process || !OpenProcessToken(process.Get(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &shellToken))
        return {};
    UniqueKernelHandle opened(shellToken);
    HANDLE primary = nullptr;
    if (!DuplicateTokenEx(opened.Get(), MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &primary))
        return {};
    return UniqueKernelHandle(primary);
}

bool StartProcessWithToken(HANDLE token, const CommandLine& command) {
    std::optional<std::wstring> line = QuotedCommandLine(command);
    if (!line)
        return false;
    std::optional<std::wstring> folder = WorkingDirectoryOf(command.Program);
    STARTUPINFOW startup = HiddenStartup();
    PROCESS_INFORMATION info = {};
    // No environment block: the new process gets the one built from the
    // token's user profile, not this elevated process's.
    if (!CreateProcessWithTokenW(token, 0, nullptr, line->data(), CREATE_NEW_CONSOLE, nullptr,
                                 folder ? folder->c_str() : nullptr, &startup, &info))
        return false;
    UniqueProcess process(info.hProcess);
    UniqueThread thread(info.hThread);
    return true;
}
