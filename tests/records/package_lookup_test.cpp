#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/text.h"
#include "records/package.h"
#include "tests/support/shipped_package.h"
#include "tools/package_writer.h"

namespace {

class PackageLookupTest : public ::testing::Test {
  protected:
    void SetUp() override { tree_ = Build(ShippedStoreRoot()); }

    static std::unique_ptr<PackageTree> Build(const StoreFolder& root) {
        const std::vector<uint8_t> store = MakeFileStore(root);
        auto tree = BuildPackageTree(store.data(), store.size());
        EXPECT_NE(tree, nullptr);
        return tree;
    }

    std::unique_ptr<PackageTree> tree_;
};

struct LookupCase {
    std::u16string path;
    const char16_t* expected;  // "folder\name" of the file found, or null
};

TEST_F(PackageLookupTest, FindsFilesByPackagePath) {
    const LookupCase cases[] = {
        {u"License.txt", u"License.txt"},
        {u".\\License.txt", u"License.txt"},
        {u"\\License.txt", u"License.txt"},
        {u"license.txt", nullptr},
        {u"driver\\UninstallUsbDriverx64.bat", u"driver\\UninstallUsbDriverx64.bat"},
        {u"driver\\uninstallusbdriverx64.bat", nullptr},
        {u"driver\\UninstallUsbDriverX64.bat", nullptr},
        {u"InstallHIDDriverX86.bat", nullptr},
        {u".\\driver\\USB\\i386\\ZorvUsb32.sys", u"driver\\USB\\i386\\ZorvUsb32.sys"},
        {u"driver\\USB\\i386\\ZorvUsb32.sys", u"driver\\USB\\i386\\ZorvUsb32.sys"},
        {u"USB\\i386\\ZorvUsb32.sys", nullptr},
        {u"driver\\ZorvUsb32.sys", nullptr},
        {u"driver\\", nullptr},
        {u"", nullptr},
        {u".", nullptr},
        {u"\\", nullptr},
        {u".\\", nullptr},
        {u"\\\\License.txt", nullptr},
        {u"xLicense.txt", nullptr},
    };
    for (const LookupCase& c : cases) {
        const PackageFile* file = FindPackageFile(*tree_, c.path);
        const std::string shown = Utf16ToUtf8(c.path);
        if (!c.expected) {
            EXPECT_EQ(file, nullptr) << shown;
            continue;
        }
        ASSERT_NE(file, nullptr) << shown;
        EXPECT_EQ(file->Folder ? file->Folder->Name + u"\\" + file->Name : file->Name, c.expected) << shown;
    }
}

// Only a real ".\" prefix is skipped: a name that starts with a dot is looked
// up whole.
TEST_F(PackageLookupTest, LooksUpDotNamesWhole) {
    auto tree = Build(StoreFolder{u"Root", {{u".hidden", {1}}, {u"idden", {2}}}, {}});
    ASSERT_NE(tree, nullptr);
    const PackageFile* file = FindPackageFile(*tree, u".hidden");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Name, u".hidden");
    EXPECT_EQ(FindPackageFile(*tree, u".idden"), nullptr);
}

// A path finds a file only in the folder it names, though another folder
// holds a file of the same shape.
TEST_F(PackageLookupTest, FindsFileOfExactFolderOnly) {
    const PackageFile* hid = FindPackageFile(*tree_, u"driver\\HID\\amd64\\ZorvHid64.sys");
    ASSERT_NE(hid, nullptr);
    EXPECT_EQ(hid->Folder->Name, u"driver\\HID\\amd64");
    EXPECT_EQ(FindPackageFile(*tree_, u"driver\\USB\\amd64\\ZorvHid64.sys"), nullptr);
}

}  // namespace
