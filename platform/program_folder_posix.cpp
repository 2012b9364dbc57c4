// ProgramFolder for POSIX hosts (the native build). A Windows build compiles
// program_folder_win.cpp instead; the guard only lets a blanket syntax check
// of engine/*.cpp with MinGW pass over this file.
#if !defined(_WIN32)

#include <unistd.h>

#include <string>

#include "platform/program_folder.h"
#include "platform/text.h"

std::u16string ProgramFolder() {
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size())
        return {};  // unknown, or possibly truncated
    path.resize(static_cast<size_t>(length));
    const size_t cut = path.rfind('/');
    if (cut == std::string::npos)
        return {};
    path.resize(cut);
    return Utf8ToUtf16(path);
}

#endif  // !_WIN32
