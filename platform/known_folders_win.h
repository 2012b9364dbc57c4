// The system folders the installer names itself, rather than through the
// package's script.
#pragma once

#include <string>

// The Program Files folder (of this 32-bit program's view), made when it is
// missing. Empty when the system cannot name it; the installer treats an
// empty base folder as "none given". Loads the shell: ask only when needed.
std::u16string ProgramFilesFolder();
