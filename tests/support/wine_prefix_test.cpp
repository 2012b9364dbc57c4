// The scratch machine every Windows suite runs on looks like a standard
// Windows: shell folders are real folders of its own, Arial resolves, the
// processor architecture is the one the suite asked for.
#include <windows.h>
#include <gdiplus.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class WinePrefixTest : public ::testing::Test {};

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE))
        return L"";
    return path;
}

TEST_F(WinePrefixTest, ShellFoldersAreRealFoldersInsideThePrefix) {
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_PROGRAMS, CSIDL_COMMON_DOCUMENTS}) {
        std::wstring path = SpecialFolder(csidl);
        ASSERT_FALSE(path.empty()) << "CSIDL " << csidl;
        EXPECT_EQ(path.rfind(L"C:\\", 0), 0u) << "CSIDL " << csidl;
        DWORD attributes = GetFileAttributesW(path.c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "CSIDL " << csidl;
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_FALSE(attributes & FILE_ATTRIBUTE_REPARSE_POINT) << "CSIDL " << csidl << " is a link to the host";
    }
}

TEST_F(WinePrefixTest, ArialAndAChineseFontAreAvailableToGdiPlus) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    {
        Gdiplus::FontFamily arial(L"Arial");
        EXPECT_EQ(arial.GetLastStatus(), Gdiplus::Ok);
        Gdiplus::FontFamily chinese(L"WenQuanYi Micro Hei");
        EXPECT_EQ(chinese.GetLastStatus(), Gdiplus::Ok);
    }
    Gdiplus::GdiplusShutdown(token);
}

TEST_F(WinePrefixTest, ProcessorArchitectureMatchesThePrefix) {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
#ifdef EXPECT_X86_MACHINE
    EXPECT_EQ(info.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
#else
    EXPECT_EQ(info.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);
#endif
}

}  // namespace
