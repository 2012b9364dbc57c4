#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/program_folder.h"
#include "platform/text.h"
#include "records/installer_state.h"
#include "records/package.h"
#include "tests/support/package_paths.h"
#include "tests/support/shipped_package.h"
#include "tools/package_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Hand-assembled FileStore bytes for shapes the writer never produces.
class RawStore {
  public:
    RawStore(int32_t files, int32_t folders, std::u16string_view root = u"Root") {
        AppendU32LE(bytes_, 0);
        AppendU32LE(bytes_, static_cast<uint32_t>(files));
        AppendU32LE(bytes_, static_cast<uint32_t>(folders));
        AppendString16(bytes_, root);
    }
    size_t Here() const { return bytes_.size(); }
    RawStore& File(std::u16string_view name, const Bytes& data) { return File(name, data, data.size()); }
    RawStore& File(std::u16string_view name, const Bytes& data, uint32_t declaredSize) {
        AppendU32LE(bytes_, declaredSize);
        AppendString16(bytes_, name);
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        return *this;
    }
    RawStore& Folder(uint32_t contentOffset, int32_t files, int32_t folders, std::u16string_view name) {
        AppendU32LE(bytes_, contentOffset);
        AppendU32LE(bytes_, static_cast<uint32_t>(files));
        AppendU32LE(bytes_, static_cast<uint32_t>(folders));
        AppendString16(bytes_, name);
        return *this;
    }
    RawStore& Raw(const Bytes& bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    void Patch(size_t at, uint32_t value) {
        for (size_t i = 0; i < 4; ++i)
            bytes_[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    // The bytes with StoreSize set to their length (or to `storeSize`).
    Bytes Finish() { return Finish(static_cast<uint32_t>(bytes_.size())); }
    Bytes Finish(uint32_t storeSize) {
        Patch(0, storeSize);
        return bytes_;
    }

  private:
    Bytes bytes_;
};

// Offset of the first record after the root header of RawStore(…, u"Root").
constexpr uint32_t kAfterRoot = 12 + 10;

void PatchU32(Bytes& bytes, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t ReadU32(const Bytes& bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

std::vector<std::u16string> FolderNames(const std::forward_list<PackageFolder>& folders) {
    std::vector<std::u16string> names;
    for (const PackageFolder& folder : folders)
        names.push_back(folder.Name);
    return names;
}

int g_releasedHandles = 0;
void CountRelease(void*) {
    ++g_releasedHandles;
}

class PackageReaderTest : public ::testing::Test {
  protected:
    bool Load(const Bytes& bytes) { return LoadPackage(state_, bytes.data(), bytes.size(), &reason_); }

    // Builds from an exact-size heap copy, so a read past the end is caught
    // by AddressSanitizer.
    std::unique_ptr<PackageTree> Build(const Bytes& store) {
        return BuildPackageTree(store.data(), store.size(), &reason_);
    }

    bool LoadStore(const Bytes& store) { return Load(MakePackage(MakeScriptBlock({}), store)); }

    void LoadShipped(StoreLayout layout = StoreLayout::DepthFirst) {
        ASSERT_TRUE(Load(ShippedPackage(layout))) << reason_;
        tree_ = state_.Tree.get();
    }

    void ExpectEmptyState() {
        EXPECT_EQ(state_.Tree, nullptr);
        EXPECT_TRUE(state_.Company.empty());
        EXPECT_TRUE(state_.Product.empty());
        EXPECT_EQ(state_.MainAppFile, nullptr);
        EXPECT_EQ(state_.UninstallerFile, nullptr);
        EXPECT_TRUE(state_.ProgramsShortcutList.empty());
        EXPECT_TRUE(state_.ServiceList.empty());
        EXPECT_TRUE(state_.DriverBatchSetList.empty());
        EXPECT_TRUE(state_.LicenseList.empty());
    }

    InstallerState state_;
    const PackageTree* tree_ = nullptr;
    std::string reason_;
};

// ---------------------------------------------------------------------------
// Sizes

TEST_F(PackageReaderTest, AcceptsShippedLikePackage) {
    LoadShipped();
    EXPECT_EQ(tree_->RootName, kShippedRootName);
}

struct SizeCase {
    const char* name;
    std::function<void(Bytes&)> damage;
};

// TotalSize must equal 4 + ScriptSize + StoreSize and the bytes given.
TEST_F(PackageReaderTest, RejectsInconsistentSizes) {
    const Bytes good = ShippedPackage();
    const size_t storeAt = 4 + ReadU32(good, 4);
    const SizeCase cases[] = {
        {"TotalSize one larger", [](Bytes& b) { PatchU32(b, 0, ReadU32(b, 0) + 1); }},
        {"TotalSize one smaller", [](Bytes& b) { PatchU32(b, 0, ReadU32(b, 0) - 1); }},
        {"one byte more than TotalSize", [](Bytes& b) { b.push_back(0); }},
        {"one byte less than TotalSize", [](Bytes& b) { b.pop_back(); }},
        {"TotalSize and bytes one larger than the blocks",
         [](Bytes& b) {
             b.push_back(0);
             PatchU32(b, 0, static_cast<uint32_t>(b.size()));
         }},
        {"ScriptSize one larger", [](Bytes& b) { PatchU32(b, 4, ReadU32(b, 4) + 1); }},
        {"ScriptSize one smaller", [](Bytes& b) { PatchU32(b, 4, ReadU32(b, 4) - 1); }},
        {"StoreSize one larger", [&](Bytes& b) { PatchU32(b, storeAt, ReadU32(b, storeAt) + 1); }},
        {"StoreSize one smaller", [&](Bytes& b) { PatchU32(b, storeAt, ReadU32(b, storeAt) - 1); }},
        {"ScriptSize past the bytes", [](Bytes& b) { PatchU32(b, 4, 0xFFFFFFF0u); }},
    };
    for (const SizeCase& c : cases) {
        Bytes bytes = good;
        c.damage(bytes);
        EXPECT_FALSE(Load(bytes)) << c.name;
        ExpectEmptyState();
    }
}

// A ScriptSize of 1 to 3 puts StoreSize inside the ScriptSize field; the
// bytes are made so that the sizes still add up and the store there would
// read as a valid empty root.
Bytes PackageWithScriptSize(uint32_t scriptSize) {
    const size_t storeAt = 4 + scriptSize;
    const uint64_t storeSize = uint64_t{1} << (8 * (8 - storeAt));  // a 1 in byte 8
    Bytes bytes(storeAt + storeSize, 0);
    PatchU32(bytes, 0, static_cast<uint32_t>(bytes.size()));
    bytes[4] = static_cast<uint8_t>(scriptSize);
    bytes[8] = 1;
    bytes[storeAt + 12] = 'R';
    return bytes;
}

TEST_F(PackageReaderTest, RejectsScriptSizeBelowItsOwnField) {
    for (uint32_t scriptSize = 1; scriptSize < 4; ++scriptSize)
        EXPECT_FALSE(Load(PackageWithScriptSize(scriptSize))) << "ScriptSize " << scriptSize;
    Bytes zero(8, 0);
    PatchU32(zero, 0, 8);
    EXPECT_FALSE(Load(zero));
}

TEST_F(PackageReaderTest, RejectsPackageShorterThanHeader) {
    for (size_t size = 0; size < 12; ++size) {
        Bytes bytes(size, 0);
        if (size >= 4)
            PatchU32(bytes, 0, static_cast<uint32_t>(size));
        EXPECT_FALSE(Load(bytes)) << size << " bytes";
    }
}

TEST_F(PackageReaderTest, ExplainsRejection) {
    Bytes bytes = ShippedPackage();
    PatchU32(bytes, 0, ReadU32(bytes, 0) + 1);
    EXPECT_FALSE(Load(bytes));
    EXPECT_NE(reason_.find("TotalSize"), std::string::npos) << reason_;
}

// ---------------------------------------------------------------------------
// Tree

TEST_F(PackageReaderTest, ReadsRootFilesHeadFirstInReverse) {
    LoadShipped();
    std::vector<std::u16string> names;
    for (const PackageFile* file : tree_->RootFiles)
        names.push_back(file->Name);
    const std::vector<std::u16string> expected = {kShippedLicense, kShippedPanel, kShippedService,
                                                  u"ZorvanelleClientV7.dll", kShippedUninstaller};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(tree_->FileCount, 5);
    EXPECT_EQ(tree_->FolderCount, 1);
}

// AllFiles is the reverse of reading order: root files, then every folder
// depth first, subfolders in list order (the reverse of record order).
TEST_F(PackageReaderTest, OrdersAllFilesAsReverseOfReadingOrder) {
    LoadShipped();
    std::vector<std::u16string> readingOrder = {
        u"Uninstall.exe",
        u"ZorvanelleClientV7.dll",
        u"ZorvanelleServiceV7.exe",
        u"ZorvanellePanelV7.exe",
        u"License.txt",
        u"driver\\InstallHIDDriverX86.bat",
        u"driver\\InstallHIDDriverX64.bat",
        u"driver\\UninstallHIDDriverX86.bat",
        u"driver\\UninstallHIDDriverX64.bat",
        u"driver\\InstallUsbDriverX86.bat",
        u"driver\\InstallUsbDriverX64.bat",
        u"driver\\UninstallUsbDriverX86.bat",
        u"driver\\UninstallUsbDriverx64.bat",
        u"driver\\DevConsoleX86.exe",
        u"driver\\DevConsoleX64.exe",
        u"driver\\DevConsoleX86.dll",
        u"driver\\DevConsoleX64.dll",
        u"driver\\HID\\ZorvHid.inf",
        u"driver\\HID\\ZorvHid.cat",
        u"driver\\HID\\ZorvHid.txt",
        u"driver\\HID\\amd64\\ZorvHid64.sys",
        u"driver\\HID\\amd64\\ZorvHidCo64.dll",
        u"driver\\HID\\i386\\ZorvHid32.sys",
        u"driver\\HID\\i386\\ZorvHidCo32.dll",
        u"driver\\USB\\ZorvUsb.inf",
        u"driver\\USB\\ZorvUsb.cat",
        u"driver\\USB\\ZorvUsb.txt",
        u"driver\\USB\\amd64\\ZorvUsb64.sys",
        u"driver\\USB\\amd64\\ZorvUsbCo64.dll",
        u"driver\\USB\\i386\\ZorvUsb32.sys",
        u"driver\\USB\\i386\\ZorvUsbCo32.dll",
    };
    const std::vector<std::u16string> expected(readingOrder.rbegin(), readingOrder.rend());
    EXPECT_EQ(RelativePathsInWriteOrder(*tree_), expected);
}

TEST_F(PackageReaderTest, ListsSubfoldersInReverseRecordOrder) {
    LoadShipped();
    ASSERT_EQ(FolderNames(tree_->Folders), std::vector<std::u16string>{u"driver"});
    const PackageFolder& driver = tree_->Folders.front();
    EXPECT_EQ(FolderNames(driver.Folders), (std::vector<std::u16string>{u"driver\\HID", u"driver\\USB"}));
    EXPECT_EQ(FolderNames(driver.Folders.front().Folders),
              (std::vector<std::u16string>{u"driver\\HID\\amd64", u"driver\\HID\\i386"}));
    EXPECT_EQ(driver.FileCount, 12);
    EXPECT_EQ(driver.FolderCount, 2);
}

TEST_F(PackageReaderTest, LinksEveryFileToItsFolderTreeAndBytes) {
    LoadShipped();
    for (const PackageFile& file : tree_->AllFiles) {
        EXPECT_EQ(file.Tree, tree_);
        EXPECT_EQ(BytesOf(file), StandInContent(file.Name)) << Utf16ToUtf8(RelativePathOf(file));
        if (file.Folder) {
            const auto& files = file.Folder->Files;
            EXPECT_NE(std::find(files.begin(), files.end(), &file), files.end()) << Utf16ToUtf8(RelativePathOf(file));
        }
    }
}

TEST_F(PackageReaderTest, ReadsReverseLayoutAsSameTree) {
    LoadShipped(StoreLayout::DepthFirst);
    const std::vector<std::u16string> depthFirst = RelativePathsInWriteOrder(*tree_);
    const uint32_t driverOffset = tree_->Folders.front().ContentOffset;
    LoadShipped(StoreLayout::ReverseDepthFirst);
    EXPECT_EQ(RelativePathsInWriteOrder(*tree_), depthFirst);
    EXPECT_NE(tree_->Folders.front().ContentOffset, driverOffset);
    for (const PackageFile& file : tree_->AllFiles)
        EXPECT_EQ(BytesOf(file), StandInContent(file.Name)) << Utf16ToUtf8(RelativePathOf(file));
}

TEST_F(PackageReaderTest, KeepsEmptyFileWithoutData) {
    ASSERT_TRUE(LoadStore(RawStore(1, 0).File(u"empty.txt", {}).Finish())) << reason_;
    const PackageFile& file = state_.Tree->AllFiles.front();
    EXPECT_EQ(file.Size, 0u);
    EXPECT_EQ(file.Data, nullptr);
    EXPECT_EQ(file.Folder, nullptr);
}

// A copied tree keeps its files' bytes when the caller's bytes are gone; a
// borrowed one points into the caller's bytes and copies nothing.
TEST_F(PackageReaderTest, CopiesOrBorrowsTheFilesBytesAsAsked) {
    auto package = std::make_unique<Bytes>(ShippedPackage(StoreLayout::DepthFirst));
    const uint8_t* begin = package->data();
    const uint8_t* end = begin + package->size();
    ASSERT_TRUE(LoadPackage(state_, package->data(), package->size(), &reason_, PackageBytes::Borrow)) << reason_;
    EXPECT_TRUE(state_.Tree->OwnedStore.empty());
    for (const PackageFile& file : state_.Tree->AllFiles)
        EXPECT_TRUE(file.Size == 0 || (file.Data >= begin && file.Data + file.Size <= end));
    ASSERT_TRUE(LoadPackage(state_, package->data(), package->size(), &reason_, PackageBytes::Copy)) << reason_;
    package.reset();
    for (const PackageFile& file : state_.Tree->AllFiles)
        EXPECT_EQ(BytesOf(file), StandInContent(file.Name)) << Utf16ToUtf8(RelativePathOf(file));
}

TEST_F(PackageReaderTest, JoinsProgramFolderAndRootNameForFirstInstallFolder) {
    LoadShipped();
    ASSERT_FALSE(ProgramFolder().empty());
    EXPECT_EQ(tree_->InstallFolder, ProgramFolder() + u"\\" + kShippedRootName);
}

TEST_F(PackageReaderTest, KeepsRootNameAsInstallFolderWhenJoinWouldBeTooLong) {
    const std::u16string longRoot(259, u'r');
    auto tree = Build(RawStore(0, 0, longRoot).Finish());
    ASSERT_NE(tree, nullptr) << reason_;
    EXPECT_EQ(tree->InstallFolder, longRoot);
}

// A chain of folders nested thousands deep is read and freed without
// recursing per level.
TEST_F(PackageReaderTest, ReadsDeeplyNestedFolders) {
    constexpr int kDepth = 100000;
    RawStore store(0, 1);
    for (int level = 0; level < kDepth; ++level) {
        const size_t record = store.Here();
        store.Folder(0, 0, level + 1 < kDepth ? 1 : 0, u"a");
        store.Patch(record, static_cast<uint32_t>(store.Here()));
    }
    auto tree = Build(store.Finish());
    ASSERT_NE(tree, nullptr) << reason_;
    int depth = 0;
    for (const PackageFolder* folder = &tree->Folders.front(); folder;
         folder = folder->Folders.empty() ? nullptr : &folder->Folders.front())
        ++depth;
    EXPECT_EQ(depth, kDepth);
}

// ---------------------------------------------------------------------------
// Structural faults

struct StoreCase {
    const char* name;
    std::function<Bytes()> make;
    bool valid;
};

TEST_F(PackageReaderTest, ValidatesStoreStructure) {
    const Bytes two = {'x', 'y'};
    const StoreCase cases[] = {
        {"one file ending at StoreSize", [&] { return RawStore(1, 0).File(u"a", two).Finish(); }, true},
        {"file count beyond the records", [&] { return RawStore(2, 0).File(u"a", two).Finish(); }, false},
        {"DataSize one past the store", [&] { return RawStore(1, 0).File(u"a", two, 3).Finish(); }, false},
        {"DataSize 0xFFFFFFFF", [&] { return RawStore(1, 0).File(u"a", two, 0xFFFFFFFFu).Finish(); }, false},
        {"file name unterminated",
         [&] {
             return RawStore(1, 0).Raw({2, 0, 0, 0, 'a', 0}).Finish();
         },
         false},
        {"file name of 259 units", [&] { return RawStore(1, 0).File(std::u16string(259, u'n'), two).Finish(); }, true},
        {"file name of 260 units", [&] { return RawStore(1, 0).File(std::u16string(260, u'n'), two).Finish(); }, false},
        {"folder name of 260 units", [&] { return RawStore(0, 1).Folder(0, 0, 0, std::u16string(260, u'n')).Finish(); },
         false},
        {"root name of 260 units", [&] { return RawStore(0, 0, std::u16string(260, u'n')).Finish(); }, false},
        {"folder count beyond the records", [&] { return RawStore(0, 2).Folder(0, 0, 0, u"A").Finish(); }, false},
        {"negative counts read nothing", [&] { return RawStore(-1, -5).Finish(); }, true},
        {"file count 0x7FFFFFFF", [&] { return RawStore(0x7FFFFFFF, 0).File(u"a", two).Finish(); }, false},
        {"empty folder at StoreSize",
         [&] {
             RawStore s(0, 1);
             s.Folder(0, 0, 0, u"A");
             s.Patch(kAfterRoot, static_cast<uint32_t>(s.Here()));
             return s.Finish();
         },
         true},
        {"empty folder past StoreSize",
         [&] {
             RawStore s(0, 1);
             s.Folder(0, 0, 0, u"A");
             s.Patch(kAfterRoot, static_cast<uint32_t>(s.Here()) + 1);
             return s.Finish();
         },
         false},
        {"folder content past StoreSize",
         [&] {
             RawStore s(0, 1);
             s.Folder(0x7FFFFFF0u, 1, 0, u"A");
             return s.Finish();
         },
         false},
        {"folder whose content is its own record",
         [&] { return RawStore(0, 1).Folder(kAfterRoot, 0, 1, u"A").Finish(); }, false},
        {"two folders sharing a region",
         [&] {
             RawStore s(0, 2);
             s.Folder(0, 1, 0, u"A").Folder(0, 1, 0, u"B");
             const uint32_t region = static_cast<uint32_t>(s.Here());
             s.File(u"f", two);
             s.Patch(kAfterRoot, region);
             s.Patch(kAfterRoot + 16, region);
             return s.Finish();
         },
         false},
        {"two empty folders sharing an offset",
         [&] { return RawStore(0, 2).Folder(4, 0, 0, u"A").Folder(4, 0, 0, u"B").Finish(); }, true},
        {"region inside the root header", [&] { return RawStore(0, 1).Folder(4, 1, 0, u"A").Finish(); }, false},
        {"region inside a file's bytes",
         [&] {
             Bytes hidden;
             AppendU32LE(hidden, 0);
             AppendString16(hidden, u"h");
             RawStore s(1, 1);
             s.File(u"f", hidden);
             s.Folder(kAfterRoot + 4 + 4, 1, 0, u"A");
             return s.Finish();
         },
         false},
        {"StoreSize larger than the bytes", [&] { return RawStore(0, 0).Finish(23); }, false},
        {"StoreSize cutting the root name", [&] { return RawStore(0, 0).Finish(20); }, false},
        {"StoreSize cutting the root header", [&] { return RawStore(0, 0).Finish(8); }, false},
        {"StoreSize 0", [&] { return RawStore(0, 0).Finish(0); }, false},
    };
    for (const StoreCase& c : cases) {
        const Bytes store = c.make();
        EXPECT_EQ(Build(store) != nullptr, c.valid) << c.name << ": " << reason_;
        EXPECT_EQ(LoadStore(store), c.valid) << c.name;
        if (!c.valid)
            ExpectEmptyState();
    }
}

struct NameCase {
    std::u16string name;
    bool valid;
};

TEST_F(PackageReaderTest, RejectsFileNamesThatLeaveTheirFolder) {
    const NameCase cases[] = {
        {u"License.txt", true},
        {u".hidden", true},
        {u"a..b", true},
        {u"", false},
        {u".", false},
        {u"..", false},
        {u"a\\b", false},
        {u"\\a", false},
        {u"a/b", false},
        {u"c:", false},
        {u"a:b", false},
        // Windows drops trailing full stops and blanks: ".. " would be the parent.
        {u".. ", false},
        {u"...", false},
        {u"a.", false},
        {u"a ", false},
        {u"a b", true},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(Build(RawStore(1, 0).File(c.name, {1}).Finish()) != nullptr, c.valid)
            << "file name [" << Utf16ToUtf8(c.name) << "]";
        RawStore nested(0, 1);
        nested.Folder(0, 1, 0, u"A");
        nested.Patch(kAfterRoot, static_cast<uint32_t>(nested.Here()));
        nested.File(c.name, {1});
        EXPECT_EQ(Build(nested.Finish()) != nullptr, c.valid) << "nested file name [" << Utf16ToUtf8(c.name) << "]";
    }
}

TEST_F(PackageReaderTest, RejectsFolderNamesThatLeaveTheInstallFolder) {
    const NameCase cases[] = {
        {u"driver", true},
        {u"driver\\USB\\i386", true},
        {u".config", true},
        {u"", false},
        {u".", false},
        {u"..", false},
        {u"\\driver", false},
        {u"driver\\", false},
        {u"driver\\\\USB", false},
        {u"driver\\..", false},
        {u"..\\x", false},
        {u"driver\\.\\x", false},
        {u"driver\\.. \\x", false},
        {u"driver.", false},
        {u"driver/USB", false},
        {u"c:\\x", false},
        {u"c:", false},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(Build(RawStore(0, 1).Folder(4, 0, 0, c.name).Finish()) != nullptr, c.valid)
            << "folder name [" << Utf16ToUtf8(c.name) << "]";
}

TEST_F(PackageReaderTest, RejectsRootNamesThatAreNotPlainNames) {
    const NameCase cases[] = {{u"ZorvanelleV7", true}, {u"", false}, {u"..", false}, {u"a\\b", false}, {u"c:", false}};
    for (const NameCase& c : cases)
        EXPECT_EQ(Build(RawStore(0, 0, c.name).Finish()) != nullptr, c.valid)
            << "root name [" << Utf16ToUtf8(c.name) << "]";
}

TEST_F(PackageReaderTest, ExplainsStructuralFault) {
    RawStore s(0, 1);
    s.Folder(0x1234, 0, 0, u"A");
    EXPECT_EQ(Build(s.Finish()), nullptr);
    EXPECT_NE(reason_.find("outside the store"), std::string::npos) << reason_;
}

// ---------------------------------------------------------------------------
// Truncation

// Every prefix of a package, with TotalSize left alone or patched to the cut
// length, is rejected without reading past the bytes given.
TEST_F(PackageReaderTest, RejectsEveryTruncation) {
    const Bytes good = ShippedPackage();
    for (size_t length = 0; length < good.size(); ++length) {
        Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(Load(cut)) << length;
        if (length >= 4) {
            PatchU32(cut, 0, static_cast<uint32_t>(length));
            EXPECT_FALSE(Load(cut)) << length << " with TotalSize patched";
        }
    }
}

// A store cut anywhere, with every size field patched to agree, still lacks
// records its counts announce.
TEST_F(PackageReaderTest, RejectsEveryTruncatedStoreWithConsistentSizes) {
    const Bytes script = ShippedScriptBlock();
    const Bytes store = MakeFileStore(ShippedStoreRoot());
    for (size_t length = 0; length < store.size(); ++length) {
        Bytes cut(store.begin(), store.begin() + static_cast<std::ptrdiff_t>(length));
        if (length >= 4)
            PatchU32(cut, 0, static_cast<uint32_t>(length));
        EXPECT_FALSE(Load(MakePackage(script, cut))) << length;
        EXPECT_EQ(state_.Tree, nullptr);
    }
}

// ---------------------------------------------------------------------------
// State handling

TEST_F(PackageReaderTest, ReplacesEarlierPackageOnSecondLoad) {
    LoadShipped();
    const Bytes script = MakeScriptBlock(
        EncodeScriptBody({MakeTextCommand(kScriptCompany, u"Other"), MakePathCommand(kScriptMainApp, u"only.exe")}));
    ASSERT_TRUE(Load(MakePackage(script, RawStore(1, 0, u"Second").File(u"only.exe", {7}).Finish()))) << reason_;
    EXPECT_EQ(state_.Tree->RootName, u"Second");
    EXPECT_EQ(RelativePathsInWriteOrder(*state_.Tree), std::vector<std::u16string>{u"only.exe"});
    EXPECT_EQ(state_.Company, u"Other");
    EXPECT_EQ(state_.Product, kShippedProduct);  // not named again: left as it was
    ASSERT_NE(state_.MainAppFile, nullptr);
    EXPECT_EQ(state_.MainAppFile->Tree, state_.Tree.get());
    EXPECT_EQ(state_.UninstallerFile, nullptr);
    EXPECT_TRUE(state_.ServiceList.empty());
    EXPECT_TRUE(state_.DriverBatchSetList.empty());
}

TEST_F(PackageReaderTest, ClearsEverythingWhenSecondLoadFails) {
    LoadShipped();
    Bytes bad = ShippedPackage();
    bad.pop_back();
    EXPECT_FALSE(Load(bad));
    ExpectEmptyState();
}

TEST_F(PackageReaderTest, ReleasesWorkerHandleWithoutWaiting) {
    g_releasedHandles = 0;
    static int handle;
    state_.WorkerThread = WorkerThreadHandle(&handle, &CountRelease);
    state_.Running = true;
    LoadShipped();
    EXPECT_EQ(g_releasedHandles, 1);
    EXPECT_FALSE(state_.WorkerThread);
    EXPECT_FALSE(state_.Running);
}

TEST_F(PackageReaderTest, LeavesRunningAloneWithoutWorkerHandle) {
    state_.Running = true;
    LoadShipped();
    EXPECT_TRUE(state_.Running);
}

}  // namespace
