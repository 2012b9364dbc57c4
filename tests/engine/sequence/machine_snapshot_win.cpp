// machine_snapshot.exe [--skip PATH]... [--no-contents] BASE-FOLDER: prints
// TakeSnapshot's lines, one a line, so the shell tests compare the machine
// with the same facts the sequence tests use. Each PATH (a full path) is left
// out with everything below it; --no-contents leaves out the files' contents,
// for comparing installations made at different times (shortcuts hold times).
// A BASE-FOLDER of a drive's root ("C:\\") walks the whole drive.
// machine_snapshot.exe --shell-folder CSIDL prints that shell folder's path,
// as the shell tests ask where a shortcut is to be. Exit code 2 for a wrong
// command line.
#include <cstdio>
#include <cwchar>
#include <cwctype>

#include "platform/text.h"
#include "platform/text_win.h"
#include "tests/engine/sequence/machine_state_win.h"

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"--shell-folder") == 0 && std::iswdigit(argv[2][0])) {
        std::puts(Utf16ToUtf8(ShellFolderPath(static_cast<int>(std::wcstol(argv[2], nullptr, 10)))).c_str());
        return 0;
    }
    SnapshotOptions options;
    int at = 1;
    for (; at + 1 < argc; ++at) {
        if (std::wcscmp(argv[at], L"--skip") == 0)
            options.Skipped.push_back(FromWide(argv[++at]));
        else if (std::wcscmp(argv[at], L"--no-contents") == 0)
            options.HashContents = false;
        else
            break;
    }
    if (at != argc - 1 || argv[at][0] == L'-') {
        std::fputs("usage: machine_snapshot [--skip PATH]... [--no-contents] BASE-FOLDER\n", stderr);
        return 2;
    }
    std::u16string base = FromWide(argv[at]);
    // Paths below it are the base and a backslash: a root's own one would double.
    if (!base.empty() && base.back() == u'\\')
        base.pop_back();
    const MachineSnapshot snapshot = TakeSnapshot(base, options);
    for (const std::string& line : snapshot.Lines) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
    return 0;
}
