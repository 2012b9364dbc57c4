#include "tools/pkgtool/manifest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/support/shipped_package.h"
#include "tools/package_writer.h"
#include "tools/pkgtool/listing.h"

namespace {

std::vector<uint8_t> Encode(const ScriptCommand& command) {
    std::vector<uint8_t> bytes;
    AppendScriptCommand(bytes, command);
    return bytes;
}

std::vector<uint8_t> EncodeAll(const Manifest& manifest) {
    std::vector<uint8_t> bytes;
    for (const ManifestCommand& entry : manifest.Commands)
        AppendScriptCommand(bytes, entry.Command);
    return bytes;
}

ScriptCommand WithIntroducer(ScriptCommand command, uint8_t introducer) {
    command.Introducer = introducer;
    return command;
}

DriverBatchEntry Batch(uint8_t index, std::u16string path) {
    return DriverBatchEntry{index, std::move(path)};
}

struct GoodLine {
    std::string Line;
    ScriptCommand Expected;
};

struct BadLine {
    std::string Line;
    const char* MessagePart;
};

std::string Repeat(const std::string& text, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i)
        out += text;
    return out;
}

class ManifestTest : public ::testing::Test {
  protected:
    // Parses `text` and expects success.
    Manifest Parse(std::string_view text) {
        Manifest manifest;
        const std::vector<ManifestError> errors = ParseManifest(text, &manifest);
        EXPECT_TRUE(errors.empty()) << text << "\n -> " << (errors.empty() ? "" : errors[0].Message);
        return manifest;
    }

    // Parses `text` and expects failure.
    std::vector<ManifestError> Errors(std::string_view text) {
        Manifest manifest;
        return ParseManifest(text, &manifest);
    }
};

TEST_F(ManifestTest, EachCommandLineEncodesAsTheScriptCommandItNames) {
    const GoodLine cases[] = {
        {"company Zorvanelle", MakeTextCommand(kScriptCompany, u"Zorvanelle")},
        {"product \"Zorvanelle V7\"", MakeTextCommand(kScriptProduct, u"Zorvanelle V7")},
        {"main-app Panel.exe", MakePathCommand(kScriptMainApp, u"Panel.exe")},
        {"uninstaller Uninstall.exe", MakePathCommand(kScriptUninstaller, u"Uninstall.exe")},
        {"system-file driver\\a.dll", MakePathCommand(kScriptSystemFile, u"driver\\a.dll")},
        {"run-entry .\\Panel.exe", MakePathCommand(kScriptRunEntry, u".\\Panel.exe")},
        {"launch \\Panel.exe", MakePathCommand(kScriptLaunch, u"\\Panel.exe")},
        {"aux-app \"\"", MakePathCommand(kScriptAuxApp, u"")},
        {"programs-shortcut Panel.exe \"Touch Panel\"",
         MakePathTextCommand(kScriptProgramsShortcut, u"Panel.exe", u"Touch Panel")},
        {"desktop-menu Panel.exe Calibrate", MakePathTextCommand(kScriptDesktopMenu, u"Panel.exe", u"Calibrate")},
        {"desktop-shortcut Panel.exe \"Panel (x86)\"",
         MakePathTextCommand(kScriptDesktopShortcut, u"Panel.exe", u"Panel (x86)")},
        {"service Svc.exe", MakeServiceCommand(u"Svc.exe", std::nullopt)},
        {"service Svc.exe \"Runs the touch service\"", MakeServiceCommand(u"Svc.exe", u"Runs the touch service")},
        {"service Svc.exe \"\"", MakeServiceCommand(u"Svc.exe", u"")},
        {"service Svc.exe Desc 0x41", WithIntroducer(MakeServiceCommand(u"Svc.exe", u"Desc"), 0x41)},
        {"service Svc.exe Desc 0", WithIntroducer(MakeServiceCommand(u"Svc.exe", u"Desc"), 0)},
        {"driver-batches x86=a.bat x64=b.bat uninstall-x86=c.bat uninstall-x64=d.bat",
         MakeBatchCommand({Batch(0, u"a.bat"), Batch(1, u"b.bat"), Batch(2, u"c.bat"), Batch(3, u"d.bat")})},
        {"driver-batches uninstall-x64=d.bat x64=b.bat", MakeBatchCommand({Batch(3, u"d.bat"), Batch(1, u"b.bat")})},
        {"driver-batches x86=a.bat x86=b.bat x86=a.bat",
         MakeBatchCommand({Batch(0, u"a.bat"), Batch(0, u"b.bat"), Batch(0, u"a.bat")})},
        {"driver-batches x64=\"driver\\My Install.bat\"", MakeBatchCommand({Batch(1, u"driver\\My Install.bat")})},
        {"driver-batches uninstall-x86=a=b.bat", MakeBatchCommand({Batch(2, u"a=b.bat")})},
        {"license english License.txt", MakeLicenseCommand(1, u"License.txt")},
        {"license chinese Lizenz.txt", MakeLicenseCommand(0, u"Lizenz.txt")},
        {"license korean L.txt", MakeLicenseCommand(4, u"L.txt")},
        {"license 200 L.txt", MakeLicenseCommand(200, u"L.txt")},
        {"skip 14", MakeBareCommand(14)},
        {"skip 0x7F", MakeBareCommand(0x7F)},
        {"skip 255", MakeBareCommand(255)},
        {"skip 0", MakeBareCommand(0)},
        {"main-app \"Say \"\"hi\"\".exe\"", MakePathCommand(kScriptMainApp, u"Say \"hi\".exe")},
        {"main-app \"Übersicht 説明.exe\"", MakePathCommand(kScriptMainApp, u"Übersicht 説明.exe")},
        {"  main-app\tPanel.exe   # the panel", MakePathCommand(kScriptMainApp, u"Panel.exe")},
        {"main-app Panel#1.exe", MakePathCommand(kScriptMainApp, u"Panel#1.exe")},
        {"main-app Panel.exe\r", MakePathCommand(kScriptMainApp, u"Panel.exe")},
        {"main-app dir\\\"a b\".exe", MakePathCommand(kScriptMainApp, u"dir\\a b.exe")},
        {"main-app " + std::string(259, 'p'), MakePathCommand(kScriptMainApp, std::u16string(259, u'p'))},
        {"main-app " + Repeat("\u20AC", 259), MakePathCommand(kScriptMainApp, std::u16string(259, u'\u20AC'))},
    };
    for (const GoodLine& c : cases) {
        const Manifest manifest = Parse(c.Line);
        ASSERT_EQ(manifest.Commands.size(), 1u) << c.Line;
        EXPECT_EQ(Encode(manifest.Commands[0].Command), Encode(c.Expected)) << c.Line;
        EXPECT_EQ(manifest.Commands[0].Line, 1) << c.Line;
        EXPECT_FALSE(manifest.Commands[0].Unchecked) << c.Line;
    }
}

TEST_F(ManifestTest, EachFaultyLineIsReportedWithItsLineNumber) {
    const BadLine cases[] = {
        {"frobnicate x", "unknown command \"frobnicate\""},
        {"Company Zorvanelle", "unknown command \"Company\""},
        {"company", "\"company\" takes 1 argument (NAME), got 0 arguments"},
        {"company A B", "got 2 arguments"},
        {"company \"\"", "company \"\" is empty"},
        {"company a\\b", "company \"a\\b\" contains \"\\\""},
        {"product ..", "product \"..\" is \".\" or \"..\""},
        {"product a/b", "contains \"/\""},
        {"product c:", "contains \":\""},
        {"product Name.", "ends in a dot or a blank"},
        {"product nul.txt", "reserved device name"},
        {"product " + std::string(260, 'p'), "is 260 UTF-16 units long; the limit is 259"},
        {"main-app", "\"main-app\" takes 1 argument (PATH), got 0 arguments"},
        {"main-app a.exe b.exe", "got 2 arguments"},
        {"main-app " + std::string(260, 'p'), "path \"ppp"},
        {"main-app " + Repeat("\u20AC", 260), "is 260 UTF-16 units long"},
        {"main-app " + Repeat("\U0001F600", 130), "is 260 UTF-16 units long"},
        {"main-app \"Panel.exe", "unterminated quoted argument"},
        {"programs-shortcut Panel.exe", "takes 2 arguments (PATH NAME), got 1 argument"},
        {"desktop-menu Panel.exe " + std::string(260, 'n'), "display name"},
        {"desktop-menu Panel.exe \"Panel: Settings\"", "display name \"Panel: Settings\" is not a plain name"},
        {"desktop-shortcut Panel.exe Panel.", "display name \"Panel.\" is not a plain name"},
        {"programs-shortcut Panel.exe \"Panel \"", "the installer would ignore this command"},
        {"desktop-shortcut Panel.exe \"\"", "display name \"\" is not a plain name"},
        {"programs-shortcut Panel.exe a\\b", "display name \"a\\b\" is not a plain name"},
        {"service", "takes 1 to 3 arguments"},
        {"service a b c d", "got 4 arguments"},
        {"service Svc.exe " + std::string(260, 'd'), "description"},
        {"service Svc.exe Desc 0x7F", "introducer 0x7F would end the command"},
        {"service Svc.exe Desc 127", "introducer 0x7F would end the command"},
        {"service Svc.exe Desc 256", "introducer \"256\" is not a byte"},
        {"service Svc.exe Desc tilde", "introducer \"tilde\" is not a byte"},
        {"driver-batches", "needs at least one SLOT=PATH entry"},
        {"driver-batches a.bat", "driver batch entry \"a.bat\" is not SLOT=PATH"},
        {"driver-batches x32=a.bat", "driver batch entry \"x32=a.bat\""},
        {"driver-batches 0=a.bat", "driver batch entry \"0=a.bat\""},
        {"driver-batches x86=" + std::string(260, 'b'), "path"},
        {"license french L.txt", "language \"french\" is neither"},
        {"license 256 L.txt", "language \"256\""},
        {"license english", "takes 2 arguments (LANGUAGE PATH)"},
        {"skip", "\"skip\" takes 1 argument (CODE)"},
        {"skip 0x100", "skip code \"0x100\" is not a byte"},
        {"skip -1", "skip code \"-1\""},
        {"skip 1 2", "\"skip\" takes 1 argument"},
        {"unchecked", "\"unchecked\" must be followed by a script command"},
        {"unchecked skip 3", "\"unchecked\" must be followed by a script command"},
        {"unchecked root R", "\"unchecked\" must be followed by a script command"},
        {"root", "\"root\" takes 1 argument (NAME)"},
        {"root a\\b", "root name \"a\\b\" contains"},
        {"order driver", "\"order\" takes a FOLDER"},
        {"order . a/b", "name \"a/b\" contains \"/\""},
        {"main-app \xC3(.exe", "line is not valid UTF-8"},
        {"main-app \xED\xA0\x80.exe", "line is not valid UTF-8"},
    };
    for (const BadLine& c : cases) {
        const std::vector<ManifestError> errors = Errors("# a comment\n\n" + c.Line + "\nmain-app Panel.exe\n");
        ASSERT_EQ(errors.size(), 1u) << c.Line;
        EXPECT_EQ(errors[0].Line, 3) << c.Line;
        EXPECT_NE(errors[0].Message.find(c.MessagePart), std::string::npos) << c.Line << "\n -> " << errors[0].Message;
    }
}

TEST_F(ManifestTest, RepeatedRootAndOrderLinesNameTheFirstOne) {
    const std::vector<ManifestError> errors = Errors("root A\norder . x\nroot B\norder . y\n");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].Line, 3);
    EXPECT_EQ(errors[0].Message, "root folder already named on line 1");
    EXPECT_EQ(errors[1].Line, 4);
    EXPECT_EQ(errors[1].Message, "order of folder \".\" already given on line 2");
}

TEST_F(ManifestTest, EveryFaultyLineIsReportedNotOnlyTheFirst) {
    const std::vector<ManifestError> errors = Errors("bogus\ncompany A\nmain-app\r\n\nskip x\n");
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].Line, 1);
    EXPECT_EQ(errors[1].Line, 3);
    EXPECT_EQ(errors[2].Line, 5);
}

TEST_F(ManifestTest, CommandsKeepManifestOrderAndLineNumbers) {
    const Manifest manifest = Parse("\xEF\xBB\xBF# header\r\ncompany A\r\n\r\nunchecked main-app Gone.exe\r\nskip 3");
    ASSERT_EQ(manifest.Commands.size(), 3u);
    EXPECT_EQ(manifest.Commands[0].Line, 2);
    EXPECT_EQ(manifest.Commands[1].Line, 4);
    EXPECT_TRUE(manifest.Commands[1].Unchecked);
    EXPECT_EQ(manifest.Commands[1].Command.Path, u"Gone.exe");
    EXPECT_EQ(manifest.Commands[2].Line, 5);
    EXPECT_FALSE(manifest.Commands[2].Command.HasArguments);
}

TEST_F(ManifestTest, RootAndOrderLinesAreReadButAreNoCommands) {
    const Manifest manifest = Parse("root \"Zorvanelle V7\"\norder . b.exe a.exe\norder driver\\USB i386 amd64\n");
    EXPECT_TRUE(manifest.Commands.empty());
    EXPECT_EQ(manifest.RootName, u"Zorvanelle V7");
    ASSERT_EQ(manifest.Orders.size(), 2u);
    EXPECT_EQ(manifest.Orders[0].Folder, u"");
    EXPECT_EQ(manifest.Orders[0].Names, (std::vector<std::u16string>{u"b.exe", u"a.exe"}));
    EXPECT_EQ(manifest.Orders[1].Folder, u"driver\\USB");
    EXPECT_EQ(manifest.Orders[1].Line, 3);
}

TEST_F(ManifestTest, ListedCommandsReadBackAsTheSameCommands) {
    const ScriptCommand commands[] = {
        MakePathTextCommand(kScriptProgramsShortcut, u"a \"b\".exe", u"Say hi"),
        MakeTextCommand(kScriptProduct, u"Zorvanelle V7"),
        MakePathTextCommand(kScriptDesktopMenu, u"dir\\a b.exe", u"# not a comment"),
        WithIntroducer(MakeServiceCommand(u"S.exe", u"D"), 0x20),
        MakeServiceCommand(u"S.exe", std::nullopt),
        MakeBatchCommand({Batch(3, u"u.bat"), Batch(0, u"\u00DC.bat"), Batch(3, u"v.bat")}),
        MakeLicenseCommand(9, u"L.txt"),
        MakeLicenseCommand(3, u"L.txt"),
        MakeBareCommand(200),
        MakePathCommand(kScriptSystemFile, u""),
    };
    for (const ScriptCommand& command : commands) {
        const std::string line = FormatScriptCommand(command);
        const Manifest manifest = Parse(line);
        ASSERT_EQ(manifest.Commands.size(), 1u) << line;
        EXPECT_EQ(Encode(manifest.Commands[0].Command), Encode(command)) << line;
    }
}

TEST_F(ManifestTest, ErrorsAreFormattedLikeCompilerMessages) {
    EXPECT_EQ(FormatManifestError("pkg.manifest", {12, "unknown command \"x\""}),
              "pkg.manifest:12: unknown command \"x\"");
    EXPECT_EQ(FormatManifestError("pkg.manifest", {0, "rejected"}), "pkg.manifest: rejected");
}

TEST_F(ManifestTest, DemoManifestReproducesTheShippedScript) {
    std::ifstream in(DEMO_MANIFEST_PATH, std::ios::binary);
    ASSERT_TRUE(in) << DEMO_MANIFEST_PATH;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const Manifest manifest = Parse(text);
    EXPECT_EQ(MakeScriptBlock(EncodeAll(manifest)), ShippedScriptBlock());
    EXPECT_EQ(manifest.RootName, kShippedRootName);
}

}  // namespace
