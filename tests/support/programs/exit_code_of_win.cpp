// ExitCodeOf.exe PROGRAM [ARGS...]: runs PROGRAM with ARGS, waits for it and
// prints its whole 32-bit exit code (a shell sees only the low 8 bits of a
// Windows program's exit code under Wine). Prints "error" when it cannot start.
// ExitCodeOf.exe /cmdline "COMMAND LINE": runs a whole command line as it
// stands, the way the shell runs a registry command such as UninstallString.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    std::wstring commandLine;
    const bool whole = argc == 3 && std::wstring(argv[1]) == L"/cmdline";
    if (whole)
        commandLine = argv[2];
    for (int i = 1; !whole && i < argc; ++i) {
        if (i > 1)
            commandLine += L' ';
        commandLine += L'"' + std::wstring(argv[i]) + L'"';
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (argc < 2 ||
        !CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("error\n");
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("%lu\n", static_cast<unsigned long>(code));
    return 0;
}
