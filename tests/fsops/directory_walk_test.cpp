#include "system/directory_walk.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint32_t kFile = 0x20;  // archive bit: an ordinary file
constexpr uint32_t kDir = kAttributeDirectory;
constexpr uint32_t kLink = kAttributeReparsePoint;

struct WalkCase {
    const char* what;
    std::u16string name;
    uint32_t attributes;
    EntryAction deleteTree;
    EntryAction removeEmpty;
};

class DirectoryWalkTest : public ::testing::Test {};

// What each walk does with each kind of entry; links are removed, never entered.
TEST_F(DirectoryWalkTest, EntryActionsFollowNameAndAttributes) {
    const std::vector<WalkCase> cases = {
        {"file", u"a.txt", kFile, EntryAction::DeleteFile, EntryAction::Leave},
        {"read-only file", u"a.txt", kFile | 0x1, EntryAction::DeleteFile, EntryAction::Leave},
        {"file named like a dot folder", u".cache", kFile, EntryAction::DeleteFile, EntryAction::Leave},
        {"file link", u"l.txt", kFile | kLink, EntryAction::DeleteFile, EntryAction::Leave},
        {"directory", u"sub", kDir, EntryAction::Descend, EntryAction::Descend},
        {"dot folder", u".cache", kDir, EntryAction::Leave, EntryAction::Leave},
        {"self", u".", kDir, EntryAction::Leave, EntryAction::Leave},
        {"parent", u"..", kDir, EntryAction::Leave, EntryAction::Leave},
        {"directory link", u"junction", kDir | kLink, EntryAction::RemoveLink, EntryAction::RemoveLink},
        {"dot directory link", u".link", kDir | kLink, EntryAction::Leave, EntryAction::Leave},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DeleteTreeAction(c.name, c.attributes), c.deleteTree);
        EXPECT_EQ(RemoveEmptyAction(c.name, c.attributes), c.removeEmpty);
    }
}

// Only an existing entry with the reparse bit is a link; the failure value (all bits set) is not.
TEST_F(DirectoryWalkTest, IsLinkAttributesRejectsFailureValue) {
    EXPECT_TRUE(IsLinkAttributes(kDir | kLink));
    EXPECT_TRUE(IsLinkAttributes(kFile | kLink));
    EXPECT_FALSE(IsLinkAttributes(kDir));
    EXPECT_FALSE(IsLinkAttributes(kInvalidAttributes));
}

}  // namespace
