#include <windows.h>

#include <aclapi.h>

#include <mutex>

#include "platform/folder_security_win.h"
#include "platform/run_log.h"
#include "platform/text.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

// The process's log; guarded because the window's thread and the workers
// write to it.
std::mutex g_mutex;
UniqueFile g_file;
// Set when a log was refused at its name and written elsewhere.
std::u16string g_note;
std::u16string g_pathInUse;
LogFailure g_firstFailure;

LogTime Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace

namespace {

// Opens or creates the file at `path` itself, never what a reparse point
// there leads to. `existed`: the name was taken before.
UniqueFile OpenLogName(const std::u16string& path, DWORD access, DWORD disposition, bool* existed) {
    // Others may read the log while the run goes on, never write it.
    UniqueFile file(CreateFileW(WidePtr(path), access | FILE_READ_DATA | READ_CONTROL | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    *existed = file && GetLastError() == ERROR_ALREADY_EXISTS;
    return file;
}

bool IsOwnUser(PSID sid) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return false;
    UniqueKernelHandle token(raw);
    alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
    DWORD size = 0;
    return GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size) &&
           EqualSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, sid);
}

bool OwnerIsTrusted(HANDLE file) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    const bool trusted = PrincipalOfSid(owner) == Principal::Administrative || IsOwnUser(owner);
    LocalFree(descriptor);
    return trusted;
}

// Read from the start, as just opened.
bool BeginsAsRunLog(HANDLE file) {
    char head[kRunLogStartBytes] = {};
    DWORD read = 0;
    return ReadFile(file, head, sizeof head, &read, nullptr) && IsRunLogStart(std::string_view(head, read));
}

// Wine 8 reports a Unix symbolic link as a reparse point only by name.
LogFileFacts FactsOf(HANDLE file, const std::u16string& path) {
    LogFileFacts facts;
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD byName = GetFileAttributesW(WidePtr(path));
    if (!GetFileInformationByHandle(file, &info))
        return {true, 0, false};
    facts.ReparsePoint = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
                         (byName != INVALID_FILE_ATTRIBUTES && (byName & FILE_ATTRIBUTE_REPARSE_POINT));
    facts.Links = info.nNumberOfLinks;
    facts.OwnerTrusted = OwnerIsTrusted(file);
    facts.BeginsAsRunLog = BeginsAsRunLog(file);
    return facts;
}

bool TruncateToEmpty(HANDLE file) {
    LARGE_INTEGER start{};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

void TellStandardError(const std::u16string& text) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (!error || error == INVALID_HANDLE_VALUE)
        return;
    const std::string bytes = Utf16ToUtf8(text + u"\r\n");
    DWORD written = 0;
    WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The log file for `path`: the file at that name when it is new or may take
// the log, else a new file of a fresh name beside it, which `used` names.
UniqueFile OpenCheckedLog(const std::u16string& path, DWORD access, bool truncate, std::u16string* used) {
    bool existed = false;
    *used = path;
    UniqueFile file = OpenLogName(path, access, OPEN_ALWAYS, &existed);
    if (!file || !existed || MayWriteLogThrough(FactsOf(file.Get(), path), SystemEnforcesPermissions())) {
        if (file && truncate)
            TruncateToEmpty(file.Get());
        else if (file)
            SetFilePointerEx(file.Get(), LARGE_INTEGER{}, nullptr, FILE_END);  // past what the check read
        return file;
    }
    file.Reset();
    *used = FreshLogName(path, GetCurrentProcessId());
    return OpenLogName(*used, access, CREATE_NEW, &existed);
}

bool OpenLog(const std::u16string& path, DWORD access, bool truncate) {
    std::u16string used;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_file = OpenCheckedLog(path, access, truncate, &used);
        if (!g_file)
            return false;
        g_pathInUse = used;
        if (used == path)
            return true;
        g_note = u"log written to " + used + u": " + path +
                 u" was refused, a link, a file of several names, not an administrator's or not a log";
    }
    TellStandardError(g_note);
    WriteLogLine("error", g_note);
    return true;
}

}  // namespace

bool OpenRunLog(const std::u16string& path) {
    return OpenLog(path, GENERIC_WRITE, true);
}

bool AppendToRunLog(const std::u16string& path) {
    return OpenLog(path, FILE_APPEND_DATA, false);
}

std::u16string RunLogNote() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_note;
}

std::u16string RunLogPathInUse() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_pathInUse;
}

void CloseRunLog() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_file.Reset();
}

bool IsRunLogOpen() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return static_cast<bool>(g_file);
}

namespace {

void NoteFailure(std::string_view kind, std::u16string_view text, uint32_t error) {
    if (g_firstFailure.Found)
        return;
    g_firstFailure = {true, error, Utf8ToUtf16(kind) + u" " + std::u16string(text)};
}

void WriteLine(std::string_view kind, std::u16string_view text, bool failure, uint32_t error) {
    const DWORD lastError = GetLastError();  // logging never disturbs the caller's error
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (failure)
            NoteFailure(kind, text, error);
        if (g_file) {
            const std::string line = FormatLogLine(Now(), kind, text);
            DWORD written = 0;
            // One write per line, straight to the system: a killed process
            // loses nothing it has logged.
            WriteFile(g_file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        }
    }
    SetLastError(lastError);
}

}  // namespace

void WriteLogLine(std::string_view kind, std::u16string_view text) {
    WriteLine(kind, text, kind == "error", 0);
}

void WriteLogResult(std::string_view kind,
                    std::string_view what,
                    bool ok,
                    uint32_t error,
                    std::u16string_view subject) {
    const bool failure = !ok && kind != "rollback";
    if (failure || IsRunLogOpen())
        WriteLine(kind, ResultText(what, ok, error, subject), failure, error);
}

LogFailure FirstLogFailure() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_firstFailure;
}
