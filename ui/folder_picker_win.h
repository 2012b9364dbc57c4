// Choosing the installation folder: the system folder picker. The rules that
// turn the chosen folder into the base folder and the full installation path
// are records/install_path.h.
#pragma once

#include <optional>
#include <string>

// Shows the system folder picker (no owner, whole namespace, title "Select
// Folder") and returns the chosen item's file-system path; std::nullopt when
// the user cancelled or the item has no file-system path. The picker's item
// is freed with the shell allocator in every case.
std::optional<std::u16string> PickFolder();
