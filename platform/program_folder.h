// The folder of the running program: where the installer finds script.ini
// and where a package's InstallFolder starts out.
#pragma once

#include <string>

// Folder of the running program (no trailing backslash); empty when unknown.
// Implemented per platform (the native build's answer serves the tests).
std::u16string ProgramFolder();
