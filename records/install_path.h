// Where the product goes: Company\Product below a base folder, in the
// 260-unit path fields of the window and the install sequence. The window, a
// chosen folder and the start-up's option resolution all apply these rules.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The longest text a 260-unit path field holds (the terminator takes the rest).
inline constexpr size_t kMaxPathField = 259;

struct InstallPathChoice {
    std::u16string BaseFolder;       // without a trailing backslash (InstallPathForFolder)
    std::u16string FullInstallPath;  // BaseFolder\Company\Product
};

// Applies the path rules to a chosen folder: one trailing backslash is
// removed (a drive root "D:\" becomes "D:"), then Company and Product are
// appended. std::nullopt when the folder is empty or when the full path would
// not fit a 259-character field (the caller keeps its previous path).
std::optional<InstallPathChoice> InstallPathForFolder(std::u16string_view folder,
                                                      std::u16string_view company,
                                                      std::u16string_view product);

// The window's first path: `base` as given, cut to 259 units, and
// "base\Company\Product" cut to 259 units. Never refuses; a cut path is the
// window's to show as it is.
InstallPathChoice CutInstallPath(std::u16string_view base, std::u16string_view company, std::u16string_view product);
