#include "platform/path_names.h"
#include "records/package.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"

namespace {

struct NameCase {
    std::u16string input;
    std::u16string expected;
};

struct TestCase {
    std::u16string input;
    bool expected;
};

std::string Trace(const std::u16string& input) {
    return "input: \"" + Utf16ToUtf8(input) + "\"";
}

class PathNamesTest : public ::testing::Test {
  protected:
    // A tree with InstallFolder `install` and one top-level folder `folderName`.
    PackageFolder& AddFolder(PackageTree& tree, std::u16string install, std::u16string folderName) {
        tree.InstallFolder = std::move(install);
        tree.Folders.emplace_front();
        tree.Folders.front().Name = std::move(folderName);
        return tree.Folders.front();
    }

    PackageFile MakeFile(PackageTree* tree, const PackageFolder* folder, std::u16string name) {
        PackageFile file;
        file.Name = std::move(name);
        file.Tree = tree;
        file.Folder = folder;
        return file;
    }
};

// The file name is everything after the last backslash.
TEST_F(PathNamesTest, FileNameOfPathTakesTextAfterLastBackslash) {
    const std::vector<NameCase> cases = {
        {u"", u""},         {u"C:\\App\\Driver\\Svc.exe", u"Svc.exe"},
        {u"C:\\x\\", u""},  {u"noslash.ext", u"noslash.ext"},
        {u"\\abc", u"abc"}, {u"C:\\App\\Tool.exe -h", u"Tool.exe -h"},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(FileNameOfPath(c.input), c.expected) << Trace(c.input);
}

// The base name runs from after the last backslash to the first full stop.
TEST_F(PathNamesTest, BaseNameOfPathStopsAtFirstFullStop) {
    const std::vector<NameCase> cases = {
        {u"", u""},
        {u"C:\\App\\Driver\\Svc.exe", u"Svc"},
        {u"C:\\App\\Tool.exe -h", u"Tool"},
        {u"SOFTWARE\\TrovalisServerV7", u"TrovalisServerV7"},
        {u"Touch Panel 2.1", u"Touch Panel 2"},
        {u"C:\\x\\.hidden", u""},
        {u"noslash.ext", u"noslash"},
        {u"C:\\dir.v2\\name", u"name"},
        {u"archive.tar.gz", u"archive"},
        {u"C:\\x\\", u""},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(BaseNameOfPath(c.input), c.expected) << Trace(c.input);
}

// The path ends at its last backslash, but a backslash at index 0 is never cut.
TEST_F(PathNamesTest, CutLastPathComponentEndsAtLastBackslashAfterFirstUnit) {
    const std::vector<NameCase> cases = {
        {u"C:\\a\\b", u"C:\\a"},
        {u"C:\\", u"C:"},
        {u"abc", u"abc"},
        {u"\\abc", u"\\abc"},
        {u"", u""},
        {u"\\", u"\\"},
        {u"a\\", u"a"},
        {u"C:\\a\\b\\", u"C:\\a\\b"},
    };
    for (const NameCase& c : cases) {
        std::u16string path = c.input;
        CutLastPathComponent(path);
        EXPECT_EQ(path, c.expected) << Trace(c.input);
    }
}

// ".exe" at the end, ASCII letters in any case; texts shorter than four units are not executables.
TEST_F(PathNamesTest, HasExeExtensionComparesLastFourUnitsFoldingAscii) {
    const std::vector<TestCase> cases = {
        {u"C:\\A\\SETUP.EXE", true},
        {u"C:\\A\\setup.Exe", true},
        {u"C:\\A\\setup.exe2", false},
        {u".exe", true},
        {u"exe", false},
        {u"", false},
        {u"C:\\A\\setup.ex", false},
        {u"C:\\A\\setupexe", false},
        {u"C:\\A\\setup.\u0130xe", false},  // only A-Z fold
    };
    for (const TestCase& c : cases)
        EXPECT_EQ(HasExeExtension(c.input), c.expected) << Trace(c.input);
}

// "HID" anywhere in the name, ASCII letters in any case.
TEST_F(PathNamesTest, ContainsHIDFindsHidAnywhereFoldingAscii) {
    const std::vector<TestCase> cases = {
        {u"InstallHID.bat", true},
        {u"hidinst.bat", true},
        {u"x64\\Hid_Filter.bat", true},
        {u"Install.bat", false},
        {u"", false},
        {u"HI", false},
        {u"hId", true},
        {u"H I D", false},
        {u"xxhi", false},
    };
    for (const TestCase& c : cases)
        EXPECT_EQ(ContainsHID(c.input), c.expected) << Trace(c.input);
}

// Joins use one backslash per part boundary and nothing else.
TEST_F(PathNamesTest, JoinPathInsertsBackslashes) {
    EXPECT_EQ(JoinPath(u"C:\\a", u"b"), u"C:\\a\\b");
    EXPECT_EQ(JoinPath(u"C:\\a", u"b", u"c.txt"), u"C:\\a\\b\\c.txt");
    EXPECT_EQ(JoinPath(u"", u""), u"\\");
}

// A join of up to 259 units succeeds; one unit more is a failure, never a shortened path.
TEST_F(PathNamesTest, JoinPathFailsBeyond259Units) {
    std::u16string a(200, u'a');
    EXPECT_EQ(JoinPath(a, std::u16string(58, u'b'))->size(), 259u);
    EXPECT_FALSE(JoinPath(a, std::u16string(59, u'b')));
    EXPECT_EQ(JoinPath(a, std::u16string(28, u'b'), std::u16string(29, u'c'))->size(), 259u);
    EXPECT_FALSE(JoinPath(a, std::u16string(29, u'b'), std::u16string(29, u'c')));
    EXPECT_FALSE(JoinPath(std::u16string(400, u'a'), u""));
}

// A file in a folder lies at InstallFolder\Folder\Name; a root file at InstallFolder\Name.
TEST_F(PathNamesTest, FullPathOfPackageFileJoinsInstallFolderFolderAndName) {
    PackageTree tree;
    PackageFolder& folder = AddFolder(tree, u"C:\\Co\\Pr", u"driver\\USB");
    EXPECT_EQ(FullPathOfPackageFile(MakeFile(&tree, &folder, u"x.sys")), u"C:\\Co\\Pr\\driver\\USB\\x.sys");
    EXPECT_EQ(FullPathOfPackageFile(MakeFile(&tree, nullptr, u"Panel.exe")), u"C:\\Co\\Pr\\Panel.exe");
}

// A file without a tree, or whose path would not fit, has no path.
TEST_F(PathNamesTest, FullPathOfPackageFileFailsWithoutTreeOrWhenTooLong) {
    PackageTree tree;
    PackageFolder& folder = AddFolder(tree, std::u16string(200, u'i'), std::u16string(50, u'f'));
    EXPECT_FALSE(FullPathOfPackageFile(MakeFile(nullptr, nullptr, u"a.txt")));
    EXPECT_TRUE(FullPathOfPackageFile(MakeFile(&tree, &folder, std::u16string(7, u'n'))));
    EXPECT_FALSE(FullPathOfPackageFile(MakeFile(&tree, &folder, std::u16string(8, u'n'))));
    EXPECT_FALSE(FullPathOfPackageFile(MakeFile(&tree, nullptr, std::u16string(59, u'n'))));
}

}  // namespace

// A plain name is one component that Windows and cmd take literally: no
// wildcard, redirection, quote, control character or percent sign, no
// device name (with or without an extension), nothing Windows would strip.
TEST(PlainNameTest, RefusesWhatWindowsOrCmdWouldNotTakeLiterally) {
    const std::vector<TestCase> cases = {
        {u"Panel.exe", true},   {u"Touch Panel 2.1", true},
        {u"CONSOLE.txt", true}, {u"COM10", true},
        {u"LPT0", false},       {u"nullable", true},
        {u"AUX1", true},        {u"", false},
        {u".", false},          {u"..", false},
        {u"a\\b", false},       {u"a/b", false},
        {u"C:", false},         {u"a.", false},
        {u"a ", false},         {u"*.exe", false},
        {u"a?", false},         {u"a<b", false},
        {u"a>b", false},        {u"a|b", false},
        {u"\"a\"", false},      {u"100%", false},
        {u"%TEMP%", false},     {u"a\tb", false},
        {u"a\nb", false},       {std::u16string(u"a\0b", 3), false},
        {u"CON", false},        {u"prn", false},
        {u"Aux", false},        {u"NUL.txt", false},
        {u"nul .log", false},   {u"COM1", false},
        {u"com9.dat", false},   {u"LPT1", false},
        {u"lpt9.x.y", false},   {u"COM\u00B9", false},
        {u"CONIN$", false},     {u"conout$.txt", false},
    };
    for (const TestCase& c : cases)
        EXPECT_EQ(IsPlainName(c.input), c.expected) << Trace(c.input);
}
