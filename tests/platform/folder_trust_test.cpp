#include "platform/folder_trust.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr Principal kAdmin = Principal::Administrative;
constexpr Principal kCreator = Principal::CreatorOwner;
constexpr Principal kOther = Principal::Other;

AccessEntry Allow(Principal who, bool changing, bool inheritOnly = false) {
    return {who, true, changing, inheritOnly};
}

FolderFacts Folder(Principal owner, std::vector<AccessEntry> entries) {
    FolderFacts facts;
    facts.Exists = facts.Opened = facts.DescriptorRead = facts.HasDacl = true;
    facts.Owner = owner;
    facts.Entries = std::move(entries);
    return facts;
}

struct TrustCase {
    FolderFacts Facts;
    bool PermissionsEnforced;
    FolderVerdict Verdict;
    const char* Why;
};

FolderFacts With(FolderFacts facts, void (*change)(FolderFacts&)) {
    change(facts);
    return facts;
}

const FolderFacts kProtected = Folder(kAdmin, {Allow(kAdmin, true), Allow(kOther, false)});

}  // namespace

// Each folder gets the verdict its comment gives.
TEST(FolderTrustTest, VerdictFollowsWhoMayChangeTheFolderAndWhatIsMadeInside) {
    const TrustCase cases[] = {
        {kProtected, true, FolderVerdict::Trusted, "administrators change it, others only read"},
        {Folder(kAdmin, {Allow(kAdmin, true), Allow(kCreator, true, true)}), true, FolderVerdict::Trusted,
         "CREATOR OWNER only on what is made inside (Program Files)"},
        {Folder(kAdmin, {{kOther, false, true, false}}), true, FolderVerdict::Trusted, "a deny entry grants nothing"},
        {Folder(kAdmin, {}), true, FolderVerdict::Trusted, "an empty DACL lets nobody in"},
        {Folder(kAdmin, {Allow(kAdmin, true), Allow(kOther, true, true)}), true, FolderVerdict::OthersCanWrite,
         "an inherit-only entry hands users a changing right on every child"},
        {Folder(kAdmin, {Allow(kOther, true)}), true, FolderVerdict::OthersCanWrite, "users may change it"},
        {Folder(kAdmin, {Allow(kCreator, true)}), true, FolderVerdict::OthersCanWrite,
         "CREATOR OWNER on the folder itself"},
        {Folder(kOther, {Allow(kAdmin, true)}), true, FolderVerdict::OthersCanWrite,
         "a user owns it and may grant itself access"},
        {With(kProtected, [](FolderFacts& f) { f.HasDacl = false; }), true, FolderVerdict::OthersCanWrite,
         "a NULL DACL lets everyone do everything"},
        {With(kProtected, [](FolderFacts& f) { f.ReparsePoint = true; }), true, FolderVerdict::ReparsePoint,
         "a junction or link in place of the folder"},
        {With(kProtected, [](FolderFacts& f) { f.ReparsePoint = true; }), false, FolderVerdict::ReparsePoint,
         "a link is refused where permissions are not kept"},
        {Folder(kOther, {Allow(kOther, true)}), false, FolderVerdict::Trusted,
         "what a descriptor says counts only where permissions are kept"},
        {With(kProtected, [](FolderFacts& f) { f.DescriptorRead = false; }), true, FolderVerdict::Unreadable,
         "a descriptor that cannot be read"},
        {With(kProtected, [](FolderFacts& f) { f.Opened = false; }), false, FolderVerdict::Unreadable,
         "a folder that exists but cannot be opened"},
        {FolderFacts{}, true, FolderVerdict::Trusted, "a missing folder has nothing to judge yet"},
    };
    for (const TrustCase& c : cases)
        EXPECT_EQ(JudgeFolder(c.Facts, c.PermissionsEnforced), c.Verdict) << c.Why;
}

// The first folder down the path that is refused is named, with its verdict.
TEST(FolderTrustTest, FirstRefusedFolderIsTheOutermostRefused) {
    const FolderFacts link = With(kProtected, [](FolderFacts& f) { f.ReparsePoint = true; });
    const FolderFacts open = Folder(kAdmin, {Allow(kOther, true)});
    const std::optional<FolderRefusal> refusal = FirstRefusedFolder({kProtected, open, link}, true);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->Index, 1u);
    EXPECT_EQ(refusal->Verdict, FolderVerdict::OthersCanWrite);
    EXPECT_FALSE(FirstRefusedFolder({kProtected, FolderFacts{}, kProtected}, true));
}
