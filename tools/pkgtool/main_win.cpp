// Command-line entry of pkgtool.exe: UTF-16 arguments, UTF-8 output.
#include <windows.h>

#include <iostream>

#include "platform/dll_search_win.h"
#include "platform/text.h"
#include "tools/pkgtool/pkgtool.h"

int wmain(int argc, wchar_t** argv) {
    if (!RestrictDllSearchToSystem32()) {
        std::cerr << kLibrarySearchRefusedText << '\n';
        return kLibrarySearchRefusedExitCode;
    }
    // The listing is UTF-8; a console shows it right only in code page 65001.
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    return RunPkgtool(args, std::cout, std::cerr);
}
