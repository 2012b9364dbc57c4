#include "engine/product_key_write_win.h"
#include "removal/product_key_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/product_constants.h"
#include "platform/text_win.h"
#include "records/key_record.h"

namespace {

constexpr char16_t kInstallFolder[] = u"C:\\Program Files (x86)\\Maker\\Product";
constexpr uint32_t kLocalMachine = 0x80000002;

struct StoredValue {
    DWORD Type = REG_NONE;
    std::vector<uint8_t> Bytes;
};

// The bytes a value holds, read through the same registry view the product
// key code uses.
std::optional<StoredValue> ReadRawValue(const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WidePtr(kProductKeyPath), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name, nullptr, &value.Type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.Bytes.resize(size);
        status = RegQueryValueExW(key, name, nullptr, &value.Type, value.Bytes.data(), &size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// The bytes RegSetValueExW is given for a REG_SZ text with its terminator.
std::vector<uint8_t> TerminatedText(const std::u16string& text) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.c_str());
    return std::vector<uint8_t>(bytes, bytes + (text.size() + 1) * 2);
}

bool KeyExists(const std::u16string& path, REGSAM flags = 0) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WidePtr(path), 0, KEY_READ | flags, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

DWORD ValueCount() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WidePtr(kProductKeyPath), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return count;
}

// Stores `bytes` as a REG_SZ value of the product key exactly as given.
void StoreRawText(const wchar_t* name, const std::u16string& units, bool withTerminator) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, WidePtr(kProductKeyPath), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    DWORD size = static_cast<DWORD>((units.size() + (withTerminator ? 1 : 0)) * 2);
    EXPECT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(units.c_str()), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

class ProductKeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteProductKey();
        state_.Company = u"Maker";
        state_.Options.LangId = 2052;
        state_.Tree = std::make_unique<PackageTree>();
        state_.Tree->InstallFolder = kInstallFolder;
        state_.Tree->Folders.emplace_front();
        state_.Tree->Folders.front().Name = u"service";
    }
    void TearDown() override { DeleteProductKey(); }

    static void DeleteProductKey() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, WidePtr(kProductKeyPath)); }

    // A file of the root folder, or of the "service" folder.
    const PackageFile* AddFile(std::u16string name, bool inServiceFolder = false) {
        PackageFile& file = state_.Tree->AllFiles.emplace_front();
        file.Name = std::move(name);
        file.Tree = state_.Tree.get();
        file.Folder = inServiceFolder ? &state_.Tree->Folders.front() : nullptr;
        return &file;
    }

    void AddService(std::u16string name, std::optional<std::u16string> description) {
        state_.ServiceList.push_front({AddFile(std::move(name), true), std::move(description)});
    }

    void ExpectText(const wchar_t* name, const std::u16string& expected) {
        std::optional<StoredValue> value = ReadRawValue(name);
        ASSERT_TRUE(value.has_value()) << "missing value " << Utf16Trace(name);
        EXPECT_EQ(value->Type, static_cast<DWORD>(REG_SZ)) << Utf16Trace(name);
        EXPECT_EQ(value->Bytes, TerminatedText(expected)) << Utf16Trace(name);
    }

    static std::string Utf16Trace(const wchar_t* name) { return std::string(name, name + wcslen(name)); }

    InstallerState state_;
};

// Every value an installation with a main program and a service leaves,
// strings stored with their terminator.
TEST_F(ProductKeyTest, WriteStoresInstallationAndServiceValues) {
    state_.MainAppFile = AddFile(u"Panel.exe");
    AddService(u"Server.exe", u"Serves the panel");

    ASSERT_TRUE(WriteProductKey(state_));

    ExpectText(L"Company", u"Maker");
    ExpectText(L"MainAppPath", std::u16string(kInstallFolder) + u"\\Panel.exe");
    ExpectText(L"MainServiceName", u"Server");
    ExpectText(L"MainServicePath", std::u16string(kInstallFolder) + u"\\service\\Server.exe");
    ExpectText(L"MainServiceDescription", u"Serves the panel");
    std::optional<StoredValue> language = ReadRawValue(L"LanguageID");
    ASSERT_TRUE(language.has_value());
    EXPECT_EQ(language->Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(language->Bytes, (std::vector<uint8_t>{0x04, 0x08, 0, 0}));
    EXPECT_EQ(ValueCount(), 6u);
}

// The record names HKEY_LOCAL_MACHINE and the key path, as the log stores it.
TEST_F(ProductKeyTest, WriteHandsBackRecordOfProductKey) {
    std::vector<uint8_t> record;
    ASSERT_TRUE(WriteProductKey(state_, &record));

    std::vector<uint8_t> expected = {0x02, 0x00, 0x00, 0x80};
    std::vector<uint8_t> path = TerminatedText(kProductKeyPath);
    expected.insert(expected.end(), path.begin(), path.end());
    EXPECT_EQ(record, expected);
}

// Without a main program the key is still created, empty, and recorded.
TEST_F(ProductKeyTest, WriteWithoutMainAppFileCreatesEmptyKey) {
    AddService(u"Server.exe", u"Serves the panel");
    std::vector<uint8_t> record;

    ASSERT_TRUE(WriteProductKey(state_, &record));

    EXPECT_TRUE(KeyExists(kProductKeyPath));
    EXPECT_EQ(ValueCount(), 0u);
    EXPECT_FALSE(record.empty());
}

// A package without services leaves only the three installation values.
TEST_F(ProductKeyTest, WriteWithoutServicesLeavesNoServiceValues) {
    state_.MainAppFile = AddFile(u"Panel.exe");

    ASSERT_TRUE(WriteProductKey(state_));

    EXPECT_EQ(ValueCount(), 3u);
    ProductKeyValues values = ReadProductKey();
    EXPECT_FALSE(values.ServicePath.has_value());
    EXPECT_FALSE(values.ServiceName.has_value());
}

// The head of ServiceList (the last service of the script) is the main one.
TEST_F(ProductKeyTest, WriteTakesServiceValuesFromHeadOfServiceList) {
    state_.MainAppFile = AddFile(u"Panel.exe");
    AddService(u"Older.exe", u"first in the script");
    AddService(u"Head.exe", u"last in the script");

    ASSERT_TRUE(WriteProductKey(state_));

    ExpectText(L"MainServiceName", u"Head");
    ExpectText(L"MainServiceDescription", u"last in the script");
}

// A service entry without a description leaves an empty description value.
TEST_F(ProductKeyTest, WriteStoresEmptyDescriptionWhenServiceHasNone) {
    state_.MainAppFile = AddFile(u"Panel.exe");
    AddService(u"Server.exe", std::nullopt);

    ASSERT_TRUE(WriteProductKey(state_));

    ExpectText(L"MainServiceDescription", u"");
}

// A second installation's write replaces the values of the first.
TEST_F(ProductKeyTest, WriteOverExistingKeyReplacesValues) {
    StoreRawText(L"MainServicePath", u"C:\\Old\\Server.exe with a longer old text", false);
    state_.MainAppFile = AddFile(u"Panel.exe");
    AddService(u"Server.exe", u"new");

    ASSERT_TRUE(WriteProductKey(state_));

    ExpectText(L"MainServicePath", std::u16string(kInstallFolder) + u"\\service\\Server.exe");
}

// The 32-bit installer's key lies in the 32-bit view (Wow6432Node) only; a
// 64-bit build's in the 64-bit view.
TEST_F(ProductKeyTest, WriteUsesProcessDefaultRegistryView) {
    ASSERT_TRUE(WriteProductKey(state_));

    EXPECT_TRUE(KeyExists(kProductKeyPath, sizeof(void*) == 4 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY));
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (wow64) {
        EXPECT_FALSE(KeyExists(kProductKeyPath, KEY_WOW64_64KEY));
    }
}

// When the key cannot be created, nothing is written and the record stays.
// HKLM is redirected to a volatile key, below which no non-volatile key can
// be created.
TEST_F(ProductKeyTest, WriteFailsWithoutKeyAndLeavesRecordUntouched) {
    HKEY volatileRoot = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"VolatileScratch", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &volatileRoot, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, volatileRoot), ERROR_SUCCESS);
    std::vector<uint8_t> record = {0xAA};
    state_.MainAppFile = AddFile(u"Panel.exe");

    bool written = WriteProductKey(state_, &record);

    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(volatileRoot);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"VolatileScratch");
    EXPECT_FALSE(written);
    EXPECT_EQ(record, std::vector<uint8_t>{0xAA});
    EXPECT_FALSE(KeyExists(kProductKeyPath));
}

// A service path of 200 characters comes back whole, with the name.
TEST_F(ProductKeyTest, ReadReturnsLongServicePathWhole) {
    std::u16string folder = u"C:\\" + std::u16string(200 - 3 - 11, u'd');
    state_.Tree->InstallFolder = folder;
    state_.MainAppFile = AddFile(u"Panel.exe");
    AddService(u"Server.exe", u"d");
    ASSERT_TRUE(WriteProductKey(state_));

    ProductKeyValues values = ReadProductKey();

    ASSERT_TRUE(values.ServicePath.has_value());
    EXPECT_EQ(values.ServicePath->size(), 200u + 8u);
    EXPECT_EQ(*values.ServicePath, folder + u"\\service\\Server.exe");
    EXPECT_EQ(values.ServiceName, std::optional<std::u16string>(u"Server"));
}

// Values written by older installations carry no terminator and read the same.
TEST_F(ProductKeyTest, ReadReturnsUnterminatedValueExactly) {
    StoreRawText(L"MainServicePath", u"C:\\Maker\\Product\\Server.exe", false);
    StoreRawText(L"MainServiceName", u"Server", false);

    ProductKeyValues values = ReadProductKey();

    EXPECT_EQ(values.ServicePath, std::optional<std::u16string>(u"C:\\Maker\\Product\\Server.exe"));
    EXPECT_EQ(values.ServiceName, std::optional<std::u16string>(u"Server"));
}

// 259 units fill the 260-unit field with or without a terminator.
TEST_F(ProductKeyTest, ReadReturnsValueOf259UnitsWhole) {
    const std::u16string longest(259, u'p');
    for (bool terminated : {false, true}) {
        StoreRawText(L"MainServicePath", longest, terminated);
        EXPECT_EQ(ReadProductKey().ServicePath, std::optional<std::u16string>(longest)) << "terminated " << terminated;
    }
}

// A value that leaves no room for a terminator in the field counts as absent.
TEST_F(ProductKeyTest, ReadTreatsValueOver259UnitsAsAbsent) {
    StoreRawText(L"MainServicePath", std::u16string(260, u'p'), false);
    StoreRawText(L"MainServiceName", std::u16string(300, u'n'), true);

    ProductKeyValues values = ReadProductKey();

    EXPECT_FALSE(values.ServicePath.has_value());
    EXPECT_FALSE(values.ServiceName.has_value());
}

// Without the key no value is there.
TEST_F(ProductKeyTest, ReadWithoutKeyGivesNeitherValue) {
    ProductKeyValues values = ReadProductKey();

    EXPECT_FALSE(values.ServicePath.has_value());
    EXPECT_FALSE(values.ServiceName.has_value());
    EXPECT_FALSE(values.LanguageId.has_value());
}

// The uninstaller's language comes back as the installation wrote it; a
// LanguageID that is not a DWORD counts as absent.
TEST_F(ProductKeyTest, ReadGivesLanguageWrittenAsDword) {
    state_.MainAppFile = AddFile(u"Panel.exe");
    ASSERT_TRUE(WriteProductKey(state_));
    EXPECT_EQ(ReadProductKey().LanguageId, std::optional<uint32_t>(2052));

    StoreRawText(L"LanguageID", u"2052", true);
    EXPECT_FALSE(ReadProductKey().LanguageId.has_value());
}

// The recorded key goes with all its values; its parent stays.
TEST_F(ProductKeyTest, DeleteKeyOfRecordRemovesKeyWithValues) {
    state_.MainAppFile = AddFile(u"Panel.exe");
    AddService(u"Server.exe", u"d");
    std::vector<uint8_t> record;
    ASSERT_TRUE(WriteProductKey(state_, &record));

    DeleteKeyOfRecord(record.data(), record.size());

    EXPECT_FALSE(KeyExists(kProductKeyPath));
    EXPECT_TRUE(KeyExists(u"SOFTWARE"));
}

// A removal can run again: deleting a key that is gone changes nothing.
TEST_F(ProductKeyTest, DeleteKeyOfRecordOfMissingKeyDoesNothing) {
    std::vector<uint8_t> record = EncodeKeyRecord(kLocalMachine, kProductKeyPath);

    DeleteKeyOfRecord(record.data(), record.size());
    DeleteKeyOfRecord(record.data(), record.size());

    EXPECT_FALSE(KeyExists(kProductKeyPath));
    EXPECT_TRUE(KeyExists(u"SOFTWARE"));
}

// Short, unterminated or foreign-root records delete nothing.
TEST_F(ProductKeyTest, DeleteKeyOfDamagedRecordDoesNothing) {
    ASSERT_TRUE(WriteProductKey(state_));
    std::vector<uint8_t> whole = EncodeKeyRecord(kLocalMachine, kProductKeyPath);
    const std::vector<std::vector<uint8_t>> damaged = {
        {0x02, 0x00, 0x00, 0x80, 0x00},
        std::vector<uint8_t>(whole.begin(), whole.end() - 2),
        EncodeKeyRecord(0x12345678, kProductKeyPath),
        EncodeKeyRecord(kLocalMachine, u""),
    };

    for (const std::vector<uint8_t>& record : damaged)
        DeleteKeyOfRecord(record.data(), record.size());

    EXPECT_TRUE(KeyExists(kProductKeyPath));
}

// The delete does not descend: a key with a subkey stays.
TEST_F(ProductKeyTest, DeleteKeyOfRecordLeavesKeyWithSubkeys) {
    ASSERT_TRUE(WriteProductKey(state_));
    std::u16string child = std::u16string(kProductKeyPath) + u"\\Child";
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, WidePtr(child), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
    std::vector<uint8_t> record = EncodeKeyRecord(kLocalMachine, kProductKeyPath);

    DeleteKeyOfRecord(record.data(), record.size());

    EXPECT_TRUE(KeyExists(kProductKeyPath));
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, WidePtr(child));
}

}  // namespace
