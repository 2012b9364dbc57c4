#include "system/directory_walk.h"

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
