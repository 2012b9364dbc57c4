#include "platform/shortcut_win.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "platform/text_win.h"

namespace {

bool FileExists(const std::u16string& path) {
    return GetFileAttributesW(WidePtr(path)) != INVALID_FILE_ATTRIBUTES;
}

void WriteFileBytes(const std::u16string& path, const char* bytes) {
    HANDLE file = CreateFileW(WidePtr(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes, static_cast<DWORD>(strlen(bytes)), &written, nullptr);
    CloseHandle(file);
}

// The ShowCommand field of a saved link file (a 32-bit value at offset 60 of
// the link header). Loaders map values other than 1, 3 and 7 to 1, so the
// file itself is read.
std::optional<uint32_t> StoredShowCommand(const std::u16string& linkFile) {
    HANDLE file = CreateFileW(WidePtr(linkFile), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    uint8_t header[64] = {};
    DWORD read = 0;
    bool ok = ReadFile(file, header, sizeof(header), &read, nullptr) && read == sizeof(header);
    CloseHandle(file);
    if (!ok)
        return std::nullopt;
    return static_cast<uint32_t>(header[60] | header[61] << 8 | header[62] << 16 | header[63] << 24);
}

// The target of a saved link, loaded through the shell's own link object, on a thread of the
// caller's choosing that has COM initialised.
std::optional<std::u16string> LinkTarget(const std::u16string& linkFile) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return std::nullopt;
    std::optional<std::u16string> loaded;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t target[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(WidePtr(linkFile), STGM_READ)) &&
            SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)))
            loaded = FromWide(target);
        file->Release();
    }
    link->Release();
    return loaded;
}

class ShortcutTest : public ::testing::Test {
  protected:
    // A fresh group folder "<temp>\Maker\Product" with a program to point at.
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        wchar_t temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        root_ = FromWide(temp) + u"shortcut_test";
        RemoveScratch();
        for (const char16_t* sub : {u"", u"\\Maker", u"\\Maker\\Product", u"\\App", u"\\App 2"})
            CreateDirectoryW(WidePtr(root_ + sub), nullptr);
        group_ = root_ + u"\\Maker\\Product";
        target_ = root_ + u"\\App\\Touch Panel.exe";
        otherTarget_ = root_ + u"\\App 2\\Touch Panel.exe";
        WriteFileBytes(target_, "MZ");
        WriteFileBytes(otherTarget_, "MZ");
    }

    void TearDown() override {
        RemoveScratch();
        CoUninitialize();
    }

    void RemoveScratch() {
        for (const char16_t* file :
             {u"\\Maker\\Product\\Touch Panel.lnk", u"\\App\\Touch Panel.exe", u"\\App 2\\Touch Panel.exe"})
            DeleteFileW(WidePtr(root_ + file));
        for (const char16_t* dir : {u"\\Maker\\Product", u"\\Maker", u"\\App", u"\\App 2", u""})
            RemoveDirectoryW(WidePtr(root_ + dir));
    }

    std::u16string root_;
    std::u16string group_;
    std::u16string target_;
    std::u16string otherTarget_;
};

// The link base gets ".lnk"; the link points at the target and shows it.
TEST_F(ShortcutTest, CreateShortcutSavesLinkBaseWithLnkPointingAtTarget) {
    std::u16string linkBase = group_ + u"\\Touch Panel";

    ASSERT_TRUE(CreateShortcut(linkBase, target_));

    EXPECT_TRUE(FileExists(linkBase + u".lnk"));
    EXPECT_FALSE(FileExists(linkBase));
    EXPECT_EQ(LinkTarget(linkBase + u".lnk"), std::optional<std::u16string>(target_));
    EXPECT_EQ(StoredShowCommand(linkBase + u".lnk"), std::optional<uint32_t>(SW_SHOW));
}

// A link of the same name, or any file there, is replaced.
TEST_F(ShortcutTest, CreateShortcutOverwritesExistingFile) {
    std::u16string linkBase = group_ + u"\\Touch Panel";
    WriteFileBytes(linkBase + u".lnk", "not a link");
    ASSERT_TRUE(CreateShortcut(linkBase, target_));

    ASSERT_TRUE(CreateShortcut(linkBase, otherTarget_));

    EXPECT_EQ(LinkTarget(linkBase + u".lnk"), std::optional<std::u16string>(otherTarget_));
}

// The recorded link base deletes the file; deleting again is harmless.
TEST_F(ShortcutTest, DeleteShortcutRemovesLinkFile) {
    std::u16string linkBase = group_ + u"\\Touch Panel";
    ASSERT_TRUE(CreateShortcut(linkBase, target_));

    DeleteShortcut(linkBase);
    EXPECT_FALSE(FileExists(linkBase + u".lnk"));
    DeleteShortcut(linkBase);

    EXPECT_TRUE(FileExists(group_));
}

// The result says Save was asked, not that it succeeded: a missing folder
// still gives true and no file.
TEST_F(ShortcutTest, CreateShortcutResultDoesNotReportSaveOutcome) {
    std::u16string linkBase = root_ + u"\\Missing\\Touch Panel";

    EXPECT_TRUE(CreateShortcut(linkBase, target_));

    EXPECT_FALSE(FileExists(linkBase + u".lnk"));
}

// A worker thread without COM can make links, and COM is left as it was:
// after the call the thread's own CoInitialize is the first again.
TEST_F(ShortcutTest, CreateShortcutOnThreadWithoutComBalancesInitialisation) {
    std::u16string linkBase = group_ + u"\\Touch Panel";
    bool created = false;
    HRESULT afterwards = E_FAIL;

    std::thread worker([&] {
        created = CreateShortcut(linkBase, target_);
        afterwards = CoInitialize(nullptr);
        if (SUCCEEDED(afterwards))
            CoUninitialize();
    });
    worker.join();

    EXPECT_TRUE(created);
    EXPECT_EQ(afterwards, S_OK);
    EXPECT_TRUE(FileExists(linkBase + u".lnk"));
}

// A thread in the multithreaded apartment cannot enter the single-threaded
// one: no link is made.
TEST_F(ShortcutTest, CreateShortcutOnMultithreadedApartmentFails) {
    std::u16string linkBase = group_ + u"\\Touch Panel";
    bool created = true;

    std::thread worker([&] {
        if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
            created = CreateShortcut(linkBase, target_);
            CoUninitialize();
        }
    });
    worker.join();

    EXPECT_FALSE(created);
    EXPECT_FALSE(FileExists(linkBase + u".lnk"));
}

}  // namespace
