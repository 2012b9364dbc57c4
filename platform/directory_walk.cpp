#include "platform/directory_walk.h"

#include "platform/path_names.h"

namespace {

bool IsDirectory(uint32_t attributes) {
    return (attributes & kAttributeDirectory) != 0;
}

bool IsDotName(std::u16string_view name) {
    return !name.empty() && name.front() == u'.';
}

// Shared by both walks once the entry is known to be a directory.
EntryAction DirectoryAction(std::u16string_view name, uint32_t attributes) {
    if (IsDotName(name))
        return EntryAction::Leave;
    if (attributes & kAttributeReparsePoint)
        return EntryAction::RemoveLink;
    return EntryAction::Descend;
}

}  // namespace

EntryAction DeleteTreeAction(std::u16string_view name, uint32_t attributes) {
    if (!IsDirectory(attributes))
        return EntryAction::DeleteFile;
    return DirectoryAction(name, attributes);
}

EntryAction RemoveEmptyAction(std::u16string_view name, uint32_t attributes) {
    if (!IsDirectory(attributes))
        return EntryAction::Leave;
    return DirectoryAction(name, attributes);
}

bool IsLinkAttributes(uint32_t attributes) {
    return attributes != kInvalidAttributes && (attributes & kAttributeReparsePoint) != 0;
}

namespace {

bool FitsPath(size_t parentUnits, const std::u16string& name) {
    return parentUnits + 1 + name.size() <= kMaxPathUnits;
}

void PruneEntries(WalkNode& directory, size_t directoryUnits, DecideEntry decide) {
    for (const WalkEntry& listed : directory.List()) {
        EntryAction planned = decide(listed.Name, listed.Attributes);
        if (planned == EntryAction::Leave || !FitsPath(directoryUnits, listed.Name))
            continue;
        std::unique_ptr<WalkNode> child = directory.OpenChild(listed.Name, planned == EntryAction::Descend);
        std::optional<WalkNodeInfo> info = child ? child->Info() : std::nullopt;
        // Another entry under the same name is not what was listed.
        if (!info || info->Id != listed.Id)
            continue;
        // The listed entry itself may have become a link since: its open
        // node's attributes decide. Entering needs the listing access.
        EntryAction action = decide(listed.Name, info->Attributes);
        if (action == EntryAction::Descend && planned != EntryAction::Descend)
            continue;
        if (action == EntryAction::Descend)
            PruneEntries(*child, directoryUnits + 1 + listed.Name.size(), decide);
        if (action != EntryAction::Leave)
            child->Delete();
    }
}

}  // namespace

void PruneTree(WalkNode& root, size_t rootUnits, DecideEntry decide) {
    std::optional<WalkNodeInfo> info = root.Info();
    if (!info || !IsDirectory(info->Attributes))
        return;
    if (!IsLinkAttributes(info->Attributes))
        PruneEntries(root, rootUnits, decide);
    root.Delete();
}
