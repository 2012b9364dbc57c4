// The installation path's rules: a chosen folder, and the window's first path.
#include <gtest/gtest.h>

#include <iterator>

#include "records/install_path.h"

namespace {

struct PathCase {
    const char16_t* Folder;
    const char16_t* Base;  // null: refused
    const char16_t* Full;
};

// A drive root loses its backslash; Company and Product are appended; an
// empty choice is refused.
TEST(InstallPathTest, ChosenFolderGivesBaseFolderAndInstallPath) {
    const PathCase cases[] = {
        {u"D:\\", u"D:", u"D:\\Zorvanelle\\ZorvanelleV7"},
        {u"D:\\Apps", u"D:\\Apps", u"D:\\Apps\\Zorvanelle\\ZorvanelleV7"},
        {u"D:\\Apps\\", u"D:\\Apps", u"D:\\Apps\\Zorvanelle\\ZorvanelleV7"},
        {u"\\\\server\\share", u"\\\\server\\share", u"\\\\server\\share\\Zorvanelle\\ZorvanelleV7"},
        {u"", nullptr, nullptr},
        {u"\\", nullptr, nullptr},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const PathCase& c = cases[i];
        std::optional<InstallPathChoice> choice = InstallPathForFolder(c.Folder, u"Zorvanelle", u"ZorvanelleV7");
        if (!c.Base) {
            EXPECT_FALSE(choice) << "case " << i;
            continue;
        }
        ASSERT_TRUE(choice) << "case " << i;
        EXPECT_EQ(choice->BaseFolder, c.Base);
        EXPECT_EQ(choice->FullInstallPath, c.Full);
    }
}

// The full path may use all 259 characters of its field, not one more.
TEST(InstallPathTest, InstallPathLongerThanItsFieldIsRefused) {
    const std::u16string tail = u"\\Zorvanelle\\ZorvanelleV7";
    std::u16string fits = u"C:\\" + std::u16string(259 - 3 - tail.size(), u'a');
    std::optional<InstallPathChoice> choice = InstallPathForFolder(fits, u"Zorvanelle", u"ZorvanelleV7");
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->FullInstallPath.size(), 259u);
    EXPECT_FALSE(InstallPathForFolder(fits + u'b', u"Zorvanelle", u"ZorvanelleV7"));
}

// The window's first path is cut to its field, never refused.
TEST(InstallPathTest, FirstPathIsCutToItsField) {
    const std::u16string base(300, u'a');
    InstallPathChoice cut = CutInstallPath(base, u"Zorvanelle", u"ZorvanelleV7");
    EXPECT_EQ(cut.BaseFolder, base.substr(0, 259));
    EXPECT_EQ(cut.FullInstallPath, base.substr(0, 259));
    EXPECT_EQ(CutInstallPath(u"D:\\", u"Z", u"P").FullInstallPath, u"D:\\\\Z\\P");
}

}  // namespace
