#include "platform/shell_entries_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/text_win.h"

namespace {

constexpr wchar_t kShell[] = L"DesktopBackground\\Shell";
constexpr wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t kTool[] = u"C:\\Program Files (x86)\\Maker\\Product\\Touch Tool.exe";

std::wstring Sub(const wchar_t* parent, const std::u16string& name) {
    return std::wstring(parent) + L"\\" + ToWide(name);
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A REG_SZ value as stored: the text before its terminator, and whether the
// data held exactly the text and one terminator. Absent when missing or not
// REG_SZ.
struct StoredText {
    std::u16string Text;
    bool Terminated = false;
};

std::optional<StoredText> ReadText(HKEY root, const std::wstring& path, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::vector<wchar_t> data;
    LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        data.resize(size / 2 + 1);
        status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    size_t units = size / 2;
    StoredText stored;
    stored.Terminated = units >= 1 && data[units - 1] == L'\0';
    stored.Text = FromWide(std::wstring_view(data.data(), stored.Terminated ? units - 1 : units));
    return stored;
}

// The text of a value when it is stored as REG_SZ with its terminator.
std::optional<std::u16string> TerminatedText(HKEY root, const std::wstring& path, const wchar_t* name) {
    std::optional<StoredText> stored = ReadText(root, path, name);
    if (!stored || !stored->Terminated)
        return std::nullopt;
    return stored->Text;
}

// A REG_DWORD value; none for a missing value or another type.
std::optional<DWORD> Dword(HKEY root, const std::wstring& path, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS || type != REG_DWORD)
        return std::nullopt;
    return value;
}

void SetText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * 2));
    RegCloseKey(key);
}

class ShellEntriesTest : public ::testing::Test {
  protected:
    // Every entry a test may leave behind; each test starts without them.
    void SetUp() override { CleanUp(); }
    void TearDown() override { CleanUp(); }

    static void CleanUp() {
        for (const char16_t* name : {u"Touch Tool", u"Other Tool", u"Touch Panel 2.1", u"Touch Panel 2"})
            RegDeleteTreeW(HKEY_CLASSES_ROOT, Sub(kShell, name).c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, Sub(kUninstall, u"Product").c_str());
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            HKEY run = nullptr;
            if (RegOpenKeyExW(root, kRun, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
                for (const wchar_t* name : {L"Tray", L"Keeper", L"Tray -h"})
                    RegDeleteValueW(run, name);
                RegCloseKey(run);
            }
        }
    }

    static std::optional<std::u16string> RunValue(const wchar_t* name) {
        return TerminatedText(HKEY_CURRENT_USER, kRun, name);
    }
};

// "Icon" holds the plain path, "Position" is "Bottom", the command is quoted.
TEST_F(ShellEntriesTest, AddDesktopMenuEntryWritesIconPositionAndQuotedCommand) {
    ASSERT_TRUE(AddDesktopMenuEntry(u"Touch Tool", kTool));

    std::wstring entry = Sub(kShell, u"Touch Tool");
    EXPECT_EQ(TerminatedText(HKEY_CLASSES_ROOT, entry, L"Icon"), std::optional<std::u16string>(kTool));
    EXPECT_EQ(TerminatedText(HKEY_CLASSES_ROOT, entry, L"Position"), std::optional<std::u16string>(u"Bottom"));
    EXPECT_EQ(TerminatedText(HKEY_CLASSES_ROOT, entry + L"\\command", nullptr),
              std::optional<std::u16string>(u"\"" + std::u16string(kTool) + u"\""));
}

// Adding an entry again replaces its command.
TEST_F(ShellEntriesTest, AddDesktopMenuEntryOverwritesExistingEntry) {
    ASSERT_TRUE(AddDesktopMenuEntry(u"Touch Tool", u"C:\\Old\\Tool.exe"));
    ASSERT_TRUE(AddDesktopMenuEntry(u"Touch Tool", kTool));

    EXPECT_EQ(TerminatedText(HKEY_CLASSES_ROOT, Sub(kShell, u"Touch Tool") + L"\\command", nullptr),
              std::optional<std::u16string>(u"\"" + std::u16string(kTool) + u"\""));
}

// Removal takes the entry and its command; the Shell key itself stays.
TEST_F(ShellEntriesTest, RemoveDesktopMenuEntryDeletesEntryAndCommandOnly) {
    ASSERT_TRUE(AddDesktopMenuEntry(u"Touch Tool", kTool));

    EXPECT_TRUE(RemoveDesktopMenuEntry(u"Touch Tool"));

    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Sub(kShell, u"Touch Tool") + L"\\command"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Sub(kShell, u"Touch Tool")));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kShell));
}

// Removing a name that is not there succeeds and leaves other entries alone.
TEST_F(ShellEntriesTest, RemoveDesktopMenuEntryOfMissingNameGivesTrue) {
    ASSERT_TRUE(AddDesktopMenuEntry(u"Other Tool", kTool));

    EXPECT_TRUE(RemoveDesktopMenuEntry(u"Touch Tool"));

    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, Sub(kShell, u"Other Tool") + L"\\command"));
}

// A name with a full stop is one key name, not a file name with an extension.
TEST_F(ShellEntriesTest, MenuEntryNameWithFullStopIsRemovedUnderFullName) {
    ASSERT_TRUE(AddDesktopMenuEntry(u"Touch Panel 2.1", kTool));
    ASSERT_TRUE(AddDesktopMenuEntry(u"Touch Panel 2", kTool));

    EXPECT_TRUE(RemoveDesktopMenuEntry(u"Touch Panel 2.1"));

    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Sub(kShell, u"Touch Panel 2.1")));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, Sub(kShell, u"Touch Panel 2")));
}

// An empty name or one with a backslash would act on the Shell key itself or
// below another entry: refused, and its removal touches nothing.
TEST_F(ShellEntriesTest, MenuEntryNamesThatAreNotKeyNamesAreRefused) {
    ASSERT_TRUE(AddDesktopMenuEntry(u"Other Tool", kTool));

    EXPECT_FALSE(AddDesktopMenuEntry(u"", kTool));
    EXPECT_FALSE(AddDesktopMenuEntry(u"Other Tool\\Nested", kTool));
    EXPECT_TRUE(RemoveDesktopMenuEntry(u""));
    EXPECT_TRUE(RemoveDesktopMenuEntry(u"Other Tool\\command"));

    EXPECT_FALSE(ReadText(HKEY_CLASSES_ROOT, kShell, L"Icon").has_value());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Sub(kShell, u"Other Tool\\Nested")));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, Sub(kShell, u"Other Tool") + L"\\command"));
}

// The four values, the uninstaller quoted where Windows runs it.
TEST_F(ShellEntriesTest, AddUninstallEntryWritesFourValues) {
    const std::u16string uninstaller = u"C:\\Program Files (x86)\\Maker\\Product\\Uninstall.exe";

    ASSERT_TRUE(AddUninstallEntry(u"Maker", u"Product", uninstaller));

    std::wstring key = Sub(kUninstall, u"Product");
    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, key, L"DisplayIcon"), std::optional<std::u16string>(uninstaller));
    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, key, L"DisplayName"), std::optional<std::u16string>(u"Product"));
    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, key, L"Publisher"), std::optional<std::u16string>(u"Maker"));
    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, key, L"UninstallString"),
              std::optional<std::u16string>(u"\"" + uninstaller + u"\""));
}

// The values deployment tools read: the quiet command runs the quoted
// uninstaller; size, NoModify and NoRepair are numbers.
TEST_F(ShellEntriesTest, AddUninstallEntryWithDetailsWritesWhatDeploymentToolsRead) {
    const std::u16string uninstaller = u"C:\\Program Files (x86)\\Maker\\Product\\Uninstall.exe";
    UninstallEntryDetails details{u"C:\\Program Files (x86)\\Maker\\Product", u"7.1.0", 12345, u"20240131"};

    ASSERT_TRUE(AddUninstallEntry(u"Maker", u"Product", uninstaller, details));

    std::wstring key = Sub(kUninstall, u"Product");
    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, key, L"UninstallString"),
              std::optional<std::u16string>(u"\"" + uninstaller + u"\""));
    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, key, L"QuietUninstallString"),
              std::optional<std::u16string>(u"\"" + uninstaller + u"\" /quiet"));
    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, key, L"InstallLocation"),
              std::optional<std::u16string>(details.InstallLocation));
    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, key, L"DisplayVersion"), std::optional<std::u16string>(u"7.1.0"));
    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, key, L"InstallDate"), std::optional<std::u16string>(u"20240131"));
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, key, L"EstimatedSize"), std::optional<DWORD>(12345));
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, key, L"NoModify"), std::optional<DWORD>(1));
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, key, L"NoRepair"), std::optional<DWORD>(1));
}

// An existing entry gets the new four values and keeps its other values.
TEST_F(ShellEntriesTest, AddUninstallEntryOverwritesValuesAndKeepsOthers) {
    std::wstring key = Sub(kUninstall, u"Product");
    SetText(HKEY_LOCAL_MACHINE, key, L"Publisher", L"Old Maker");
    SetText(HKEY_LOCAL_MACHINE, key, L"DisplayVersion", L"6.0");

    ASSERT_TRUE(AddUninstallEntry(u"Maker", u"Product", u"C:\\P\\Uninstall.exe"));

    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, key, L"Publisher"), std::optional<std::u16string>(u"Maker"));
    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, key, L"DisplayVersion"), std::optional<std::u16string>(u"6.0"));
}

// The entry goes; a second removal is harmless and the Uninstall key stays.
TEST_F(ShellEntriesTest, RemoveUninstallEntryDeletesKeyAndCanRunAgain) {
    ASSERT_TRUE(AddUninstallEntry(u"Maker", u"Product", u"C:\\P\\Uninstall.exe"));

    RemoveUninstallEntry(u"Product");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Sub(kUninstall, u"Product")));
    RemoveUninstallEntry(u"Product");

    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall));
}

// The value is named after the program; its data is the quoted path and " -h".
TEST_F(ShellEntriesTest, AddRunEntryNamesValueAfterProgramAndQuotesPath) {
    const std::u16string tray = u"C:\\Program Files\\Maker\\Product\\Tray.exe";

    ASSERT_TRUE(AddRunEntry(tray));

    EXPECT_EQ(RunValue(L"Tray"), std::optional<std::u16string>(u"\"" + tray + u"\" -h"));
}

// Programs of one name in two folders share the value; the later one wins.
TEST_F(ShellEntriesTest, AddRunEntryOfSameProgramNameKeepsLaterPath) {
    ASSERT_TRUE(AddRunEntry(u"C:\\First\\Tray.exe"));
    ASSERT_TRUE(AddRunEntry(u"C:\\Second\\Tray.exe"));

    EXPECT_EQ(RunValue(L"Tray"), std::optional<std::u16string>(u"\"C:\\Second\\Tray.exe\" -h"));
}

// The recorded command line removes its value and no other.
TEST_F(ShellEntriesTest, RemoveRunEntryOfRecordedCommandLineDeletesValue) {
    const std::u16string tray = u"C:\\Program Files\\Maker\\Product\\Tray.exe";
    ASSERT_TRUE(AddRunEntry(tray));
    ASSERT_TRUE(AddRunEntry(u"C:\\Elsewhere\\Keeper.exe"));

    RemoveRunEntry(RunEntryCommandLine(tray));

    EXPECT_FALSE(ReadText(HKEY_CURRENT_USER, kRun, L"Tray").has_value());
    EXPECT_TRUE(RunValue(L"Keeper").has_value());
}

// For all users the value goes to HKLM's Run key alone, is read back and
// removed there, and a current user's value of the same name stays.
TEST_F(ShellEntriesTest, AllUsersRunEntryLivesInTheMachineRunKey) {
    const std::u16string tray = u"C:\\Program Files\\Maker\\Product\\Tray.exe";
    ASSERT_TRUE(AddRunEntry(tray, RunScope::AllUsers));

    const std::u16string data = u"\"" + tray + u"\" -h";
    EXPECT_EQ(TerminatedText(HKEY_LOCAL_MACHINE, kRun, L"Tray"), std::optional<std::u16string>(data));
    EXPECT_FALSE(RunValue(L"Tray").has_value());
    EXPECT_EQ(RunEntryData(RunEntryCommandLine(tray), RunScope::AllUsers), std::optional<std::u16string>(data));
    ASSERT_TRUE(AddRunEntry(tray));
    RemoveRunEntry(RunEntryCommandLine(tray), RunScope::AllUsers);
    EXPECT_FALSE(ReadText(HKEY_LOCAL_MACHINE, kRun, L"Tray").has_value());
    EXPECT_TRUE(RunValue(L"Tray").has_value());
}

// A machine whose HKLM has no Run key yet (HKLM redirected to an empty
// scratch key here) gets the key with the value, not a silent nothing.
TEST_F(ShellEntriesTest, AllUsersRunEntryCreatesAMissingRunKey) {
    constexpr wchar_t kScratch[] = L"Software\\ShellEntriesTestMachine";
    HKEY scratch = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, scratch), ERROR_SUCCESS);
    const bool added = AddRunEntry(u"C:\\Maker\\Tray.exe", RunScope::AllUsers);
    const std::optional<std::u16string> data = TerminatedText(HKEY_LOCAL_MACHINE, kRun, L"Tray");
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(scratch);
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    EXPECT_TRUE(added);
    EXPECT_EQ(data, std::optional<std::u16string>(u"\"C:\\Maker\\Tray.exe\" -h"));
}

// A program without an extension is still found again by its command line.
TEST_F(ShellEntriesTest, RunEntryOfProgramWithoutExtensionIsRemovedByCommandLine) {
    const std::u16string tray = u"C:\\Maker\\Tray";
    ASSERT_TRUE(AddRunEntry(tray));

    RemoveRunEntry(RunEntryCommandLine(tray));

    EXPECT_FALSE(ReadText(HKEY_CURRENT_USER, kRun, L"Tray -h").has_value());
    EXPECT_FALSE(ReadText(HKEY_CURRENT_USER, kRun, L"Tray").has_value());
}

}  // namespace
