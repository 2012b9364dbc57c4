#!/usr/bin/env python3
"""The include check on small planted trees: each case names one include and
whether the check must accept it."""
import os
import subprocess
import sys
import tempfile

LAYERS = "top    low\nlow\ntests  *\n"
CASES = [
    # (file, include, accepted)
    ("top/a.cpp", "low/b.h", True),         # down
    ("low/b.cpp", "top/a.h", False),        # up
    ("low/b.cpp", "low/c.h", True),         # own layer
    ("low/b.cpp", "gone/c.h", False),       # a folder the list does not name
    ("tests/t.cpp", "top/a.h", True),       # tests may use every layer
    ("low/b.cpp", "c.h", True),             # local to the file's folder
]


def run(check, tree):
    return subprocess.run([sys.executable, check, "--root", tree, "--layers", os.path.join(tree, "layers.txt")],
                          capture_output=True, text=True).returncode


def main():
    check = sys.argv[1]
    failures = 0
    for path, include, accepted in CASES:
        with tempfile.TemporaryDirectory() as tree:
            with open(os.path.join(tree, "layers.txt"), "w") as layers:
                layers.write(LAYERS)
            os.makedirs(os.path.join(tree, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(tree, path), "w") as source:
                source.write(f'#include "{include}"\n')
            if (run(check, tree) == 0) != accepted:
                print(f"FAIL: {path} including {include} should be {'accepted' if accepted else 'refused'}")
                failures += 1
    with tempfile.TemporaryDirectory() as tree:
        os.makedirs(os.path.join(tree, "stray"))
        open(os.path.join(tree, "stray", "x.cpp"), "w").close()
        with open(os.path.join(tree, "layers.txt"), "w") as layers:
            layers.write(LAYERS)
        if run(check, tree) == 0:
            print("FAIL: a source folder outside the list should be refused")
            failures += 1
    print(f"{len(CASES) + 1 - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
