#include "removal/uninstall_plausibility.h"

#include <gtest/gtest.h>

#include "records/key_record.h"

namespace {

constexpr char16_t kFolder[] = u"C:\\Program Files (x86)\\Zorvanelle\\ZorvanelleV7";

UninstallLog HeaderOnly(std::u16string base, std::u16string company, std::u16string product) {
    UninstallLog log;
    log.BaseFolder = std::move(base);
    log.Company = std::move(company);
    log.Product = std::move(product);
    return log;
}

UninstallLog ProductLog() {
    return HeaderOnly(u"C:\\Program Files (x86)", u"Zorvanelle", u"ZorvanelleV7");
}

RemovalPlaces ProductPlaces() {
    RemovalPlaces places;
    places.InstallFolder = kFolder;
    places.SystemFolder = u"C:\\windows\\system32";
    places.ShortcutFolders = {u"C:\\users\\a\\Start Menu\\Programs", u"C:\\users\\a\\Desktop"};
    return places;
}

ActionRecord ReplaceRecord(std::u16string_view copy, std::u16string_view target) {
    return ActionRecord{PendingReplaceRecord, 0, PendingReplaceRecordData(copy, target)};
}

ActionRecord TextRecord(uint8_t type, std::u16string_view text) {
    ActionRecordList list;
    AppendTextRecord(list, type, text);
    return list.Records.front();
}

ActionRecord KeyRecordOf(uint32_t root, std::u16string_view path) {
    std::vector<uint8_t> bytes = EncodeKeyRecord(root, path);
    ActionRecord record;
    record.Type = RegistryKeyRecord;
    record.Size = static_cast<uint32_t>(bytes.size());
    record.Data = bytes;
    return record;
}

class UninstallPlausibilityTest : public ::testing::Test {};

TEST_F(UninstallPlausibilityTest, HeaderMustNameTheFolderTheLogWasFoundIn) {
    struct Case {
        UninstallLog Log;
        std::u16string Folder;
        bool Accepted;
    } cases[] = {
        {ProductLog(), kFolder, true},
        {ProductLog(), u"c:\\PROGRAM FILES (X86)\\zorvanelle\\zorvanellev7", true},
        {ProductLog(), u"C:\\Users\\Public\\ZorvanelleV7", false},
        {ProductLog(), u"C:\\Program Files (x86)\\Zorvanelle", false},
        {HeaderOnly(u"C:", u"Zorvanelle", u"ZorvanelleV7"), u"C:\\Zorvanelle\\ZorvanelleV7", true},
        {HeaderOnly(u"C:\\Program Files (x86)\\Zorvanelle", u"..", u"ZorvanelleV7"),
         u"C:\\Program Files (x86)\\Zorvanelle\\..\\ZorvanelleV7", false},
        {HeaderOnly(u"C:\\Program Files (x86)", u"Zorvanelle\\ZorvanelleV7", u"x"),
         u"C:\\Program Files (x86)\\Zorvanelle\\ZorvanelleV7\\x", false},
        {HeaderOnly(u"", u"Zorvanelle", u"ZorvanelleV7"), u"\\Zorvanelle\\ZorvanelleV7", false},
        {HeaderOnly(u"C:\\Program Files (x86)", u"Zorvanelle", u""), u"C:\\Program Files (x86)\\Zorvanelle\\", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LogHeaderNamesFolder(c.Log, c.Folder), c.Accepted) << std::string(c.Folder.begin(), c.Folder.end());
}

TEST_F(UninstallPlausibilityTest, PathInsideNeedsPlainComponentsBelowTheFolder) {
    EXPECT_TRUE(IsPathInside(u"C:\\a\\b\\c.exe", u"C:\\a"));
    EXPECT_TRUE(IsPathInside(u"c:\\A\\b", u"C:\\a"));
    EXPECT_FALSE(IsPathInside(u"C:\\a", u"C:\\a"));
    EXPECT_FALSE(IsPathInside(u"C:\\a\\", u"C:\\a"));
    EXPECT_FALSE(IsPathInside(u"C:\\ab\\c", u"C:\\a"));
    EXPECT_FALSE(IsPathInside(u"C:\\a\\..\\windows\\x.dll", u"C:\\a"));
    EXPECT_FALSE(IsPathInside(u"C:\\a\\b\\\\c", u"C:\\a"));
    EXPECT_FALSE(IsPathInside(u"C:\\a\\b/../../x", u"C:\\a"));
    EXPECT_FALSE(IsPathInside(u"C:\\a\\b:stream", u"C:\\a"));
    EXPECT_FALSE(IsPathInside(u"C:\\a\\b", u""));
}

TEST_F(UninstallPlausibilityTest, RecordsAnInstallationWritesAreAccepted) {
    const std::u16string folder = kFolder;
    ActionRecord accepted[] = {
        TextRecord(FileRecord, folder + u"\\ZorvanelleServiceV7.exe"),
        TextRecord(FileRecord, folder + u"\\driver\\x64\\Install.bat"),
        TextRecord(DriverUninstallRecord, folder + u"\\driver\\x64\\Uninstall.bat"),
        TextRecord(ServiceRecord, folder + u"\\ZorvanelleServiceV7.exe"),
        TextRecord(SystemFileRecord, u"C:\\windows\\system32\\ZorvanelleClient.dll"),
        TextRecord(ProgramsShortcutRecord, u"C:\\users\\a\\Start Menu\\Programs\\Zorvanelle\\ZorvanelleV7\\Panel"),
        TextRecord(DirectoryRecord, u"C:\\users\\a\\Start Menu\\Programs\\Zorvanelle"),
        TextRecord(DesktopShortcutRecord, u"C:\\users\\a\\Desktop\\Zorvanelle Panel"),
        TextRecord(DesktopMenuRecord, u"Zorvanelle Panel"),
        TextRecord(UninstallEntryRecord, u"ZorvanelleV7"),
        TextRecord(RunEntryRecord, folder + u"\\ZorvanellePanelV7.exe -h"),
        TextRecord(MachineRunEntryRecord, folder + u"\\ZorvanellePanelV7.exe -h"),
        KeyRecordOf(kLocalMachineRootValue, u"SOFTWARE\\TrovalisServerV7"),
        ReplaceRecord(folder + u"\\driver\\~tv00A1.tmp", folder + u"\\driver\\Client.dll"),
        ReplaceRecord(u"C:\\windows\\system32\\~tv00A1.tmp", u"C:\\windows\\system32\\ZorvanelleClient.dll"),
    };
    for (const ActionRecord& record : accepted)
        EXPECT_TRUE(IsPlausibleRecord(record, ProductLog(), ProductPlaces())) << int(record.Type);
}

TEST_F(UninstallPlausibilityTest, RecordsReachingBeyondTheProductAreSkipped) {
    ActionRecord refused[] = {
        TextRecord(FileRecord, u"C:\\windows\\system32\\kernel32.dll"),
        TextRecord(FileRecord, std::u16string(kFolder) + u"\\..\\..\\boot.ini"),
        TextRecord(DriverUninstallRecord, u"C:\\Users\\Public\\evil.bat"),
        TextRecord(DriverUninstallRecord, u""),
        TextRecord(ServiceRecord, u"C:\\windows\\system32\\svchost.exe"),
        TextRecord(SystemFileRecord, u"C:\\windows\\system32\\drivers\\etc\\hosts"),
        TextRecord(SystemFileRecord, u"C:\\windows\\win.ini"),
        TextRecord(ProgramsShortcutRecord, u"C:\\users\\a\\Documents\\report"),
        TextRecord(DirectoryRecord, u"C:\\users\\a\\Start Menu\\Programs"),
        TextRecord(DesktopMenuRecord, u"..\\..\\Other"),
        TextRecord(UninstallEntryRecord, u"SomeOtherProduct"),
        TextRecord(RunEntryRecord, u"C:\\Program Files\\Other\\Other.exe -h"),
        TextRecord(RunEntryRecord, std::u16string(kFolder) + u"\\ZorvanellePanelV7.exe"),
        TextRecord(MachineRunEntryRecord, u"C:\\Program Files\\Other\\Other.exe -h"),
        KeyRecordOf(kLocalMachineRootValue, u"SOFTWARE\\Microsoft"),
        KeyRecordOf(0x80000001, u"SOFTWARE\\TrovalisServerV7"),
        TextRecord(ServiceStartedRecord, u"ZorvanelleServiceV7"),
        TextRecord(42, std::u16string(kFolder) + u"\\x"),
        // The undo deletes the copy: only a copy of the temporary name's
        // form, in the place of the file it replaces.
        ReplaceRecord(std::u16string(kFolder) + u"\\ZorvanelleServiceV7.exe", std::u16string(kFolder) + u"\\a.dll"),
        ReplaceRecord(u"C:\\windows\\system32\\~tv00A1.tmp", std::u16string(kFolder) + u"\\a.dll"),
        ReplaceRecord(u"C:\\windows\\~tv00A1.tmp", u"C:\\windows\\win.ini"),
        TextRecord(PendingReplaceRecord, std::u16string(kFolder) + u"\\~tv00A1.tmp"),
    };
    for (const ActionRecord& record : refused)
        EXPECT_FALSE(IsPlausibleRecord(record, ProductLog(), ProductPlaces())) << int(record.Type);
}

TEST_F(UninstallPlausibilityTest, UnresolvedPlacesAcceptNothingInsideThem) {
    RemovalPlaces places = ProductPlaces();
    places.SystemFolder.clear();
    places.ShortcutFolders.clear();
    EXPECT_FALSE(IsPlausibleRecord(TextRecord(SystemFileRecord, u"\\x.dll"), ProductLog(), places));
    EXPECT_FALSE(IsPlausibleRecord(TextRecord(DesktopShortcutRecord, u"\\Panel"), ProductLog(), places));
}

// What the machine holds under a product's name is matched against what the
// product writes there: its program, quoted or not, and nothing else.
TEST_F(UninstallPlausibilityTest, MachineTextsMatchOnlyTheProductsOwnProgram) {
    const std::u16string program = std::u16string(kFolder) + u"\\Svc.exe";
    EXPECT_TRUE(IsImagePathOf(u"\"" + program + u"\"", program));
    EXPECT_TRUE(IsImagePathOf(u"c:\\program files (x86)\\zorvanelle\\zorvanellev7\\svc.exe", program));
    EXPECT_FALSE(IsImagePathOf(u"\"" + program + u"\" -k", program));
    EXPECT_FALSE(IsImagePathOf(u"C:\\windows\\system32\\svchost.exe -k netsvcs", u"C:\\Base\\wuauserv.exe"));
    EXPECT_FALSE(IsImagePathOf(u"", u""));

    const std::u16string command = program + u" -h";
    EXPECT_TRUE(IsRecordedRunData(u"\"" + program + u"\" -h", command));
    EXPECT_TRUE(IsRecordedRunData(command, command));
    EXPECT_FALSE(IsRecordedRunData(u"\"C:\\Other\\Svc.exe\" -h", command));
    EXPECT_FALSE(IsRecordedRunData(u"\"" + program + u"\"", command));

    struct Case {
        std::u16string Command;
        std::optional<std::u16string> Program;
    } cases[] = {
        {u"\"" + program + u"\"", program},
        {u"\"" + program + u"\" %1", program},
        {u"C:\\Program Files\\x.exe", u"C:\\Program"},
        {u"\"" + program, std::nullopt},
        {u"\"C:\\a\"b.exe", std::nullopt},
        {u"", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CommandProgram(c.Command), c.Program) << std::string(c.Command.begin(), c.Command.end());
}

// A menu entry is the product's when its command starts a program inside the
// install folder, quoted as this installer writes it or unquoted as earlier
// ones did; a program elsewhere, or a quote that hides what runs, is not.
TEST_F(UninstallPlausibilityTest, MenuCommandsAreTheProductsOnlyWhenTheirProgramIsInside) {
    const std::u16string program = std::u16string(kFolder) + u"\\Panel.exe";
    struct Case {
        std::u16string Command;
        bool Inside;
    } cases[] = {
        {u"\"" + program + u"\"", true},
        {u"\"" + program + u"\" %1", true},
        {program, true},
        {u"C:\\Other\\Panel.exe", false},
        {u"C:\\Other\\Panel.exe " + program, false},
        {u"\"C:\\Other\\Panel.exe\" " + program, false},
        {u"\"" + program, false},
        {std::u16string(kFolder), false},
        {u"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsCommandOfProgramInside(c.Command, kFolder), c.Inside)
            << std::string(c.Command.begin(), c.Command.end());
}

}  // namespace
