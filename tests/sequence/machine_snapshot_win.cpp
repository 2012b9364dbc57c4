// machine_snapshot.exe BASE-FOLDER: prints TakeSnapshot's lines, one a line,
// so the shell tests compare the machine with the same facts the sequence
// tests use. Exit code 2 for a missing argument.
#include <cstdio>

#include "system/text_win.h"
#include "tests/sequence/machine_state_win.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: machine_snapshot BASE-FOLDER\n", stderr);
        return 2;
    }
    const MachineSnapshot snapshot = TakeSnapshot(FromWide(argv[1]));
    for (const std::string& line : snapshot.Lines) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
    return 0;
}
