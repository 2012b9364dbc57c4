#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "platform/folder_security_win.h"
#include "platform/text_win.h"
#include "tests/support/scratch_files_win.h"

namespace {

struct DescriptorCase {
    const wchar_t* Sddl;
    bool OnlyAdministrators;
    const char* Why;
};

// Owner O:, DACL D:. BA Administrators, SY SYSTEM, BU Users, AU
// Authenticated Users, WD Everyone, CO CREATOR OWNER; the long SID is
// TrustedInstaller. FA full, FR read, FW write; 0x4 append data (add a
// subfolder), 0x100 write attributes, WD write DAC. OICI inherited by what
// is inside, IO inherit only.
#define TRUSTED_INSTALLER L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
const DescriptorCase kCases[] = {
    {L"O:BAD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FRFX;;;BU)", true, "administrators and SYSTEM write, users read"},
    {L"O:" TRUSTED_INSTALLER L"D:(A;;FA;;;" TRUSTED_INSTALLER L")(A;;0x1301bf;;;SY)(A;;0x1301bf;;;BA)"
     L"(A;;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)",
     true, "Program Files: TrustedInstaller owns it, CREATOR OWNER only for what is inside"},
    {L"O:SYD:(A;;FA;;;SY)(A;;FA;;;BA)(D;;FA;;;WD)", true, "a deny entry grants nothing"},
    {L"O:BAD:(A;;FA;;;BA)(A;;FA;;;BU)", false, "users have full access"},
    {L"O:BAD:(A;;FA;;;BA)(A;;FW;;;AU)", false, "authenticated users may write"},
    {L"O:BAD:(A;;FA;;;BA)(A;;0x4;;;AU)", false, "authenticated users may add subfolders (as on C:\\)"},
    {L"O:BAD:(A;;FA;;;BA)(A;;0x100;;;BU)", false, "users may change attributes"},
    {L"O:BAD:(A;;FA;;;BA)(A;;WD;;;WD)", false, "everyone may change the permissions"},
    {L"O:BAD:(A;;FA;;;BA)(A;;GW;;;BU)", false, "users have generic write"},
    {L"O:BAD:(A;;FA;;;BA)(A;;FA;;;CO)", false, "CREATOR OWNER on the folder itself (not inherit only)"},
    {L"O:BUD:(A;;FA;;;BA)(A;;FA;;;SY)", false, "a user owns it and may grant itself write access"},
    {L"O:BAD:(A;;FA;;;BA)(A;OICIIO;FA;;;BU)", false, "users get full access to whatever is made inside"},
    {L"O:BAD:", true, "an empty DACL lets nobody in"},
};
#undef TRUSTED_INSTALLER

class FolderSecurityTest : public ::testing::TestWithParam<DescriptorCase> {};

// Each descriptor is judged as its comment says.
TEST_P(FolderSecurityTest, DescriptorIsJudgedByWhoMayWrite) {
    const DescriptorCase& c = GetParam();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(c.Sddl, SDDL_REVISION_1, &descriptor, nullptr))
        << "bad SDDL in the test, error " << GetLastError();
    EXPECT_EQ(OnlyAdministratorsCanWrite(descriptor), c.OnlyAdministrators) << c.Why;
    LocalFree(descriptor);
}
INSTANTIATE_TEST_SUITE_P(Descriptors, FolderSecurityTest, ::testing::ValuesIn(kCases));

// A missing descriptor never counts as safe, nor does a NULL DACL, which
// lets everyone do everything. (Built by hand: Wine's SDDL parser makes an
// empty DACL of "D:NO_ACCESS_CONTROL".)
TEST(FolderSecurityCallsTest, NoDescriptorOrNullDaclIsNotSafe) {
    EXPECT_FALSE(OnlyAdministratorsCanWrite(nullptr));
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof administrators;
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
    ASSERT_TRUE(SetSecurityDescriptorOwner(&descriptor, administrators, FALSE));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE));
    EXPECT_FALSE(OnlyAdministratorsCanWrite(&descriptor));
}

// The descriptor of a real folder can be read (Wine does not enforce ACLs, so
// only the calls are checked here, not what they find).
TEST(FolderSecurityCallsTest, RealFolderDescriptorIsRead) {
    wchar_t folder[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, folder, CSIDL_PROGRAM_FILES, FALSE));
    SetLastError(ERROR_INVALID_FUNCTION);
    FolderOnlyAdministratorsCanWrite(FromWide(folder));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "the descriptor was read";
}

// A folder that does not exist has no descriptor to read.
TEST(FolderSecurityCallsTest, MissingFolderIsNotSafe) {
    EXPECT_FALSE(FolderOnlyAdministratorsCanWrite(u"C:\\no such folder\\at all"));
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

}  // namespace

// A folder made for an installation inside one that lets users write (as the
// root of C: does) takes none of that: its DACL, read back, lets only
// administrators write.
TEST(FolderSecurityCallsTest, FolderMadeForAnInstallationLetsOnlyAdministratorsWrite) {
    ScratchFolder scratch;
    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;OICI;FA;;;BU)(A;OICI;FA;;;BA)",
                                                                     SDDL_REVISION_1, &open, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), open, FALSE};
    const std::u16string parent = scratch / u"open to users";
    ASSERT_TRUE(CreateDirectoryW(WidePtr(parent), &attributes));
    LocalFree(open);
    const std::u16string folder = parent + u"\\made";
    ASSERT_TRUE(CreateAdministratorsOnlyFolder(folder)) << GetLastError();

    PSECURITY_DESCRIPTOR read = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoW(WidePtr(folder), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                    nullptr, nullptr, &read),
              static_cast<DWORD>(ERROR_SUCCESS));
    wchar_t* dacl = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorW(read, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                                     &dacl, nullptr));
    LocalFree(read);
    const std::wstring text = dacl;
    LocalFree(dacl);
    // Both the DACL given and one inherited from the parent name BA.
    if (text.find(L";;;BA)") == std::wstring::npos)
        GTEST_SKIP() << "Wine keeps no DACL given to a new folder: " << std::string(text.begin(), text.end());
    // The owner is the creator's: judged here as an elevated administrator's.
    PSECURITY_DESCRIPTOR judged = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW((L"O:BA" + text).c_str(), SDDL_REVISION_1, &judged,
                                                                     nullptr));
    EXPECT_TRUE(OnlyAdministratorsCanWrite(judged)) << std::string(text.begin(), text.end());
    LocalFree(judged);
}

// A folder is read through its own handle: a plain one exists, opens, and is
// no reparse point; a missing one does not exist.
TEST(FolderSecurityCallsTest, FolderFactsAreReadThroughTheFolderItself) {
    ScratchFolder scratch;
    const FolderFacts plain = ReadFolderFacts(scratch.Path());
    EXPECT_TRUE(plain.Exists && plain.Opened && plain.DescriptorRead);
    EXPECT_FALSE(plain.ReparsePoint);
    EXPECT_FALSE(ReadFolderFacts(scratch / u"missing").Exists);
}

// A folder to be made that someone else already made is judged, not taken
// for this run's own.
TEST(FolderSecurityCallsTest, FolderMadeByAnotherIsJudgedAsExisting) {
    ScratchFolder scratch;
    const std::u16string folder = scratch / u"made before";
    ASSERT_TRUE(CreateDirectoryW(WidePtr(folder), nullptr));
    const FolderMaking making = MakeOrJudgeAdministratorsOnlyFolder(folder);
    EXPECT_FALSE(making.Made);
    EXPECT_TRUE(making.Taken);
    EXPECT_EQ(making.Verdict, SystemEnforcesPermissions() ? FolderVerdict::OthersCanWrite : FolderVerdict::Trusted);
}
