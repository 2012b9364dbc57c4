#include "platform/directory_walk.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
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

// An in-memory file system. A link's listing and its children are its
// target's, as a walk that followed it would see them, so a walk that enters a
// link deletes inside the target. BeforeOpen runs before each open: the place
// where another program swaps an entry between the listing and the open.
struct FakeEntry {
    uint32_t Attributes = kFile;
    uint64_t Id = 0;
    std::map<std::u16string, std::shared_ptr<FakeEntry>> Children;
    std::shared_ptr<FakeEntry> Target;  // links only

    FakeEntry& Reached() { return Target ? *Target : *this; }
};

struct FakeFileSystem {
    std::shared_ptr<FakeEntry> Make(uint32_t attributes) {
        auto entry = std::make_shared<FakeEntry>();
        entry->Attributes = attributes;
        entry->Id = ++lastId;
        return entry;
    }
    std::shared_ptr<FakeEntry> Add(FakeEntry& parent, const std::u16string& name, uint32_t attributes) {
        return parent.Children[name] = Make(attributes);
    }
    std::shared_ptr<FakeEntry> LinkTo(std::shared_ptr<FakeEntry> target) {
        std::shared_ptr<FakeEntry> link = Make(kDir | kLink);
        link->Target = std::move(target);
        return link;
    }

    uint64_t lastId = 0;
    std::function<void(const std::u16string& name)> BeforeOpen = [](const std::u16string&) {};
};

class FakeNode : public WalkNode {
  public:
    FakeNode(FakeFileSystem& fs, FakeEntry* parent, std::u16string name, std::shared_ptr<FakeEntry> entry)
        : fs_(fs), parent_(parent), name_(std::move(name)), entry_(std::move(entry)) {}

    std::optional<WalkNodeInfo> Info() override { return WalkNodeInfo{entry_->Attributes, entry_->Id}; }
    std::vector<WalkEntry> List() override {
        std::vector<WalkEntry> entries = {{u".", kDir, 0}, {u"..", kDir, 0}};
        for (const auto& [name, child] : entry_->Reached().Children)
            entries.push_back({name, child->Attributes, child->Id});
        return entries;
    }
    std::unique_ptr<WalkNode> OpenChild(const std::u16string& name, bool) override {
        fs_.BeforeOpen(name);
        auto& children = entry_->Reached().Children;
        auto found = children.find(name);
        if (found == children.end())
            return nullptr;
        return std::make_unique<FakeNode>(fs_, &entry_->Reached(), name, found->second);
    }
    bool Delete() override {
        bool emptyDirectory = entry_->Target || entry_->Children.empty();
        if ((entry_->Attributes & 0x1) || !emptyDirectory || !parent_)
            return false;
        auto found = parent_->Children.find(name_);
        if (found != parent_->Children.end() && found->second == entry_)
            parent_->Children.erase(found);
        return true;
    }

  private:
    FakeFileSystem& fs_;
    FakeEntry* parent_;
    std::u16string name_;
    std::shared_ptr<FakeEntry> entry_;
};

// Names below an entry, depth first ("sub/b.txt"), links not followed.
void CollectNames(const FakeEntry& entry, const std::u16string& prefix, std::vector<std::u16string>& names) {
    for (const auto& [name, child] : entry.Children) {
        names.push_back(prefix + name);
        if (!child->Target)
            CollectNames(*child, prefix + name + u"/", names);
    }
}

std::vector<std::u16string> NamesBelow(const FakeEntry& entry) {
    std::vector<std::u16string> names;
    CollectNames(entry, u"", names);
    return names;
}

class DirectoryWalkTest : public ::testing::Test {
  protected:
    DirectoryWalkTest() { Build(); }

    // volume/tree = {a.txt, sub/b.txt}; volume/outside = {precious.txt, empty/, inner/more.txt}.
    void Build() {
        fs_ = FakeFileSystem();
        volume_ = fs_.Make(kDir);
        tree_ = fs_.Add(*volume_, u"tree", kDir);
        fs_.Add(*tree_, u"a.txt", kFile);
        fs_.Add(*fs_.Add(*tree_, u"sub", kDir), u"b.txt", kFile);
        outside_ = fs_.Add(*volume_, u"outside", kDir);
        fs_.Add(*outside_, u"precious.txt", kFile);
        fs_.Add(*outside_, u"empty", kDir);
        fs_.Add(*fs_.Add(*outside_, u"inner", kDir), u"more.txt", kFile);
    }

    void Walk(const std::u16string& name, DecideEntry decide) {
        FakeNode root(fs_, volume_.get(), name, volume_->Children.at(name));
        PruneTree(root, 3 + name.size(), decide);
    }

    FakeFileSystem fs_;
    std::shared_ptr<FakeEntry> volume_;
    std::shared_ptr<FakeEntry> tree_;
    std::shared_ptr<FakeEntry> outside_;
};

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

struct SwapCase {
    const char* what;
    std::u16string swapped;  // the entry changed just before it is opened; empty: none
    std::function<void(FakeFileSystem&, FakeEntry& tree, std::shared_ptr<FakeEntry> outside)> swap;
    std::vector<std::u16string> deleteTreeLeaves;
};

// Whatever is swapped for a link while the walk runs, neither walk touches anything in the link's target.
TEST_F(DirectoryWalkTest, WalkNeverActsInsideALinkSwappedInBetweenSteps) {
    const std::vector<SwapCase> cases = {
        {"directory replaced by a link after the listing",
         u"sub",
         [](FakeFileSystem& fs, FakeEntry& tree, auto outside) { tree.Children[u"sub"] = fs.LinkTo(outside); },
         {u"sub"}},
        {"directory turned into a link in place (same identity)",
         u"sub",
         [](FakeFileSystem&, FakeEntry& tree, auto outside) {
             FakeEntry& sub = *tree.Children[u"sub"];
             sub.Children.clear();
             sub.Attributes |= kLink;
             sub.Target = outside;
         },
         {}},
        {"file replaced by a directory link",
         u"a.txt",
         [](FakeFileSystem& fs, FakeEntry& tree, auto outside) { tree.Children[u"a.txt"] = fs.LinkTo(outside); },
         {u"a.txt"}},
        {"a link listed as a link",
         u"",
         [](FakeFileSystem& fs, FakeEntry& tree, auto outside) { tree.Children[u"link"] = fs.LinkTo(outside); },
         {}},
    };
    const std::vector<std::u16string> outsideBefore = NamesBelow(*outside_);
    for (const SwapCase& c : cases) {
        for (DecideEntry decide : {DeleteTreeAction, RemoveEmptyAction}) {
            SCOPED_TRACE(std::string(c.what) + (decide == DeleteTreeAction ? " / delete tree" : " / remove empty"));
            Build();
            FakeEntry& tree = *tree_;
            bool swapped = c.swapped.empty();
            if (swapped)
                c.swap(fs_, tree, outside_);
            fs_.BeforeOpen = [&](const std::u16string& name) {
                if (!swapped && name == c.swapped) {
                    swapped = true;
                    c.swap(fs_, tree, outside_);
                }
            };
            Walk(u"tree", decide);
            EXPECT_EQ(NamesBelow(*outside_), outsideBefore);
            if (decide == DeleteTreeAction && c.deleteTreeLeaves.empty()) {
                EXPECT_EQ(volume_->Children.count(u"tree"), 0u);
            } else if (decide == DeleteTreeAction) {
                EXPECT_EQ(NamesBelow(tree), c.deleteTreeLeaves);
            }
        }
    }
}

// A root that is itself a directory link: only the link goes, for both walks.
TEST_F(DirectoryWalkTest, RootLinkIsDeletedNotEntered) {
    const std::vector<std::u16string> outsideBefore = NamesBelow(*outside_);
    for (DecideEntry decide : {DeleteTreeAction, RemoveEmptyAction}) {
        volume_->Children[u"link"] = fs_.LinkTo(outside_);
        Walk(u"link", decide);
        EXPECT_EQ(volume_->Children.count(u"link"), 0u);
        EXPECT_EQ(NamesBelow(*outside_), outsideBefore);
    }
}

}  // namespace
