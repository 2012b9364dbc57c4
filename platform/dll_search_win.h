// Where this process looks for the libraries it loads after start-up.
//
// The programs run elevated from folders that other programs can write to
// (a download folder, the installation folder). Windows looks for a library
// that is not one of its KnownDLLs in the program's own folder first, so a
// library planted there would run with the program's rights. Every shipped
// program calls this first thing in its entry point; its static imports are
// KnownDLLs only, and anything else (GDI+, ...) is delay-loaded, so that it
// is loaded after this call, from System32.
#pragma once

// Makes System32 the only folder searched for libraries loaded by name from
// now on (SetDefaultDllDirectories with LOAD_LIBRARY_SEARCH_SYSTEM32) and
// takes the current directory out of the search (SetDllDirectoryW(L"")).
// False when the system lacks SetDefaultDllDirectories (Windows 7 without
// update KB2533623) or either call failed; the current directory is then
// still taken out when possible. Call it before any other code of the
// program runs and before any delay-loaded library is first used.
bool RestrictDllSearchToSystem32();

// What a program ends with when RestrictDllSearchToSystem32 fails: it runs
// nothing more, since any library it loads later could be a planted one
// (1603, the installer's code for the same refusal).
inline constexpr int kLibrarySearchRefusedExitCode = 1603;

// The line a console program writes to standard error before it so ends.
inline constexpr char kLibrarySearchRefusedText[] =
    "refused: the library search cannot be restricted to System32 (SetDefaultDllDirectories is missing; "
    "Windows 7 needs update KB2533623)";
