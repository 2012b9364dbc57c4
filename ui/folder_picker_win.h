// Choosing the installation folder: the system folder picker and the rules
// that turn the chosen folder into the base folder and the full installation
// path (base folder\Company\Product).
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The longest text a 260-unit path field holds (the terminator takes the rest).
inline constexpr size_t kMaxPathField = 259;

struct InstallPathChoice {
    std::u16string BaseFolder;       // the chosen folder, without a trailing backslash
    std::u16string FullInstallPath;  // BaseFolder\Company\Product
};

// Applies the path rules to a chosen folder: one trailing backslash is
// removed (a drive root "D:\" becomes "D:"), then Company and Product are
// appended. std::nullopt when the folder is empty or when the full path would
// not fit a 259-character field (the caller keeps its previous path).
std::optional<InstallPathChoice> InstallPathForFolder(std::u16string_view folder,
                                                      std::u16string_view company,
                                                      std::u16string_view product);

// Shows the system folder picker (no owner, whole namespace, title "Select
// Folder") and returns the chosen item's file-system path; std::nullopt when
// the user cancelled or the item has no file-system path. The picker's item
// is freed with the shell allocator in every case.
std::optional<std::u16string> PickFolder();
