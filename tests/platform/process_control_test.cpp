// Process control under Wine: batch files run through RunProcess in folders
// whose paths have blanks, and copies of TestWindow.exe ended through
// TerminateProcessesByPath. Results are checked through what the programs
// leave behind (files, logs of the messages they received, exit codes) and
// through the process list.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process_control_win.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"
#include "tests/support/test_files_win.h"
#include "tests/support/test_timing_win.h"

namespace {

using test_timing::Elapsed;
using test_timing::WaitFor;

const std::wstring kBatchFolder = L"C:\\Test Batches\\Run Here";
const std::wstring kAppFolder = L"C:\\Test Apps";

// Waits short enough for tests, long enough for a cooperative program.
const TerminateWaits kShortWaits = {3000, 5000};

// Sleeps for about 30 s: ping waits a second between its echoes.
const char kSleepLine[] = "ping -n 30 127.0.0.1 >nul\r\n";

// Identifiers of the running processes this process started.
std::vector<DWORD> ChildProcesses() {
    std::vector<DWORD> children;
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        if (entry.th32ParentProcessID == GetCurrentProcessId())
            children.push_back(entry.th32ProcessID);
    return children;
}

// Identifiers of the running processes whose image name is `imageName`.
std::vector<DWORD> ProcessesNamed(const std::wstring& imageName) {
    std::vector<DWORD> found;
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        if (imageName == entry.szExeFile)
            found.push_back(entry.th32ProcessID);
    return found;
}

struct WindowSearch {
    DWORD Pid;
    int Count;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t windowClass[64] = {};
    GetClassNameW(window, windowClass, 64);
    search->Count += owner == search->Pid && std::wstring(windowClass) == L"TestWindowClass";
    return TRUE;
}

// Top-level windows that TestWindow.exe of process `pid` made itself (the
// system may add windows of its own, such as an input-method window).
int CountWindowsOf(DWORD pid) {
    WindowSearch search = {pid, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&search));
    return search.Count;
}

DWORD ExitCodeOf(HANDLE process) {
    DWORD code = 12345;
    GetExitCodeProcess(process, &code);
    return code;
}

bool IsRunning(HANDLE process) {
    return WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

class ProcessControlTest : public ::testing::Test {
  protected:
    // Writes `text` as the batch file `name` in kBatchFolder; its path.
    std::u16string WriteBatch(const std::wstring& name, const std::string& text) {
        test_files::CreateFolders(kBatchFolder);
        std::wstring path = kBatchFolder + L"\\" + name;
        EXPECT_TRUE(test_files::WriteTextFile(path, "@echo off\r\n" + text));
        return FromWide(path);
    }

    // Copies TestWindow.exe to `path`, starts it with `arguments` and waits
    // until its `windows` windows exist. The handle of the running program.
    HANDLE StartWindowProgram(const std::wstring& path, int windows, const std::wstring& arguments = L"") {
        EXPECT_TRUE(test_files::CopyHelperProgram(L"TestWindow.exe", path));
        DeleteFileW((path.substr(0, path.size() - 4) + L".log").c_str());
        std::wstring line = L"\"" + path + L"\" --windows " + std::to_wstring(windows) + L" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        EXPECT_TRUE(
            CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
        CloseHandle(info.hThread);
        started_.emplace_back(info.hProcess);
        EXPECT_TRUE(WaitFor([&] { return CountWindowsOf(info.dwProcessId) == windows; }, 30000));
        return info.hProcess;
    }

    // Ends whatever a test left running: the window programs, every child a
    // batch left behind and the tools batches started.
    void TearDown() override {
        for (DWORD pid : ProcessesNamed(L"HungTool.exe")) {
            UniqueProcess tool(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
            TerminateProcess(tool.Get(), 0);
        }
        for (UniqueProcess& process : started_)
            TerminateProcess(process.Get(), 0);
        for (DWORD pid : ChildProcesses()) {
            UniqueProcess child(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
            TerminateProcess(child.Get(), 0);
        }
    }

  private:
    std::vector<UniqueProcess> started_;
};

// The log of a TestWindow.exe copy at `exePath`.
std::string WindowLog(const std::wstring& exePath) {
    return test_files::ReadTextFile(exePath.substr(0, exePath.size() - 4) + L".log");
}

// Whether the log shows window `index` receiving WM_CLOSE and, after it,
// WM_DESTROY.
bool ReceivedCloseThenDestroy(const std::string& log, int index) {
    std::string window = std::to_string(index);
    size_t close = log.find(window + " close\r\n");
    size_t destroy = log.find(window + " destroy\r\n");
    return close != std::string::npos && destroy != std::string::npos && close < destroy;
}

// A batch that ends gives true; it ran in its own folder and got the
// arguments. A program at a shorter prefix of its path with blanks
// (C:\Test Batches\Run.exe) is not started instead.
TEST_F(ProcessControlTest, RunsBatchInItsFolderWithArguments) {
    std::u16string batch = WriteBatch(L"ends.bat", "cd > where.txt\r\necho %1 %2> args.txt\r\n");
    ASSERT_TRUE(test_files::CopyHelperProgram(L"TestWindow.exe", L"C:\\Test Batches\\Run.exe"));
    EXPECT_TRUE(RunProcess({batch, u"first second"}, 20000));
    EXPECT_EQ("C:\\Test Batches\\Run Here\r\n", test_files::ReadTextFile(kBatchFolder + L"\\where.txt"));
    EXPECT_EQ("first second\r\n", test_files::ReadTextFile(kBatchFolder + L"\\args.txt"));
}

// The exit code of what ran is not examined.
TEST_F(ProcessControlTest, FailingBatchStillGivesTrue) {
    EXPECT_TRUE(RunProcess({WriteBatch(L"fails.bat", "exit /b 3\r\n"), u""}, 20000));
}

// A batch that outlives its limit is ended at the limit and gives false.
TEST_F(ProcessControlTest, EndsBatchThatOutlivesItsLimit) {
    std::u16string batch = WriteBatch(L"sleeps.bat", kSleepLine);
    bool ended = true;
    DWORD elapsed = Elapsed([&] { ended = RunProcess({batch, u""}, 1000); });
    EXPECT_FALSE(ended);
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LT(elapsed, 10000u);
    EXPECT_TRUE(WaitFor([] { return ChildProcesses().empty(); }, 3000));
}

// A batch whose tool hangs (cmd, start and the tool below it) loses its whole
// tree at the limit, so the tool's files are free for what follows.
TEST_F(ProcessControlTest, EndsWholeTreeOfBatchThatOutlivesItsLimit) {
    ASSERT_TRUE(test_files::CopyHelperProgram(L"TestWindow.exe", kBatchFolder + L"\\HungTool.exe"));
    std::u16string batch = WriteBatch(L"hangs.bat", "start \"\" /wait \"%~dp0HungTool.exe\" --ignore-close\r\n");
    EXPECT_FALSE(RunProcess({batch, u""}, 3000));
    EXPECT_TRUE(WaitFor([] { return ProcessesNamed(L"HungTool.exe").empty(); }, 5000));
}

// What a batch that ended in time started is left running.
TEST_F(ProcessControlTest, LeavesWhatABatchThatEndedInTimeStarted) {
    ASSERT_TRUE(test_files::CopyHelperProgram(L"TestWindow.exe", kBatchFolder + L"\\HungTool.exe"));
    std::u16string batch = WriteBatch(L"detaches.bat", "start \"\" \"%~dp0HungTool.exe\" --ignore-close\r\n");
    ASSERT_TRUE(RunProcess({batch, u""}, 20000));
    EXPECT_TRUE(WaitFor([] { return !ProcessesNamed(L"HungTool.exe").empty(); }, 5000));
    Sleep(500);
    EXPECT_FALSE(ProcessesNamed(L"HungTool.exe").empty());
}

// With limit 0 the result comes as soon as the process exists, while it
// goes on running.
TEST_F(ProcessControlTest, LimitZeroReturnsWithoutWaiting) {
    std::u16string batch = WriteBatch(L"starts.bat", std::string("echo started> started.txt\r\n") + kSleepLine);
    bool started = false;
    DWORD elapsed = Elapsed([&] { started = RunProcess({batch, u""}, 0); });
    EXPECT_TRUE(started);
    EXPECT_LT(elapsed, 5000u);
    EXPECT_TRUE(WaitFor([] { return test_files::FileExists(kBatchFolder + L"\\started.txt"); }, 30000));
    EXPECT_FALSE(ChildProcesses().empty());
}

// A program that does not exist gives false, keeps the reason and leaves no
// handle open.
TEST_F(ProcessControlTest, MissingProgramGivesFalseWithoutLeakingHandles) {
    test_files::CreateFolders(kBatchFolder);
    DWORD handlesBefore = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    EXPECT_FALSE(RunProcess({FromWide(kBatchFolder) + u"\\missing.exe", u""}, 1000));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_EQ(handlesBefore, handlesAfter);
}

// A command line that cannot be formed unchanged is refused and nothing runs.
TEST_F(ProcessControlTest, RefusesCommandThatCannotBeFormedUnchanged) {
    std::u16string batch = WriteBatch(L"marks.bat", "echo ran> ran.txt\r\n");
    EXPECT_FALSE(RunProcess({batch, std::u16string(kMaxCommandLineUnits, u'a')}, 1000));
    EXPECT_FALSE(RunProcess({u"\"" + batch + u"\"", u""}, 1000));
    EXPECT_FALSE(test_files::FileExists(kBatchFolder + L"\\ran.txt"));
}

// The image path is read with only the limited query right, which is all a
// 32-bit process gets to read of a 64-bit one's path.
TEST_F(ProcessControlTest, ReadsImagePathWithLimitedQueryRightOnly) {
    const std::wstring path = kAppFolder + L"\\Limited Dir\\Panel.exe";
    HANDLE program = StartWindowProgram(path, 1);
    UniqueProcess limited(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, GetProcessId(program)));
    ASSERT_TRUE(limited);
    EXPECT_EQ(std::optional<std::u16string>(FromWide(path)), ProcessImagePath(limited.Get()));
}

// A process whose module list cannot be read yet (started suspended, its
// loader has not run) is still found by its path and ended.
TEST_F(ProcessControlTest, EndsProgramWhoseModuleListCannotBeRead) {
    const std::wstring path = kAppFolder + L"\\Suspended\\Panel.exe";
    ASSERT_TRUE(test_files::CopyHelperProgram(L"TestWindow.exe", path));
    std::wstring line = L"\"" + path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &info));
    UniqueThread thread(info.hThread);
    UniqueProcess program(info.hProcess);
    TerminateProcessesByPath(FromWide(path), {500, 5000});
    EXPECT_FALSE(IsRunning(program.Get()));
    TerminateProcess(program.Get(), 0);
}

// A program that closes when asked is not terminated: it ends with its own
// exit code after each of its windows was asked to close.
TEST_F(ProcessControlTest, ClosesCooperativeProgramThroughEachOfItsWindows) {
    const std::wstring path = kAppFolder + L"\\Panel Dir\\Panel.exe";
    HANDLE program = StartWindowProgram(path, 2);
    EXPECT_TRUE(TerminateProcessesByPath(FromWide(path), kShortWaits));
    ASSERT_FALSE(IsRunning(program));
    EXPECT_EQ(7u, ExitCodeOf(program));
    // A window destroyed on WM_CLOSE loses the WM_DESTROY still queued for
    // it, so only the close requests are seen here.
    std::string log = WindowLog(path);
    EXPECT_NE(std::string::npos, log.find("0 close\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("1 close\r\n")) << log;
}

// A program that ignores the request is terminated (exit code 0) once the
// first wait has run out; each of its windows got WM_CLOSE and then
// WM_DESTROY.
TEST_F(ProcessControlTest, TerminatesProgramThatIgnoresClose) {
    const std::wstring path = kAppFolder + L"\\Stubborn\\Panel.exe";
    HANDLE program = StartWindowProgram(path, 2, L"--ignore-close");
    DWORD elapsed = Elapsed([&] { TerminateProcessesByPath(FromWide(path), {500, 5000}); });
    ASSERT_FALSE(IsRunning(program));
    EXPECT_EQ(0u, ExitCodeOf(program));
    EXPECT_GE(elapsed, 500u);
    std::string log = WindowLog(path);
    EXPECT_TRUE(ReceivedCloseThenDestroy(log, 0)) << log;
    EXPECT_TRUE(ReceivedCloseThenDestroy(log, 1)) << log;
}

// A program of the same image name running from another folder is left
// alone, its windows untouched.
TEST_F(ProcessControlTest, SparesSameNamedProgramInAnotherFolder) {
    const std::wstring target = kAppFolder + L"\\Target\\Panel.exe";
    const std::wstring other = kAppFolder + L"\\Other\\Panel.exe";
    HANDLE targetProgram = StartWindowProgram(target, 1);
    HANDLE otherProgram = StartWindowProgram(other, 1);
    TerminateProcessesByPath(FromWide(target), kShortWaits);
    EXPECT_FALSE(IsRunning(targetProgram));
    EXPECT_TRUE(IsRunning(otherProgram));
    EXPECT_EQ("", WindowLog(other));
}

// Names and paths are compared with case mattering: a running PANEL.EXE is
// not Panel.exe, nor is it reached through a differently cased folder.
TEST_F(ProcessControlTest, ComparesImageNameAndPathWithCase) {
    const std::wstring path = kAppFolder + L"\\Cased\\PANEL.EXE";
    HANDLE program = StartWindowProgram(path, 1);
    TerminateProcessesByPath(FromWide(kAppFolder) + u"\\Cased\\Panel.exe", kShortWaits);
    TerminateProcessesByPath(FromWide(kAppFolder) + u"\\CASED\\PANEL.EXE", kShortWaits);
    EXPECT_TRUE(IsRunning(program));
    EXPECT_EQ("", WindowLog(path));
    TerminateProcessesByPath(FromWide(path), kShortWaits);
    EXPECT_FALSE(IsRunning(program));
}

bool DebugPrivilegeEnabled() {
    HANDLE raw = nullptr;
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw));
    UniqueKernelHandle token(raw);
    LUID debug = {};
    EXPECT_TRUE(LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &debug));
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    EXPECT_TRUE(GetTokenInformation(token.Get(), TokenPrivileges, buffer.data(), size, &size));
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
        if (p.Luid.LowPart == debug.LowPart && p.Luid.HighPart == debug.HighPart)
            return (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    return false;
}

void DisableDebugPrivilege() {
    HANDLE raw = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &raw));
    UniqueKernelHandle token(raw);
    TOKEN_PRIVILEGES privileges = {1, {{{}, 0}}};
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &privileges.Privileges[0].Luid));
    ASSERT_TRUE(AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr));
}

// The token holds SeDebugPrivilege enabled afterwards.
TEST_F(ProcessControlTest, EnablesDebugPrivilegeInToken) {
    DisableDebugPrivilege();
    ASSERT_FALSE(DebugPrivilegeEnabled());
    EnableDebugPrivilege();
    EXPECT_TRUE(DebugPrivilegeEnabled());
}

}  // namespace
