#include "platform/folder_trust.h"

#include "platform/path_names.h"

namespace {

bool EntryLetsOnlyAdministratorsChange(const AccessEntry& entry) {
    if (!entry.Allows || !entry.ChangingRights)
        return true;
    switch (entry.Who) {
        case Principal::Administrative:
            return true;
        case Principal::CreatorOwner:
            // Only someone who may create inside gets it, and nobody else may.
            return entry.InheritOnly;
        case Principal::Other:
            return false;
    }
    return false;
}

// An entry that gives someone besides administrators a right on the folder
// itself. CREATOR OWNER on the folder itself is counted too: nothing proves
// whom it means there.
bool GrantsOthersOnFolder(const AccessEntry& entry) {
    return entry.Allows && !entry.InheritOnly && entry.Who != Principal::Administrative;
}

bool OthersMayDelete(const FolderFacts& facts) {
    for (const AccessEntry& entry : facts.Entries) {
        if (GrantsOthersOnFolder(entry) && entry.Deletes)
            return true;
    }
    return false;
}

// Refusals that hold where permissions are not kept too.
std::optional<FolderVerdict> OpeningVerdict(const FolderFacts& facts) {
    if (!facts.Exists)
        return FolderVerdict::Trusted;
    if (!facts.Opened)
        return FolderVerdict::Unreadable;
    if (facts.ReparsePoint)
        return FolderVerdict::ReparsePoint;
    return std::nullopt;
}

FolderVerdict JudgeInChain(const std::vector<FolderFacts>& folders, size_t i, size_t base, bool enforced) {
    const FolderVerdict verdict =
        i < base ? JudgeFolderAbove(folders[i], i == 0, enforced) : JudgeFolder(folders[i], enforced);
    if (verdict != FolderVerdict::Trusted || !enforced || i == 0 || !folders[i].Exists || !folders[i - 1].Exists)
        return verdict;
    return OnlyAdministratorsControlChildren(folders[i - 1]) ? verdict : FolderVerdict::OthersCanMove;
}

// "C:\", then "C:\A", ... up to the base folder's parent.
std::vector<std::u16string> FoldersAbove(std::u16string_view base) {
    std::vector<std::u16string> folders;
    if (base.size() <= 3 || base[1] != u':' || base[2] != u'\\')
        return folders;
    folders.push_back(std::u16string(base.substr(0, 3)));
    for (size_t slash = base.find(u'\\', 3); slash != std::u16string_view::npos; slash = base.find(u'\\', slash + 1))
        folders.push_back(std::u16string(base.substr(0, slash)));
    return folders;
}

std::u16string FolderToJudge(std::u16string folder) {
    while (folder.size() > 3 && folder.back() == u'\\')
        folder.pop_back();
    if (folder.size() == 2 && folder[1] == u':')
        folder += u'\\';
    return folder;
}

}  // namespace

bool OnlyAdministratorsCanChange(const FolderFacts& facts) {
    if (!facts.DescriptorRead || facts.Owner != Principal::Administrative || !facts.HasDacl)
        return false;
    for (const AccessEntry& entry : facts.Entries) {
        if (!EntryLetsOnlyAdministratorsChange(entry))
            return false;
    }
    return true;
}

FolderVerdict JudgeFolder(const FolderFacts& facts, bool permissionsEnforced) {
    if (const std::optional<FolderVerdict> verdict = OpeningVerdict(facts))
        return *verdict;
    if (!permissionsEnforced)
        return FolderVerdict::Trusted;
    if (!facts.DescriptorRead)
        return FolderVerdict::Unreadable;
    return OnlyAdministratorsCanChange(facts) ? FolderVerdict::Trusted : FolderVerdict::OthersCanWrite;
}

FolderVerdict JudgeFolderAbove(const FolderFacts& facts, bool volumeRoot, bool permissionsEnforced) {
    if (const std::optional<FolderVerdict> verdict = OpeningVerdict(facts))
        return *verdict;
    if (!permissionsEnforced)
        return FolderVerdict::Trusted;
    if (!facts.DescriptorRead)
        return FolderVerdict::Unreadable;
    if (facts.Owner != Principal::Administrative || !facts.HasDacl || (!volumeRoot && OthersMayDelete(facts)))
        return FolderVerdict::OthersCanMove;
    return FolderVerdict::Trusted;
}

bool OnlyAdministratorsControlChildren(const FolderFacts& parent) {
    if (!parent.DescriptorRead || !parent.HasDacl)
        return false;
    for (const AccessEntry& entry : parent.Entries) {
        if (GrantsOthersOnFolder(entry) && entry.ControlsChildren)
            return false;
    }
    return true;
}

std::optional<FolderRefusal> FirstRefusedFolder(const std::vector<FolderFacts>& folders,
                                                size_t base,
                                                bool permissionsEnforced) {
    for (size_t i = 0; i < folders.size(); ++i) {
        const FolderVerdict verdict = JudgeInChain(folders, i, base, permissionsEnforced);
        if (verdict != FolderVerdict::Trusted)
            return FolderRefusal{i, verdict};
    }
    return std::nullopt;
}

std::u16string FolderRefusalText(FolderVerdict verdict) {
    switch (verdict) {
        case FolderVerdict::ReparsePoint:
            return u"a link (reparse point) stands in place of the folder ";
        case FolderVerdict::OthersCanWrite:
            return u"users other than administrators can write to ";
        case FolderVerdict::OthersCanMove:
            return u"users other than administrators can rename, delete or re-permission ";
        default:
            return u"cannot open the folder or read its permissions ";
    }
}

FolderChain InstallFolderChain(std::u16string_view base, std::u16string_view company, std::u16string_view product) {
    const std::u16string baseFolder = FolderToJudge(std::u16string(base));
    FolderChain chain{FoldersAbove(baseFolder)};
    chain.Base = chain.Folders.size();
    chain.Folders.push_back(baseFolder);
    if (std::optional<std::u16string> companyFolder = JoinPath(base, company)) {
        chain.Folders.push_back(*companyFolder);
        if (std::optional<std::u16string> productFolder = JoinPath(*companyFolder, product))
            chain.Folders.push_back(*productFolder);
    }
    return chain;
}
