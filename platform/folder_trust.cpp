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
    if (!facts.Exists)
        return FolderVerdict::Trusted;
    if (!facts.Opened)
        return FolderVerdict::Unreadable;
    if (facts.ReparsePoint)
        return FolderVerdict::ReparsePoint;
    if (!permissionsEnforced)
        return FolderVerdict::Trusted;
    if (!facts.DescriptorRead)
        return FolderVerdict::Unreadable;
    return OnlyAdministratorsCanChange(facts) ? FolderVerdict::Trusted : FolderVerdict::OthersCanWrite;
}

std::optional<FolderRefusal> FirstRefusedFolder(const std::vector<FolderFacts>& folders, bool permissionsEnforced) {
    for (size_t i = 0; i < folders.size(); ++i) {
        const FolderVerdict verdict = JudgeFolder(folders[i], permissionsEnforced);
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
        default:
            return u"cannot open the folder or read its permissions ";
    }
}

std::vector<std::u16string> InstallFolderChain(std::u16string_view base,
                                               std::u16string_view company,
                                               std::u16string_view product) {
    std::vector<std::u16string> folders{FolderToJudge(std::u16string(base))};
    if (std::optional<std::u16string> companyFolder = JoinPath(base, company)) {
        folders.push_back(*companyFolder);
        if (std::optional<std::u16string> productFolder = JoinPath(*companyFolder, product))
            folders.push_back(*productFolder);
    }
    return folders;
}
