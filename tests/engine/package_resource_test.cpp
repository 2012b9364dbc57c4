// The installer program carries its package as a resource that reads back
// byte for byte and loads into the expected tree.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/package_resource_win.h"
#include "platform/unique_handle_win.h"
#include "records/installer_state.h"

namespace {

std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text(path);
    return text.substr(0, text.find_last_of(L'\\'));
}

// Wine maps the Linux root to drive Z:.
std::wstring WinePath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
    return path;
}

std::vector<uint8_t> ReadWholeFile(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    UniqueFile owner(file);
    if (!owner)
        return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(owner.Get(), &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(owner.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        bytes.clear();
    return bytes;
}

class PackageResourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::wstring installer = ProgramDirectory() + L"\\TrovalisInstallV7.exe";
        module_.Reset(
            LoadLibraryExW(installer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(module_) << "cannot load " << std::string(installer.begin(), installer.end());
    }

    UniqueModule module_;
};

TEST_F(PackageResourceTest, ResourceHoldsThePackageFileByteForByte) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(FindPackageResource(module_.Get(), &data, &size));
    std::vector<uint8_t> expected = ReadWholeFile(WinePath(EMBEDDED_PACKAGE_UNIX_PATH));
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(size, expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), data));
}

TEST_F(PackageResourceTest, LoadPackageAcceptsTheOpenedResource) {
    PackageResourceBytes bytes;
    ASSERT_EQ(OpenPackageResource(module_.Get(), &bytes), PackageResourceState::Ready);
    InstallerState state;
    ASSERT_TRUE(LoadPackage(state, bytes.Data, bytes.Size));
    ASSERT_TRUE(state.Tree);
    EXPECT_FALSE(state.Tree->AllFiles.empty());
}

TEST_F(PackageResourceTest, DemoPackageLoadsIntoTheShippedLayout) {
    if (!EMBEDS_DEMO_PACKAGE)
        GTEST_SKIP() << "the installer was built with another package";
    PackageResourceBytes bytes;
    ASSERT_EQ(OpenPackageResource(module_.Get(), &bytes), PackageResourceState::Ready);
    // The demo package is shipped compressed.
    EXPECT_EQ(bytes.Check, ContainerCheck::Intact);
    InstallerState state;
    ASSERT_TRUE(LoadPackage(state, bytes.Data, bytes.Size));
    const PackageTree& tree = *state.Tree;
    EXPECT_EQ(tree.RootName, u"ZorvanelleV7");
    EXPECT_EQ(state.Company, u"Zorvanelle");
    EXPECT_EQ(state.Product, u"ZorvanelleV7");
    EXPECT_EQ(std::distance(tree.RootFiles.begin(), tree.RootFiles.end()), 5);
    ASSERT_EQ(std::distance(tree.Folders.begin(), tree.Folders.end()), 1);
    const PackageFolder& driver = tree.Folders.front();
    EXPECT_EQ(driver.Name, u"driver");
    EXPECT_EQ(std::distance(driver.Files.begin(), driver.Files.end()), 12);
    EXPECT_EQ(std::distance(driver.Folders.begin(), driver.Folders.end()), 2);
    // AllFiles is the reverse of reading order: the root's first file is its tail.
    const PackageFile* last = nullptr;
    for (const PackageFile& file : tree.AllFiles)
        last = &file;
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->Name, u"Uninstall.exe");
    ASSERT_NE(state.MainAppFile, nullptr);
    EXPECT_EQ(state.MainAppFile->Name, u"ZorvanellePanelV7.exe");
    EXPECT_EQ(std::distance(state.DriverBatchSetList.begin(), state.DriverBatchSetList.end()), 2);
    ASSERT_FALSE(state.ServiceList.empty());
    EXPECT_EQ(state.ServiceList.front().Description, u"Servicing interface for Zorvanelle Device");
}

TEST_F(PackageResourceTest, ModuleWithoutPackageHasNoResource) {
    // Every other program of the build carries no package.
    const uint8_t* data = nullptr;
    size_t size = 0;
    EXPECT_FALSE(FindPackageResource(nullptr, &data, &size));
    PackageResourceBytes bytes;
    EXPECT_EQ(OpenPackageResource(nullptr, &bytes), PackageResourceState::Missing);
}

}  // namespace
