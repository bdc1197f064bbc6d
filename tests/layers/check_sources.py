#!/usr/bin/env python3
"""Fails when a .cpp file below the source root is built by no target: the
targets list their sources by name, so a new file needs its line.

  check_sources.py SOURCE_ROOT COMPILE_COMMANDS [--not-compiled FILE ...]

COMPILE_COMMANDS is the build's compile_commands.json; --not-compiled names
files (relative to SOURCE_ROOT) that are built outside CMake's compile rules.
Build folders (those holding a CMakeCache.txt) are skipped.
"""

import argparse
import json
import os
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("compile_commands")
    parser.add_argument("--not-compiled", nargs="*", default=[])
    args = parser.parse_args()
    root = os.path.realpath(args.root)

    with open(args.compile_commands) as f:
        built = {os.path.realpath(os.path.join(entry["directory"], entry["file"]))
                 for entry in json.load(f)}
    built.update(os.path.join(root, name) for name in args.not_compiled)

    missing = []
    for dirpath, dirnames, filenames in os.walk(root):
        dirnames[:] = sorted(d for d in dirnames if not d.startswith(".")
                             and not os.path.exists(os.path.join(dirpath, d, "CMakeCache.txt")))
        for name in sorted(filenames):
            path = os.path.join(dirpath, name)
            if name.endswith(".cpp") and os.path.realpath(path) not in built:
                missing.append(os.path.relpath(path, root))
    for name in missing:
        print(f"{name}: in no target's source list")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
