#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/panel_config.h"
#include "tests/support/scratch_files_win.h"

namespace {

std::vector<uint8_t> BytesOf(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

class PanelConfigFileTest : public ::testing::Test {
  protected:
    const PanelConfig chinese_{2052, kPanelLoopbackAddress, kPanelPort};
    const std::string chineseFile_ =
        "<Lang Id=\"0x0804\" />\r\n"
        "<IPEndpoint IP=\"127.0.0.1\" Port=\"7550\" />\r\n";
    ScratchFolder scratch_;
};

// The file holds the two elements, each line ending in CR LF, and nothing else.
TEST_F(PanelConfigFileTest, WrittenFileHoldsExactlyTwoCrLfLines) {
    std::u16string path = scratch_ / u"PanelConfig.ini";
    ASSERT_TRUE(WritePanelConfig(chinese_, path));
    EXPECT_EQ(ReadBytes(path), BytesOf(chineseFile_));
}

// Writing again empties the file first: one copy of each element, with the newer values.
TEST_F(PanelConfigFileTest, WritingTwiceLeavesOneCopy) {
    std::u16string path = scratch_ / u"PanelConfig.ini";
    ASSERT_TRUE(WritePanelConfig({1033, kPanelLoopbackAddress, 0}, path));
    ASSERT_TRUE(WritePanelConfig(chinese_, path));
    EXPECT_EQ(ReadBytes(path), BytesOf(chineseFile_));
}

// A longer file that was there before is replaced, not overwritten in part.
TEST_F(PanelConfigFileTest, WritingReplacesLongerExistingFile) {
    std::u16string path = scratch_ / u"PanelConfig.ini";
    ASSERT_TRUE(WriteBytes(path, std::vector<uint8_t>(500, 'x')));
    ASSERT_TRUE(WritePanelConfig(chinese_, path));
    EXPECT_EQ(ReadBytes(path), BytesOf(chineseFile_));
}

// A missing folder makes the open fail: false and no file.
TEST_F(PanelConfigFileTest, MissingFolderGivesFalse) {
    std::u16string path = scratch_ / u"ZorvanelleV7\\PanelConfig.ini";
    EXPECT_FALSE(WritePanelConfig(chinese_, path));
    EXPECT_FALSE(IsExistingFile(path));
}

// A folder name outside any narrow code page is used as it is.
TEST_F(PanelConfigFileTest, PathWithNonAsciiCharactersWorks) {
    std::u16string folder = scratch_ / u"\u914D\u7F6E \u00C4\u0416";
    ASSERT_TRUE(CreateDirectoryW(WidePtr(folder), nullptr));
    std::u16string path = folder + u"\\PanelConfig.ini";
    ASSERT_TRUE(WritePanelConfig(chinese_, path));
    EXPECT_EQ(ReadBytes(path), BytesOf(chineseFile_));
}

// A hard link planted as the file loses its name only: the file it shares keeps its bytes.
TEST_F(PanelConfigFileTest, HardLinkPlantedAsTheFileKeepsItsTarget) {
    const std::u16string other = scratch_ / u"other.dll";
    const std::u16string path = scratch_ / u"PanelConfig.ini";
    ASSERT_TRUE(WriteBytes(other, {'M', 'Z', 1, 2}));
    ASSERT_TRUE(CreateHardLinkW(WidePtr(path), WidePtr(other), nullptr));
    ASSERT_TRUE(WritePanelConfig(chinese_, path));
    EXPECT_EQ(ReadBytes(path), BytesOf(chineseFile_));
    EXPECT_EQ(ReadBytes(other), (std::vector<uint8_t>{'M', 'Z', 1, 2}));
}

// A link planted as the folder is not followed: its target gets no file.
TEST_F(PanelConfigFileTest, FolderThatIsALinkGetsNoFile) {
    std::u16string target = scratch_ / u"target";
    std::u16string link = scratch_ / u"ZorvanelleV7";
    ASSERT_TRUE(CreateDirectoryW(WidePtr(target), nullptr));
    constexpr DWORD kAllowUnprivileged = 0x2;
    CreateSymbolicLinkW(WidePtr(link), WidePtr(target), SYMBOLIC_LINK_FLAG_DIRECTORY | kAllowUnprivileged);
    DWORD attributes = AttributesOf(link);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "cannot create a directory link here (Wine 8: CreateSymbolicLinkW reports success but "
                        "creates nothing); DirectoryWalkTest covers links swapped in with a fake file system";
    EXPECT_FALSE(WritePanelConfig(chinese_, link + u"\\PanelConfig.ini"));
    EXPECT_FALSE(IsExistingFile(target + u"\\PanelConfig.ini"));
}

}  // namespace
