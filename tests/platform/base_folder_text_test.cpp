// Which texts may name the base folder of an elevated installation, judged
// on facts built here as GetFullPathNameW and GetDriveTypeW would give them.
#include "platform/base_folder_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char16_t kProgramFilesX86[] = u"C:\\Program Files (x86)";

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

TEST(BaseFolderTextTest, OnlyPlainAbsolutePathsOnLocalFixedDrivesAreTakenInTheirCanonicalForm) {
    struct Case {
        std::u16string Text;
        std::u16string FullPath;  // what GetFullPathNameW gives
        bool Fixed;
        std::optional<std::u16string> Expected;
    };
    const Case cases[] = {
        {u"D:\\Apps", u"D:\\Apps", true, u"D:\\Apps"},
        {u"d:/Apps/", u"d:\\Apps\\", true, u"d:\\Apps"},             // separators as Windows makes them
        {u"C:\\Apps\\..\\Tools", u"C:\\Tools", true, u"C:\\Tools"},  // the canonical form is used
        {u"D:\\", u"D:\\", true, u"D:\\"},                           // a drive root
        {u"Apps", u"C:\\Work\\Apps", true, std::nullopt},            // relative
        {u"\\Apps", u"C:\\Apps", true, std::nullopt},                // rooted, no drive
        {u"C:Apps", u"C:\\Work\\Apps", true, std::nullopt},          // the drive's current folder
        {u"\\\\server\\share\\x", u"\\\\server\\share\\x", false, std::nullopt},
        {u"\\\\?\\C:\\Apps", u"\\\\?\\C:\\Apps", true, std::nullopt},
        {u"\\\\.\\C:\\Apps", u"\\\\.\\C:\\Apps", true, std::nullopt},
        {u"%ProgramData%\\x", u"C:\\Work\\%ProgramData%\\x", true, std::nullopt},
        {u"N:\\Apps", u"N:\\Apps", false, std::nullopt},  // a network or removable drive
        {u"C:\\Apps", u"", true, std::nullopt},           // GetFullPathNameW failed
        {u"C:\\a%b", u"C:\\a%b", true, std::nullopt},
        {u"C:\\a&b", u"C:\\a&b", true, std::nullopt},
        {u"C:\\a^b", u"C:\\a^b", true, std::nullopt},
        {u"C:\\a!b", u"C:\\a!b", true, std::nullopt},
        {u"C:\\a(b)", u"C:\\a(b)", true, std::nullopt},
        {u"C:\\Apps\\NUL", u"C:\\Apps\\NUL", true, std::nullopt},
        {u"C:\\A\"pps", u"C:\\A\"pps", true, std::nullopt},
        {u"C:\\Apps:ads", u"C:\\Apps:ads", true, std::nullopt},
        {u"C:\\a\\\\b", u"C:\\a\\\\b", true, std::nullopt},  // an empty component
        // The system's own "(x86)" is allowed, but not beyond it.
        {u"C:\\Program Files (x86)", u"C:\\Program Files (x86)", true, u"C:\\Program Files (x86)"},
        {u"C:\\Program Files (x86)\\V", u"C:\\Program Files (x86)\\V", true, u"C:\\Program Files (x86)\\V"},
        {u"C:\\Program Files (x86)\\(V)", u"C:\\Program Files (x86)\\(V)", true, std::nullopt},
        {u"C:\\Program Files (x86)x", u"C:\\Program Files (x86)x", true, std::nullopt},
    };
    for (const Case& c : cases) {
        FolderTextFacts facts{c.FullPath, c.Fixed, kProgramFilesX86};
        EXPECT_EQ(CanonicalBaseFolder(c.Text, facts), c.Expected) << Narrow(c.Text);
    }
}

TEST(BaseFolderTextTest, TheProgramFilesFolderIsNeededOnlyForAParenthesis) {
    EXPECT_TRUE(NeedsProgramFilesFact(u"C:\\Program Files (x86)"));
    EXPECT_FALSE(NeedsProgramFilesFact(u"C:\\Program Files"));
    FolderTextFacts withoutIt{u"C:\\Program Files (x86)", true, u""};
    EXPECT_EQ(CanonicalBaseFolder(u"C:\\Program Files (x86)", withoutIt), std::nullopt);
}

}  // namespace
