#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "engine/package_files_win.h"
#include "platform/file_ops_win.h"
#include "tests/support/scratch_files_win.h"

namespace {

constexpr char kNoLinksOnThisSystem[] =
    "cannot create a directory link here (Wine 8: CreateSymbolicLinkW reports success but creates nothing, and "
    "a junction through FSCTL_SET_REPARSE_POINT gives ERROR_NOT_SUPPORTED); DirectoryWalkTest covers the rules";

bool IsLink(const std::u16string& path) {
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A directory symbolic link (needs administrator rights or developer mode on Windows).
bool MakeDirectoryLink(const std::u16string& link, const std::u16string& target) {
    constexpr DWORD kAllowUnprivileged = 0x2;
    return CreateSymbolicLinkW(WidePtr(link), WidePtr(target), SYMBOLIC_LINK_FLAG_DIRECTORY | kAllowUnprivileged) &&
           IsLink(link);
}

std::u16string SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, folder, CSIDL_SYSTEM, FALSE);
    return FromWide(folder);
}

class FileOpsTest : public ::testing::Test {
  protected:
    void MakeDirectories(std::initializer_list<std::u16string_view> names) {
        for (std::u16string_view name : names)
            ASSERT_TRUE(CreateDirectoryW(WidePtr(scratch_ / name), nullptr)) << "cannot create a test folder";
    }
    void MakeFiles(std::initializer_list<std::u16string_view> names) {
        for (std::u16string_view name : names)
            ASSERT_TRUE(WriteBytes(scratch_ / name, {1, 2, 3})) << "cannot create a test file";
    }

    PackageFile SystemFile(std::u16string name, std::vector<uint8_t> data) {
        PackageFile file;
        const std::vector<uint8_t>& kept = bytes_.emplace_back(std::move(data));
        file.Name = std::move(name);
        file.Size = static_cast<uint32_t>(kept.size());
        file.Data = kept.empty() ? nullptr : kept.data();
        return file;
    }

    std::deque<std::vector<uint8_t>> bytes_;  // the files' bytes

    ScratchFolder scratch_;
};

// A file and a directory both exist; a missing name, or a name in a missing folder, does not.
TEST_F(FileOpsTest, PathExistsForFileAndDirectory) {
    MakeDirectories({u"dir"});
    MakeFiles({u"file.txt"});
    EXPECT_TRUE(PathExists(scratch_ / u"dir"));
    EXPECT_TRUE(PathExists(scratch_ / u"file.txt"));
    EXPECT_FALSE(PathExists(scratch_ / u"missing"));
    EXPECT_FALSE(PathExists(scratch_ / u"missing\\file.txt"));
}

// EnsureDirectory creates the last component when nothing of that name exists.
TEST_F(FileOpsTest, EnsureDirectoryCreatesMissingLastComponent) {
    EnsureDirectory(scratch_ / u"new");
    EXPECT_TRUE(IsExistingDirectory(scratch_ / u"new"));
}

// An existing directory (with its content) or an existing file of that name is left as it is.
TEST_F(FileOpsTest, EnsureDirectoryLeavesExistingDirectoryOrFile) {
    MakeDirectories({u"dir"});
    MakeFiles({u"dir\\keep.txt", u"file"});
    EnsureDirectory(scratch_ / u"dir");
    EnsureDirectory(scratch_ / u"file");
    EXPECT_TRUE(IsExistingFile(scratch_ / u"dir\\keep.txt"));
    EXPECT_TRUE(IsExistingFile(scratch_ / u"file"));
}

// Only the last component is created: a missing parent means nothing is created.
TEST_F(FileOpsTest, EnsureDirectoryDoesNotCreateParents) {
    EnsureDirectory(scratch_ / u"a\\b");
    EXPECT_FALSE(PathExists(scratch_ / u"a"));
}

// A tree with A, A\B and A\B\C gets all three below InstallFolder, parents first.
TEST_F(FileOpsTest, CreateInstallDirectoriesCreatesNestedFoldersParentsFirst) {
    PackageTree tree;
    tree.InstallFolder = scratch_ / u"Install";
    PackageFolder& a = tree.Folders.emplace_front();
    a.Name = u"A";
    PackageFolder& b = a.Folders.emplace_front();
    b.Name = u"A\\B";
    b.Folders.emplace_front().Name = u"A\\B\\C";
    tree.Folders.emplace_front().Name = u"Z";

    CreateInstallDirectories(tree);
    EXPECT_TRUE(IsExistingDirectory(scratch_ / u"Install\\A\\B\\C"));
    EXPECT_TRUE(IsExistingDirectory(scratch_ / u"Install\\Z"));
}

// A folder whose path would be longer than 259 units is skipped; the others are still created.
TEST_F(FileOpsTest, CreateInstallDirectoriesSkipsFolderWhosePathIsTooLong) {
    PackageTree tree;
    tree.InstallFolder = scratch_ / u"Install";
    tree.Folders.emplace_front().Name = std::u16string(260, u'x');
    tree.Folders.emplace_front().Name = u"Short";
    CreateInstallDirectories(tree);
    EXPECT_TRUE(IsExistingDirectory(scratch_ / u"Install\\Short"));
}

// Every file and subdirectory goes, then the directory itself.
TEST_F(FileOpsTest, DeleteDirectoryTreeRemovesEverything) {
    MakeDirectories({u"t", u"t\\a", u"t\\a\\b", u"t\\empty"});
    MakeFiles({u"t\\f.txt", u"t\\a\\g", u"t\\a\\b\\h.bin", u"t\\noextension"});
    DeleteDirectoryTree(scratch_ / u"t");
    EXPECT_FALSE(PathExists(scratch_ / u"t"));
}

// A ".cache" folder is not entered: it stays with its files, and so does the directory above it.
TEST_F(FileOpsTest, DeleteDirectoryTreeLeavesDotFolderAndItsParent) {
    MakeDirectories({u"t", u"t\\.cache", u"t\\sub"});
    MakeFiles({u"t\\.cache\\c.bin", u"t\\f.txt", u"t\\sub\\g.txt", u"t\\.dotfile"});
    DeleteDirectoryTree(scratch_ / u"t");
    EXPECT_TRUE(IsExistingFile(scratch_ / u"t\\.cache\\c.bin"));
    EXPECT_FALSE(PathExists(scratch_ / u"t\\f.txt"));
    EXPECT_FALSE(PathExists(scratch_ / u"t\\sub"));
    EXPECT_FALSE(PathExists(scratch_ / u"t\\.dotfile"));
    EXPECT_TRUE(IsExistingDirectory(scratch_ / u"t"));
}

// No attribute is changed: a read-only file stays, and so does its directory.
TEST_F(FileOpsTest, DeleteDirectoryTreeLeavesReadOnlyFile) {
    MakeDirectories({u"t", u"t\\sub"});
    MakeFiles({u"t\\sub\\ro.txt", u"t\\other.txt"});
    ASSERT_TRUE(SetFileAttributesW(WidePtr(scratch_ / u"t\\sub\\ro.txt"), FILE_ATTRIBUTE_READONLY));
    DeleteDirectoryTree(scratch_ / u"t");
    EXPECT_TRUE(IsExistingFile(scratch_ / u"t\\sub\\ro.txt"));
    EXPECT_FALSE(PathExists(scratch_ / u"t\\other.txt"));
    SetFileAttributesW(WidePtr(scratch_ / u"t\\sub\\ro.txt"), FILE_ATTRIBUTE_NORMAL);
}

// Directories that another process holds open without sharing deletion stay, emptied; the rest goes.
TEST_F(FileOpsTest, DeleteDirectoryTreeEmptiesDirectoriesHeldOpenElsewhere) {
    // The tree's root held, then a subdirectory held.
    for (const auto& [root, held] : {std::pair{u"a", u"a"}, std::pair{u"b", u"b\\held"}}) {
        const std::u16string tree = root;
        SCOPED_TRACE(tree == held ? "root held" : "subdirectory held");
        MakeDirectories({tree, tree + u"\\held", tree + u"\\other"});
        MakeFiles({tree + u"\\held\\f.txt", tree + u"\\other\\g.txt"});
        UniqueFile holder(CreateFileW(WidePtr(scratch_ / held), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ASSERT_TRUE(holder) << "cannot hold a test folder open";
        DeleteDirectoryTree(scratch_ / tree);
        EXPECT_TRUE(IsExistingDirectory(scratch_ / held));
        EXPECT_FALSE(PathExists(scratch_ / (tree + u"\\held\\f.txt")));
        EXPECT_FALSE(PathExists(scratch_ / (tree + u"\\other")));
    }
}

// Deleting or pruning a path that does not exist does nothing visible.
TEST_F(FileOpsTest, TreeOperationsOnMissingPathDoNothing) {
    DeleteDirectoryTree(scratch_ / u"missing");
    RemoveEmptyDirectories(scratch_ / u"missing");
    EXPECT_TRUE(IsExistingDirectory(scratch_.Path()));
    EXPECT_FALSE(PathExists(scratch_ / u"missing"));
}

// Empty directories go; a subdirectory holding a file stays, and so does the install folder above it.
TEST_F(FileOpsTest, RemoveEmptyDirectoriesKeepsFolderWithFile) {
    MakeDirectories({u"i", u"i\\A", u"i\\A\\emptyA", u"i\\B", u"i\\B\\C"});
    MakeFiles({u"i\\A\\keep.txt"});
    RemoveEmptyDirectories(scratch_ / u"i");
    EXPECT_TRUE(IsExistingFile(scratch_ / u"i\\A\\keep.txt"));
    EXPECT_FALSE(PathExists(scratch_ / u"i\\A\\emptyA"));
    EXPECT_FALSE(PathExists(scratch_ / u"i\\B"));
}

// A tree holding only empty directories disappears entirely.
TEST_F(FileOpsTest, RemoveEmptyDirectoriesRemovesAllEmptyTree) {
    MakeDirectories({u"i", u"i\\A", u"i\\A\\B"});
    RemoveEmptyDirectories(scratch_ / u"i");
    EXPECT_FALSE(PathExists(scratch_ / u"i"));
}

// A directory link inside the tree is removed as a link; its target keeps its files.
TEST_F(FileOpsTest, DeleteDirectoryTreeRemovesLinkNotItsTarget) {
    MakeDirectories({u"target", u"t"});
    MakeFiles({u"target\\precious.txt"});
    if (!MakeDirectoryLink(scratch_ / u"t\\link", scratch_ / u"target"))
        GTEST_SKIP() << kNoLinksOnThisSystem;
    DeleteDirectoryTree(scratch_ / u"t");
    EXPECT_FALSE(PathExists(scratch_ / u"t"));
    EXPECT_TRUE(IsExistingFile(scratch_ / u"target\\precious.txt"));
}

// A tree path that is itself a link: only the link goes.
TEST_F(FileOpsTest, DeleteDirectoryTreeOnLinkRemovesOnlyTheLink) {
    MakeDirectories({u"target"});
    MakeFiles({u"target\\precious.txt"});
    if (!MakeDirectoryLink(scratch_ / u"link", scratch_ / u"target"))
        GTEST_SKIP() << kNoLinksOnThisSystem;
    DeleteDirectoryTree(scratch_ / u"link");
    EXPECT_FALSE(PathExists(scratch_ / u"link"));
    EXPECT_TRUE(IsExistingFile(scratch_ / u"target\\precious.txt"));
}

// RemoveEmptyDirectories never prunes inside a link's target.
TEST_F(FileOpsTest, RemoveEmptyDirectoriesDoesNotEnterLink) {
    MakeDirectories({u"target", u"target\\empty", u"i"});
    if (!MakeDirectoryLink(scratch_ / u"i\\link", scratch_ / u"target"))
        GTEST_SKIP() << kNoLinksOnThisSystem;
    RemoveEmptyDirectories(scratch_ / u"i");
    EXPECT_TRUE(IsExistingDirectory(scratch_ / u"target\\empty"));
    EXPECT_FALSE(PathExists(scratch_ / u"i"));
}

// Passes every call through to the real handle-based node; before each open
// it gives the test the chance to change the disk, as another program could.
class InterposedNode : public WalkNode {
  public:
    InterposedNode(std::unique_ptr<WalkNode> real, std::function<void(const std::u16string&)>& beforeOpen)
        : real_(std::move(real)), beforeOpen_(beforeOpen) {}
    std::optional<WalkNodeInfo> Info() override { return real_->Info(); }
    std::vector<WalkEntry> List() override { return real_->List(); }
    std::unique_ptr<WalkNode> OpenChild(const std::u16string& name, bool forListing) override {
        beforeOpen_(name);
        std::unique_ptr<WalkNode> child = real_->OpenChild(name, forListing);
        return child ? std::make_unique<InterposedNode>(std::move(child), beforeOpen_) : nullptr;
    }
    bool Delete() override { return real_->Delete(); }

  private:
    std::unique_ptr<WalkNode> real_;
    std::function<void(const std::u16string&)>& beforeOpen_;
};

// A folder swapped for another one between the listing and the open is left alone, and so is the one moved away.
TEST_F(FileOpsTest, TreeWalkLeavesFolderSwappedAfterListing) {
    MakeDirectories({u"t", u"t\\sub"});
    MakeFiles({u"t\\a.txt", u"t\\sub\\b.txt"});
    std::function<void(const std::u16string&)> beforeOpen = [&](const std::u16string& name) {
        if (name != u"sub")
            return;
        ASSERT_TRUE(MoveFileW(WidePtr(scratch_ / u"t\\sub"), WidePtr(scratch_ / u"moved")));
        MakeDirectories({u"t\\sub"});
        MakeFiles({u"t\\sub\\precious.txt"});
    };
    std::unique_ptr<WalkNode> real = OpenWalkRoot(scratch_ / u"t");
    ASSERT_TRUE(real);
    InterposedNode root(std::move(real), beforeOpen);
    PruneTree(root, scratch_.Path().size() + 2, DeleteTreeAction);
    EXPECT_FALSE(PathExists(scratch_ / u"t\\a.txt"));
    EXPECT_TRUE(IsExistingFile(scratch_ / u"t\\sub\\precious.txt"));
    EXPECT_TRUE(IsExistingFile(scratch_ / u"moved\\b.txt"));
}

// The file lands in the system folder under its name, with its bytes; the output names it.
TEST_F(FileOpsTest, WriteFileToSystemFolderWritesFileAndNamesIt) {
    PackageFile file = SystemFile(u"file_ops_test_system.bin", {0, 1, 2, 0xFE, 0xFF});
    std::u16string target;
    ASSERT_TRUE(WriteFileToSystemFolder(&file, &target));
    EXPECT_EQ(target, SystemFolder() + u"\\file_ops_test_system.bin");
    EXPECT_EQ(ReadBytes(target), BytesOf(file));
    EXPECT_TRUE(DeleteFileW(WidePtr(target)));
}

// An existing file of that name is replaced; an empty file is a valid file.
TEST_F(FileOpsTest, WriteFileToSystemFolderReplacesExistingFile) {
    PackageFile big = SystemFile(u"file_ops_test_replace.bin", std::vector<uint8_t>(1000, 7));
    PackageFile empty = SystemFile(u"file_ops_test_replace.bin", {});
    std::u16string target;
    ASSERT_TRUE(WriteFileToSystemFolder(&big, &target));
    ASSERT_TRUE(WriteFileToSystemFolder(&empty));
    EXPECT_EQ(ReadBytes(target), std::vector<uint8_t>{});
    DeleteFileW(WidePtr(target));
}

// Without a file the result is false and the output is left as it was.
TEST_F(FileOpsTest, WriteFileToSystemFolderWithoutFileLeavesOutputUntouched) {
    std::u16string target = u"unchanged";
    EXPECT_FALSE(WriteFileToSystemFolder(nullptr, &target));
    EXPECT_EQ(target, u"unchanged");
}

// A target that cannot be opened gives false, but the output still names it.
TEST_F(FileOpsTest, WriteFileToSystemFolderOnLockedTargetFailsAndNamesIt) {
    std::u16string expected = SystemFolder() + u"\\file_ops_test_locked.bin";
    UniqueFile lock(CreateFileW(WidePtr(expected), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    PackageFile file = SystemFile(u"file_ops_test_locked.bin", {1, 2, 3});
    std::u16string target;
    EXPECT_FALSE(WriteFileToSystemFolder(&file, &target));
    EXPECT_EQ(target, expected);
    lock.Reset();
    DeleteFileW(WidePtr(expected));
}

// A file whose bytes cannot be written is not left behind half-written.
TEST_F(FileOpsTest, WriteFileToSystemFolderDeletesShortWrite) {
    PackageFile file = SystemFile(u"file_ops_test_short.bin", {});
    file.Size = 10;
    std::u16string target;
    EXPECT_FALSE(WriteFileToSystemFolder(&file, &target));
    EXPECT_EQ(target, SystemFolder() + u"\\file_ops_test_short.bin");
    EXPECT_FALSE(PathExists(target));
}

// The shared documents folder read from the registry is the shell's, also
// once the folder was moved, and the shell answers when the value is gone.
TEST_F(FileOpsTest, CommonDocumentsFolderIsTheShells) {
    const wchar_t* key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    wchar_t original[MAX_PATH] = {};
    DWORD bytes = sizeof(original);
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key, L"Common Documents", RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                           original, &bytes),
              ERROR_SUCCESS);
    const std::u16string moved = scratch_ / u"Moved Documents";
    MakeDirectories({u"Moved Documents"});
    const auto expectShells = [](const char* state) {
        const std::optional<std::u16string> shell = ShellFolder(CSIDL_COMMON_DOCUMENTS, false);
        ASSERT_TRUE(shell) << state;
        EXPECT_EQ(CommonDocumentsFolder(), shell) << state;
    };
    expectShells("as installed");
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, L"Common Documents", REG_SZ, WidePtr(moved),
                              static_cast<DWORD>((moved.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_EQ(CommonDocumentsFolder(), moved);
    expectShells("moved");
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"Common Documents"), ERROR_SUCCESS);
    expectShells("value missing");
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, L"Common Documents", REG_EXPAND_SZ, original, bytes);
}

}  // namespace
