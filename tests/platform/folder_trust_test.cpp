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
    const std::optional<FolderRefusal> refusal = FirstRefusedFolder({kProtected, open, link}, 0, true);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->Index, 1u);
    EXPECT_EQ(refusal->Verdict, FolderVerdict::OthersCanWrite);
    EXPECT_FALSE(FirstRefusedFolder({kProtected, FolderFacts{}, kProtected}, 0, true));
}

namespace {

// An entry with the rights the folder chain's rules ask about.
AccessEntry Grant(Principal who, bool deletes, bool controlsChildren, bool inheritOnly = false) {
    AccessEntry entry{who, true, true, inheritOnly};
    entry.Deletes = deletes;
    entry.ControlsChildren = controlsChildren;
    return entry;
}

// C:\ as Windows sets it up: users may add folders (a changing right, but
// neither DELETE nor FILE_DELETE_CHILD), and an inherit-only Modify for
// what they make; TrustedInstaller owns it.
const FolderFacts kStandardRoot =
    Folder(kAdmin, {Allow(kAdmin, true), Allow(kOther, false), Grant(kOther, true, false, true), Allow(kOther, true)});

}  // namespace

// Folders above the base folder, judged on constructed facts (Wine keeps no
// DACLs, so only the links among these are seen there): C:\ with its
// standard descriptor passes, and a folder users could rename, delete or
// re-permission, or one that a user owns, is refused wherever it stands.
TEST(FolderTrustTest, EveryFolderFromTheVolumeRootDownIsJudged) {
    const FolderFacts vendor = Folder(kAdmin, {Allow(kAdmin, true), Allow(kOther, false)});
    const FolderFacts userDeletes = Folder(kAdmin, {Grant(kOther, true, false)});
    const FolderFacts userOwned = Folder(kOther, {Allow(kAdmin, true)});
    const FolderFacts parentDeletesChildren = Folder(kAdmin, {Grant(kOther, false, true)});
    const FolderFacts link = With(vendor, [](FolderFacts& f) { f.ReparsePoint = true; });
    struct Case {
        std::vector<FolderFacts> Chain;  // C:\, C:\Vendor, base, company, product
        bool Enforced;
        std::optional<size_t> Refused;
        FolderVerdict Verdict;
        const char* Why;
    };
    const Case cases[] = {
        {{kStandardRoot, vendor, kProtected, kProtected, kProtected},
         true,
         std::nullopt,
         FolderVerdict::Trusted,
         "C:\\ as set up, and administrators' folders below"},
        {{kStandardRoot, userOwned, kProtected, {}, {}},
         true,
         1,
         FolderVerdict::OthersCanMove,
         "a user made C:\\Vendor before /dir=C:\\Vendor\\Apps"},
        {{kStandardRoot, userDeletes, kProtected, {}, {}},
         true,
         1,
         FolderVerdict::OthersCanMove,
         "users may rename C:\\Vendor"},
        {{kStandardRoot, parentDeletesChildren, kProtected, {}, {}},
         true,
         2,
         FolderVerdict::OthersCanMove,
         "users may delete what C:\\Vendor holds, the base folder too"},
        {{Folder(kAdmin, {Grant(kOther, false, true)}), vendor, kProtected, {}, {}},
         true,
         1,
         FolderVerdict::OthersCanMove,
         "a root that lets users delete its folders"},
        {{Folder(kAdmin, {Grant(kOther, true, false)}), vendor, kProtected, {}, {}},
         true,
         std::nullopt,
         FolderVerdict::Trusted,
         "DELETE on a volume root renames nothing"},
        {{kStandardRoot, link, kProtected, {}, {}},
         false,
         1,
         FolderVerdict::ReparsePoint,
         "a link above the base, also where permissions are not kept"},
        {{kStandardRoot, userOwned, kProtected, {}, {}},
         false,
         std::nullopt,
         FolderVerdict::Trusted,
         "descriptors count only where permissions are kept"},
        {{kStandardRoot, vendor, {}, {}, {}},
         true,
         std::nullopt,
         FolderVerdict::Trusted,
         "a missing base folder is made later"},
    };
    for (const Case& c : cases) {
        const std::optional<FolderRefusal> refusal = FirstRefusedFolder(c.Chain, 2, c.Enforced);
        ASSERT_EQ(refusal.has_value(), c.Refused.has_value()) << c.Why;
        if (refusal) {
            EXPECT_EQ(refusal->Index, *c.Refused) << c.Why;
            EXPECT_EQ(refusal->Verdict, c.Verdict) << c.Why;
        }
    }
}

TEST(FolderTrustTest, TheChainRunsFromTheVolumeRootToTheProductFolder) {
    const FolderChain chain = InstallFolderChain(u"C:\\Vendor\\Apps", u"Co", u"Pr");
    EXPECT_EQ(chain.Folders, (std::vector<std::u16string>{u"C:\\", u"C:\\Vendor", u"C:\\Vendor\\Apps",
                                                          u"C:\\Vendor\\Apps\\Co", u"C:\\Vendor\\Apps\\Co\\Pr"}));
    EXPECT_EQ(chain.Base, 2u);
    const FolderChain root = InstallFolderChain(u"D:", u"Co", u"Pr");
    EXPECT_EQ(root.Folders, (std::vector<std::u16string>{u"D:\\", u"D:\\Co", u"D:\\Co\\Pr"}));
    EXPECT_EQ(root.Base, 0u);
}
