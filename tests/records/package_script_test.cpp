#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "records/install_script.h"
#include "records/installer_state.h"
#include "records/package.h"
#include "tests/support/shipped_package.h"
#include "tools/package_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<std::u16string> Names(const std::forward_list<const PackageFile*>& files) {
    std::vector<std::u16string> names;
    for (const PackageFile* file : files)
        names.push_back(file->Name);
    return names;
}

std::vector<std::u16string> ShortcutNames(const std::forward_list<ShortcutEntry>& entries) {
    std::vector<std::u16string> names;
    for (const ShortcutEntry& entry : entries)
        names.push_back(entry.File->Name + u"=" + entry.DisplayName);
    return names;
}

DriverBatchEntry Batch(uint8_t index, std::u16string path) {
    return DriverBatchEntry{index, std::move(path)};
}

class PackageScriptTest : public ::testing::Test {
  protected:
    void SetUp() override { store_ = MakeFileStore(ShippedStoreRoot()); }

    // Loads the shipped-like store with a script made of `commands`.
    bool LoadWith(const std::vector<ScriptCommand>& commands) { return LoadWithBody(EncodeScriptBody(commands)); }

    bool LoadWithBody(const Bytes& body) {
        const Bytes package = MakePackage(MakeScriptBlock(body), store_);
        return LoadPackage(state_, package.data(), package.size(), &reason_);
    }

    // Parses `commands` against the tree already loaded.
    bool Parse(const std::vector<ScriptCommand>& commands) {
        const Bytes block = MakeScriptBlock(EncodeScriptBody(commands));
        return ParseInstallScript(state_, block.data(), block.size(), &outcome_, &reason_);
    }

    const PackageFile* Find(std::u16string_view path) { return FindPackageFile(*state_.Tree, path); }

    Bytes store_;
    InstallerState state_;
    ScriptParseOutcome outcome_ = ScriptParseOutcome::Complete;
    std::string reason_;
};

TEST_F(PackageScriptTest, AppliesShippedScript) {
    ASSERT_TRUE(LoadWith(ShippedScriptCommands())) << reason_;
    ASSERT_TRUE(Parse(ShippedScriptCommands())) << reason_;
    EXPECT_EQ(state_.Company, kShippedCompany);
    EXPECT_EQ(state_.Product, kShippedProduct);
    EXPECT_EQ(state_.MainAppFile, Find(kShippedPanel));
    EXPECT_EQ(state_.AuxAppFile, Find(kShippedPanel));
    EXPECT_EQ(state_.UninstallerFile, Find(kShippedUninstaller));
    EXPECT_EQ(Names(state_.LaunchList), std::vector<std::u16string>{kShippedPanel});
    EXPECT_EQ(Names(state_.RunEntryList), std::vector<std::u16string>{kShippedPanel});
    EXPECT_EQ(ShortcutNames(state_.ProgramsShortcutList),
              (std::vector<std::u16string>{u"ZorvanellePanelV7.exe=ZorvanellePanelV7", u"Uninstall.exe=Uninstall"}));
    EXPECT_EQ(ShortcutNames(state_.DesktopShortcutList),
              std::vector<std::u16string>{u"ZorvanellePanelV7.exe=ZorvanellePanelV7"});
    EXPECT_TRUE(state_.DesktopMenuList.empty());
    EXPECT_TRUE(state_.SystemFileList.empty());
    ASSERT_FALSE(state_.LicenseList.empty());
    EXPECT_EQ(state_.LicenseList.front().LanguageIndex, kLanguageEnglish);
    EXPECT_EQ(state_.LicenseList.front().File, Find(kShippedLicense));
}

TEST_F(PackageScriptTest, AppliesShippedServiceAndDriverSets) {
    ASSERT_TRUE(LoadWith(ShippedScriptCommands())) << reason_;
    ASSERT_NE(state_.ServiceList.begin(), state_.ServiceList.end());
    EXPECT_EQ(state_.ServiceList.front().File, Find(kShippedService));
    EXPECT_EQ(state_.ServiceList.front().Description, std::u16string(kShippedServiceDescription));
    std::vector<const DriverBatchSet*> sets;
    for (const DriverBatchSet& set : state_.DriverBatchSetList)
        sets.push_back(&set);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0]->InstallX86, Find(u"driver\\InstallUsbDriverX86.bat"));
    EXPECT_EQ(sets[0]->UninstallX64, Find(u"driver\\UninstallUsbDriverx64.bat"));
    EXPECT_NE(sets[0]->UninstallX64, nullptr);
    EXPECT_EQ(sets[1]->InstallX64, Find(u"driver\\InstallHIDDriverX64.bat"));
    EXPECT_EQ(sets[1]->UninstallX86, Find(u"driver\\UninstallHIDDriverX86.bat"));
}

TEST_F(PackageScriptTest, ParsesScriptBlockOfSizeFourToEmptyResults) {
    ASSERT_TRUE(LoadWith(ShippedScriptCommands())) << reason_;
    const Bytes block = MakeScriptBlock({});
    EXPECT_TRUE(ParseInstallScript(state_, block.data(), block.size(), &outcome_));
    EXPECT_EQ(outcome_, ScriptParseOutcome::Complete);
    EXPECT_EQ(state_.MainAppFile, nullptr);
    EXPECT_TRUE(state_.ServiceList.empty());
    EXPECT_TRUE(state_.LicenseList.empty());
    EXPECT_EQ(state_.Company, kShippedCompany);  // left as it was
}

TEST_F(PackageScriptTest, RefusesToParseWithoutTree) {
    state_.Company = u"Kept";
    const Bytes block = MakeScriptBlock(EncodeScriptBody({MakeTextCommand(kScriptCompany, u"New")}));
    EXPECT_FALSE(ParseInstallScript(state_, block.data(), block.size()));
    EXPECT_EQ(state_.Company, u"Kept");
}

// (code, 0x7F) pairs carry nothing, whatever the code; the next command runs.
TEST_F(PackageScriptTest, SkipsBarePairsOfAnyCode) {
    ASSERT_TRUE(LoadWith({})) << reason_;
    for (int code : {0, 1, 7, 8, 13, 14, 0x7E, 0x7F, 0xFF}) {
        EXPECT_TRUE(
            Parse({MakeBareCommand(static_cast<uint8_t>(code)), MakePathCommand(kScriptMainApp, kShippedPanel)}))
            << code << ": " << reason_;
        EXPECT_EQ(state_.MainAppFile, Find(kShippedPanel)) << code;
    }
}

TEST_F(PackageScriptTest, ConsumesBothStringsOfShortcutToMissingFile) {
    ASSERT_TRUE(LoadWith({MakePathTextCommand(kScriptProgramsShortcut, u"missing.exe", u"Missing"),
                          MakePathTextCommand(kScriptDesktopShortcut, kShippedPanel, u"Panel")}));
    EXPECT_TRUE(Parse({MakePathTextCommand(kScriptProgramsShortcut, u"missing.exe", u"Missing"),
                       MakePathTextCommand(kScriptDesktopShortcut, kShippedPanel, u"Panel")}));
    EXPECT_TRUE(state_.ProgramsShortcutList.empty());
    EXPECT_EQ(ShortcutNames(state_.DesktopShortcutList), std::vector<std::u16string>{u"ZorvanellePanelV7.exe=Panel"});
}

TEST_F(PackageScriptTest, SetsMissingReferencesToNone) {
    ASSERT_TRUE(LoadWith({}));
    EXPECT_TRUE(Parse({MakePathCommand(kScriptMainApp, kShippedPanel), MakePathCommand(kScriptMainApp, u"gone.exe"),
                       MakePathCommand(kScriptSystemFile, u"gone.dll"), MakeLicenseCommand(0, u"gone.txt")}));
    EXPECT_EQ(state_.MainAppFile, nullptr);
    EXPECT_TRUE(state_.SystemFileList.empty());
    EXPECT_TRUE(state_.LicenseList.empty());
}

TEST_F(PackageScriptTest, AddsServiceWithoutDescription) {
    ASSERT_TRUE(LoadWith({MakeServiceCommand(kShippedService, std::nullopt)})) << reason_;
    ASSERT_FALSE(state_.ServiceList.empty());
    EXPECT_EQ(state_.ServiceList.front().File, Find(kShippedService));
    EXPECT_FALSE(state_.ServiceList.front().Description.has_value());
}

TEST_F(PackageScriptTest, ListsLastNamedServiceFirst) {
    ASSERT_TRUE(LoadWith({MakeServiceCommand(kShippedService, std::u16string(u"First")),
                          MakeServiceCommand(kShippedPanel, std::u16string(u"Second"))}));
    std::vector<std::u16string> descriptions;
    for (const ServiceEntry& entry : state_.ServiceList)
        descriptions.push_back(entry.Description.value_or(u"-"));
    EXPECT_EQ(descriptions, (std::vector<std::u16string>{u"Second", u"First"}));
}

// A missing uninstall batch fails the parse; what earlier commands added stays.
TEST_F(PackageScriptTest, FailsOnMissingUninstallBatchKeepingEarlierResults) {
    const std::vector<ScriptCommand> commands = {
        MakeTextCommand(kScriptCompany, u"Early"),
        MakeBatchCommand({Batch(0, u"driver\\InstallHIDDriverX86.bat")}),
        MakeBatchCommand({Batch(0, u"driver\\InstallUsbDriverX86.bat"), Batch(2, u"driver\\Missing.bat")}),
        MakePathCommand(kScriptMainApp, kShippedPanel),
    };
    EXPECT_TRUE(LoadWith(commands)) << reason_;  // a malformed script is no reason to reject the package
    EXPECT_FALSE(Parse(commands));
    EXPECT_EQ(outcome_, ScriptParseOutcome::Malformed);
    EXPECT_EQ(state_.Company, u"Early");
    ASSERT_FALSE(state_.DriverBatchSetList.empty());
    EXPECT_EQ(state_.DriverBatchSetList.front().InstallX86, Find(u"driver\\InstallHIDDriverX86.bat"));
    EXPECT_EQ(std::next(state_.DriverBatchSetList.begin()), state_.DriverBatchSetList.end());
    EXPECT_EQ(state_.MainAppFile, nullptr);
}

TEST_F(PackageScriptTest, DropsBatchSetWithOnlyUninstallEntries) {
    ASSERT_TRUE(LoadWith({}));
    EXPECT_TRUE(Parse({MakeBatchCommand(
        {Batch(2, u"driver\\UninstallHIDDriverX86.bat"), Batch(3, u"driver\\UninstallHIDDriverX64.bat")})}));
    EXPECT_TRUE(state_.DriverBatchSetList.empty());
}

TEST_F(PackageScriptTest, DropsBatchSetWhoseInstallBatchesAreMissing) {
    ASSERT_TRUE(LoadWith({}));
    EXPECT_TRUE(Parse({MakeBatchCommand({Batch(0, u"driver\\gone86.bat"), Batch(1, u"driver\\gone64.bat")})}));
    EXPECT_TRUE(state_.DriverBatchSetList.empty());
}

TEST_F(PackageScriptTest, KeepsBatchSetWithOneInstallBatch) {
    ASSERT_TRUE(LoadWith({}));
    EXPECT_TRUE(
        Parse({MakeBatchCommand({Batch(0, u"driver\\gone86.bat"), Batch(1, u"driver\\InstallHIDDriverX64.bat")})}));
    ASSERT_FALSE(state_.DriverBatchSetList.empty());
    EXPECT_EQ(state_.DriverBatchSetList.front().InstallX86, nullptr);
    EXPECT_EQ(state_.DriverBatchSetList.front().InstallX64, Find(u"driver\\InstallHIDDriverX64.bat"));
}

TEST_F(PackageScriptTest, LetsLaterBatchEntryReplaceEarlierOfSameIndex) {
    ASSERT_TRUE(LoadWith({}));
    EXPECT_TRUE(Parse({MakeBatchCommand(
        {Batch(0, u"driver\\InstallHIDDriverX86.bat"), Batch(0, u"driver\\InstallUsbDriverX86.bat")})}));
    ASSERT_FALSE(state_.DriverBatchSetList.empty());
    EXPECT_EQ(state_.DriverBatchSetList.front().InstallX86, Find(u"driver\\InstallUsbDriverX86.bat"));
}

struct MalformedCase {
    const char* name;
    Bytes tail;       // bytes after a valid first command
    bool endsScript;  // the tail is the end of the script
};

// Each fault ends the parse at its command; the first command's result stays
// and nothing after the fault is applied.
TEST_F(PackageScriptTest, StopsAtMalformedCommandKeepingEarlierResults) {
    const MalformedCase cases[] = {
        {"code above 13 with arguments", {14, 0x7E, 0x7F}, false},
        {"end byte not 0x7F", {1, 0x7E, 'x', 0, 0, 0, 0x7E}, false},
        {"marker neither 0x7E nor 0x7F", {1, 0x00}, false},
        {"batch index above 3", {8, 0x7E, 4, 'x', 0, 0, 0, 0x7F}, false},
        {"code without marker", {1}, true},
        {"path running past ScriptSize", {1, 0x7E, 'x', 0}, true},
    };
    for (const MalformedCase& c : cases) {
        Bytes body = EncodeScriptBody({MakeTextCommand(kScriptCompany, u"First")});
        body.insert(body.end(), c.tail.begin(), c.tail.end());
        if (!c.endsScript)
            AppendScriptCommand(body, MakePathCommand(kScriptMainApp, kShippedPanel));
        state_.Company.clear();
        EXPECT_TRUE(LoadWithBody(body)) << c.name << ": " << reason_;
        EXPECT_EQ(state_.Company, u"First") << c.name;
        EXPECT_EQ(state_.MainAppFile, nullptr) << c.name;
    }
}

// The store that follows the script must never complete a command that
// ScriptSize cuts: the command's arguments take effect, its end byte is
// missing, and the parse ends there.
TEST_F(PackageScriptTest, NeverReadsCommandIntoStore) {
    ASSERT_TRUE(LoadWith({}));
    Bytes block = MakeScriptBlock(EncodeScriptBody(
        {MakePathCommand(kScriptMainApp, kShippedPanel), MakePathCommand(kScriptAuxApp, kShippedPanel)}));
    block[0] = static_cast<uint8_t>(block.size() - 1);
    EXPECT_FALSE(ParseInstallScript(state_, block.data(), block.size(), &outcome_));
    EXPECT_EQ(outcome_, ScriptParseOutcome::Malformed);
    EXPECT_EQ(state_.MainAppFile, Find(kShippedPanel));
    EXPECT_EQ(state_.AuxAppFile, Find(kShippedPanel));
}

// A command takes effect before its end byte is checked: with a wrong end byte
// it still applies, and the parse stops after it, so the next command does not.
TEST_F(PackageScriptTest, AppliesCommandBeforeCheckingItsEndByte) {
    struct Case {
        ScriptCommand command;
        uint8_t end;  // replaces the command's 0x7F (a batch list would take 0x7E for another entry)
        bool (*applied)(const InstallerState&);
    } cases[] = {
        {MakeTextCommand(kScriptCompany, u"Company"), 0x7E,
         [](const InstallerState& s) { return s.Company == u"Company"; }},
        {MakePathCommand(kScriptMainApp, kShippedPanel), 0x00,
         [](const InstallerState& s) { return s.MainAppFile != nullptr; }},
        {MakePathTextCommand(kScriptDesktopShortcut, kShippedPanel, u"Panel"), 0x7E,
         [](const InstallerState& s) { return !s.DesktopShortcutList.empty(); }},
        {MakeServiceCommand(kShippedService, u"About"), 0x7E,
         [](const InstallerState& s) { return !s.ServiceList.empty(); }},
        {MakeBatchCommand({Batch(kBatchInstallX86, u"driver\\InstallUsbDriverX86.bat")}), 0x41,
         [](const InstallerState& s) { return !s.DriverBatchSetList.empty(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.command.Code));
        Bytes body = EncodeScriptBody({c.command});
        body.back() = c.end;
        AppendScriptCommand(body, MakePathCommand(kScriptLaunch, kShippedPanel));
        state_.Company.clear();
        EXPECT_TRUE(LoadWithBody(body)) << reason_;
        EXPECT_TRUE(c.applied(state_));
        EXPECT_TRUE(state_.LaunchList.empty());
    }
}

struct PlainNameCase {
    uint8_t code;
    std::u16string text;
};

// Company and Product become folders below the base folder: a text that is
// not a plain name rejects the whole package.
TEST_F(PackageScriptTest, RejectsCompanyOrProductThatIsNotPlainName) {
    const PlainNameCase cases[] = {
        {kScriptCompany, u""},    {kScriptCompany, u".."},  {kScriptCompany, u"."}, {kScriptCompany, u"a\\b"},
        {kScriptCompany, u"a/b"}, {kScriptCompany, u"C:"},  {kScriptProduct, u""},  {kScriptProduct, u".."},
        {kScriptProduct, u"\\x"}, {kScriptProduct, u"x:y"},
    };
    for (const PlainNameCase& c : cases) {
        EXPECT_FALSE(LoadWith({MakePathCommand(kScriptMainApp, kShippedPanel), MakeTextCommand(c.code, c.text)}))
            << int(c.code) << " [" << Utf16ToUtf8(c.text) << "]";
        EXPECT_EQ(state_.Tree, nullptr);
        EXPECT_EQ(state_.MainAppFile, nullptr);
        EXPECT_TRUE(state_.Company.empty());
        EXPECT_TRUE(state_.Product.empty());
    }
}

TEST_F(PackageScriptTest, RejectsPackageWithTextLongerThan259Units) {
    EXPECT_TRUE(LoadWith({MakePathTextCommand(kScriptDesktopShortcut, kShippedPanel, std::u16string(259, u'n'))}));
    EXPECT_FALSE(LoadWith({MakePathTextCommand(kScriptDesktopShortcut, kShippedPanel, std::u16string(260, u'n'))}));
    EXPECT_EQ(state_.Tree, nullptr);
}

// Every prefix of the script, with ScriptSize and TotalSize patched to match,
// is accepted: a cut script only ends the parse early. A command whose text is
// complete takes effect even when its end byte is cut off.
TEST_F(PackageScriptTest, AcceptsEveryTruncatedScript) {
    const Bytes body = EncodeScriptBody(ShippedScriptCommands());
    const size_t companyCommand = 2 + sizeof(kShippedCompany) + 1;  // code, 0x7E, text, 0x7F
    for (size_t length = 0; length <= body.size(); ++length) {
        state_.Company.clear();
        ASSERT_TRUE(LoadWithBody(Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(length))))
            << length << ": " << reason_;
        EXPECT_EQ(state_.Company.empty(), length < companyCommand - 1) << length;
    }
}

}  // namespace
