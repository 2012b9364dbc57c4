// The facts CanonicalBaseFolder judges a base folder's text by, asked of
// Windows.
#pragma once

#include <string>

#include "platform/base_folder_text.h"

// GetFullPathNameW of `text` (empty when it fails or would not fit a
// 260-unit path), whether GetDriveTypeW calls that path's drive a fixed
// drive, and the Program Files folder when the full path holds a
// parenthesis (which loads the shell). Never fails; missing facts refuse.
FolderTextFacts BaseFolderTextFacts(const std::u16string& text);

// CanonicalBaseFolder of `text` on the facts above.
std::optional<std::u16string> JudgeBaseFolderText(const std::u16string& text);
