// The LocalSystem decision on SID bytes as a token stores them.
#include "platform/account_sid.h"

#include <gtest/gtest.h>

#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The bytes of S-1-5-<subauthorities...>.
std::vector<uint8_t> NtSid(std::vector<uint32_t> subauthorities) {
    std::vector<uint8_t> bytes = {1, static_cast<uint8_t>(subauthorities.size()), 0, 0, 0, 0, 0, 5};
    for (uint32_t value : subauthorities) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
    return bytes;
}

std::vector<uint8_t> Resized(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

// Only SYSTEM itself: the service accounts and an administrator are other accounts.
TEST(AccountSidTest, OnlyTheLocalSystemSidIsLocalSystem) {
    const struct {
        const char* Name;
        std::vector<uint8_t> Sid;
        bool Expected;
    } cases[] = {
        {"LocalSystem S-1-5-18", NtSid({18}), true},
        {"administrator S-1-5-21-...-500", NtSid({21, 1004336348, 1177238915, 682003330, 500}), false},
        {"LocalService S-1-5-19", NtSid({19}), false},
        {"NetworkService S-1-5-20", NtSid({20}), false},
        {"Administrators S-1-5-32-544", NtSid({32, 544}), false},
        {"S-1-5-18 with a byte more", Resized(NtSid({18}), 13), false},
        {"S-1-5-18 cut short", Resized(NtSid({18}), 11), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsLocalSystemSid(c.Sid.data(), c.Sid.size()), c.Expected) << c.Name;
    EXPECT_FALSE(IsLocalSystemSid(nullptr, 12));
}

#ifdef _WIN32
// The bytes Windows itself builds for each account are judged the same way,
// as RunsAsLocalSystem hands them over from a token.
TEST(AccountSidTest, WindowsOwnSidsAreJudgedByTheirAccount) {
    const struct {
        WELL_KNOWN_SID_TYPE Type;
        bool Expected;
    } cases[] = {
        {WinLocalSystemSid, true},
        {WinLocalServiceSid, false},
        {WinNetworkServiceSid, false},
        {WinBuiltinAdministratorsSid, false},
    };
    for (const auto& c : cases) {
        uint8_t sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof(sid);
        ASSERT_TRUE(CreateWellKnownSid(c.Type, nullptr, sid, &size)) << c.Type;
        EXPECT_EQ(IsLocalSystemSid(sid, GetLengthSid(sid)), c.Expected) << c.Type;
    }
}
#endif

}  // namespace
