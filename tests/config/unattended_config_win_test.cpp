#include <windows.h>

#include <shlobj.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/unattended_config.h"
#include "platform/text.h"
#include "tests/support/scratch_files_win.h"
#include "tests/support/test_files_win.h"

namespace {

std::vector<uint8_t> BytesOf(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::u16string ProgramFiles() {
    wchar_t folder[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, folder, CSIDL_PROGRAM_FILES, FALSE);
    return FromWide(folder);
}

// The Program Files folder in the single-byte form the file holds.
std::string ProgramFilesNarrow() {
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PROGRAM_FILES, FALSE);
    return folder;
}

std::string DefaultElement() {
    return "<Unattended Lang=\"English\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" HID=\"1\" Path=\"" +
           ProgramFilesNarrow() + "\" />";
}

// Names of the entries of `folder`, "." and ".." left out.
std::vector<std::u16string> EntriesOf(const std::u16string& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(WidePtr(folder + u"\\*"), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::u16string name = FromWide(data.cFileName);
        if (name != u"." && name != u"..")
            names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

class UnattendedConfigFileTest : public ::testing::Test {
  protected:
    void TearDown() override { SetFileAttributesW(WidePtr(path_), FILE_ATTRIBUTE_NORMAL); }

    // Writes `text` as the file's bytes and loads it into config_.
    bool Load(const std::string& text) {
        EXPECT_TRUE(WriteBytes(path_, BytesOf(text)));
        return LoadUnattendedConfig(path_, config_);
    }

    ScratchFolder scratch_;
    std::u16string path_ = scratch_ / u"script.ini";
    UnattendedConfig config_;
};

// A file with all five settings valid is read and its bytes stay as they were.
TEST_F(UnattendedConfigFileTest, CompleteFileIsReadAndNotRewritten) {
    const std::string text =
        "<?xml version=\"1.0\" ?>\n<!-- lab machines -->\n"
        "<Unattended Lang=\"Chinese\" EndUserLicense=\"Agree\" ShowPanel=\"Yes\" HID=\" 7x\" Path=\"D:\\Apps\"/>\n";
    ASSERT_TRUE(Load(text));
    EXPECT_EQ(ReadBytes(path_), BytesOf(text));
    EXPECT_EQ(config_.LangId, 2052u);
    EXPECT_TRUE(config_.EndUserLicenseAgreed);
    EXPECT_TRUE(config_.ShowPanel);
    EXPECT_EQ(config_.Hid, 7);
    EXPECT_EQ(config_.Path, u"D:\\Apps");
}

// An element without attributes is completed in order and rewritten with CR LF
// line ends and no byte-order mark; the values are the defaults.
TEST_F(UnattendedConfigFileTest, EmptyElementIsCompletedAndRewritten) {
    ASSERT_TRUE(Load("<Unattended/>"));
    EXPECT_EQ(ReadBytes(path_), BytesOf(DefaultElement() + "\r\n"));
    EXPECT_FALSE(config_.EndUserLicenseAgreed);
    EXPECT_EQ(config_.Hid, 1);
    EXPECT_EQ(config_.Path, ProgramFiles());
}

// A declaration-only file gains the default element after the declaration.
TEST_F(UnattendedConfigFileTest, DeclarationOnlyFileGainsDefaultElement) {
    ASSERT_TRUE(Load("<?xml version=\"1.0\" ?>\r\n"));
    EXPECT_EQ(ReadBytes(path_), BytesOf("<?xml version=\"1.0\" ?>\r\n" + DefaultElement() + "\r\n"));
}

// A file saved with the UTF-8 byte-order mark keeps it when rewritten.
TEST_F(UnattendedConfigFileTest, ByteOrderMarkIsKept) {
    ASSERT_TRUE(Load("\xEF\xBB\xBF<Unattended/>"));
    EXPECT_EQ(ReadBytes(path_), BytesOf("\xEF\xBB\xBF" + DefaultElement() + "\r\n"));
}

// A zero-byte file is not a document: false, defaults, and the file stays empty.
TEST_F(UnattendedConfigFileTest, ZeroByteFileIsNoConfiguration) {
    EXPECT_FALSE(Load(""));
    EXPECT_EQ(ReadBytes(path_), std::vector<uint8_t>());
    EXPECT_EQ(config_.LangId, 1033u);
    EXPECT_EQ(config_.Path, ProgramFiles());
}

// Malformed XML is no configuration either, and is left as it was.
TEST_F(UnattendedConfigFileTest, MalformedFileIsNoConfigurationAndUntouched) {
    const std::string text = "<Unattended Lang=\"Chinese\"";
    EXPECT_FALSE(Load(text));
    EXPECT_EQ(ReadBytes(path_), BytesOf(text));
    EXPECT_EQ(config_.LangId, 1033u);
}

// A file nested far deeper than any answer file is no configuration, and is
// left as it was, instead of overflowing the stack in the XML parser.
TEST_F(UnattendedConfigFileTest, DeeplyNestedFileIsNoConfigurationAndUntouched) {
    std::string text = "<Unattended Lang=\"Chinese\"/>";
    for (int i = 0; i < 200000; ++i)
        text += "<e>";
    EXPECT_FALSE(Load(text));
    EXPECT_EQ(ReadBytes(path_), BytesOf(text));
    EXPECT_EQ(config_.LangId, 1033u);
}

// Without a file there is no configuration, and no file is created.
TEST_F(UnattendedConfigFileTest, MissingFileIsNoConfigurationAndNotCreated) {
    EXPECT_FALSE(LoadUnattendedConfig(path_, config_));
    EXPECT_FALSE(IsExistingFile(path_));
}

// A read-only file cannot be completed: its values still apply, its bytes stay
// and no temporary file is left beside it.
TEST_F(UnattendedConfigFileTest, ReadOnlyFileKeepsBytesAndValuesApply) {
    const std::string text = "<Unattended Lang=\"Deutsch\" EndUserLicense=\"Agree\"/>";
    ASSERT_TRUE(WriteBytes(path_, BytesOf(text)));
    ASSERT_TRUE(SetFileAttributesW(WidePtr(path_), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(LoadUnattendedConfig(path_, config_));
    EXPECT_EQ(config_.LangId, 1031u);
    EXPECT_TRUE(config_.EndUserLicenseAgreed);
    EXPECT_EQ(ReadBytes(path_), BytesOf(text));
    EXPECT_EQ(EntriesOf(scratch_.Path()), std::vector<std::u16string>{u"script.ini"});
}

// A rewrite replaces the file and leaves nothing else in the folder.
TEST_F(UnattendedConfigFileTest, RewriteLeavesNoTemporaryFile) {
    ASSERT_TRUE(Load("<Unattended Lang=\"Korean\"/>"));
    EXPECT_EQ(config_.LangId, 1042u);
    EXPECT_EQ(EntriesOf(scratch_.Path()), std::vector<std::u16string>{u"script.ini"});
}

// A Path that does not fit the 259-unit field leaves Program Files in force;
// one of exactly 259 characters is taken.
TEST_F(UnattendedConfigFileTest, OverlongPathLeavesDefault) {
    struct Case {
        size_t Length;
        bool Taken;
    } cases[] = {{259, true}, {260, false}, {300, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Length);
        const std::string folder = "D:\\" + std::string(c.Length - 3, 'p');
        ASSERT_TRUE(Load("<Unattended Lang=\"English\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" HID=\"1\" Path=\"" +
                         folder + "\"/>"));
        EXPECT_EQ(config_.Path, c.Taken ? Utf8ToUtf16(folder) : ProgramFiles());
    }
}

// The configuration's own path may hold characters outside any code page.
TEST_F(UnattendedConfigFileTest, NonAsciiConfigPathWorks) {
    const std::u16string folder = scratch_ / u"\u914D\u7F6E \u00C4\u0416";
    ASSERT_TRUE(CreateDirectoryW(WidePtr(folder), nullptr));
    path_ = folder + u"\\script.ini";
    ASSERT_TRUE(Load("<Unattended Lang=\"Italiano\"/>"));
    EXPECT_EQ(config_.LangId, 1040u);
    EXPECT_EQ(ReadBytes(path_),
              BytesOf("<Unattended Lang=\"Italiano\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" HID=\"1\" Path=\"" +
                      ProgramFilesNarrow() + "\" />\r\n"));
}

// The configuration lies beside the running program.
TEST_F(UnattendedConfigFileTest, ConfigPathIsBesideProgram) {
    EXPECT_EQ(ConfigPathBesideProgram(), FromWide(test_files::ExeFolder() + L"\\script.ini"));
}

}  // namespace
