#!/usr/bin/env python3
"""Every program that restricts its library search refuses to run when the
restriction fails: no source calls RestrictDllSearchToSystem32 and ignores
its result. Read from the sources (no Windows can make the call fail here).

    library_search_refusal_test.py ROOT
"""
import pathlib
import re
import sys

CALL = re.compile(r"\bRestrictDllSearchToSystem32\(\)")
IGNORED = re.compile(r"^\s*(\(void\)\s*)?RestrictDllSearchToSystem32\(\);")
# The installer, the uninstaller, the panel, the service, the device console
# and pkgtool.
EXPECTED_CALLERS = 6


def main(root):
    callers, ignored = 0, []
    for path in sorted(pathlib.Path(root).glob("*/**/*.cpp")):
        parts = path.relative_to(root).parts
        if parts[0] in ("build", "tests") or path.name == "dll_search_win.cpp":
            continue
        lines = path.read_text(encoding="utf-8").splitlines()
        if any(CALL.search(line) for line in lines):
            callers += 1
        ignored += [f"{path.relative_to(root)}:{n}" for n, line in enumerate(lines, 1) if IGNORED.match(line)]
    for where in ignored:
        print(f"{where}: the result of RestrictDllSearchToSystem32 is ignored")
    if callers < EXPECTED_CALLERS:
        print(f"only {callers} programs restrict their library search, {EXPECTED_CALLERS} expected")
    return 1 if ignored or callers < EXPECTED_CALLERS else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
