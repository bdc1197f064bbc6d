#!/usr/bin/env python3
"""Fails when a layer reaches what it must not.

Includes: every #include of the sources below platform/, ftpengine/, shared/
and controls/ is resolved to a path below the source root (a quoted include
next to the file first, then from the root) and checked against the folders
the layer must not reach; the layers without Qt Widgets may name none of its
headers. A control family reaches only the families before it in
CONTROL_FAMILIES. Links: each target of the user administration program, with every
library it links directly or through another, must not reach the FTP engine.

  check_layers.py SOURCE_ROOT [--widgets-dir DIR] [--links FILE]

FILE holds one "target: lib lib ..." line per user administration target.
"""

import argparse
import os
import re
import sys

# The Widgets module's class headers, for a machine whose Qt headers are not
# at hand; the installed folder adds every other name.
KNOWN_WIDGETS = {
    "QApplication", "QWidget", "QDialog", "QMainWindow", "QPushButton", "QLabel",
    "QMessageBox", "QLineEdit", "QCheckBox", "QMenu", "QMenuBar", "QLayout",
    "QVBoxLayout", "QHBoxLayout", "QGridLayout", "QStyle", "QFrame", "QGroupBox",
    "QStatusBar", "QListWidget", "QTreeView", "QScrollArea", "QAbstractButton",
    "QToolButton", "QComboBox", "QSpinBox", "QTableWidget", "QStyleOption",
}

HIGHER = ["shared/", "ftpengine/", "controls/", "ftpdesktop/", "useradmin/", "tools/", "tests/"]

# (folder, folders it holds that the rule leaves out, forbidden folders, Widgets banned)
RULES = [
    ("platform/", ["platform/gui/"], HIGHER + ["platform/gui/"], True),
    ("platform/gui/", [], HIGHER, False),
    # The shell namespace: no windows, and nothing of the FTP component.
    ("platform/shell/", [], HIGHER + ["platform/gui/", "platform/ftp/"], True),
    ("ftpengine/", [],
     ["controls/", "ftpdesktop/", "useradmin/", "tools/", "tests/", "shared/gui/", "platform/gui/"],
     True),
    ("shared/", ["shared/gui/"],
     ["ftpengine/", "controls/", "ftpdesktop/", "useradmin/", "tools/", "tests/", "shared/gui/",
      "platform/gui/"], True),
]

# The control families from the bottom up: each may include the ones before it.
CONTROL_FAMILIES = ["storage", "base", "panels", "labels", "grids", "buttons", "lists", "edits",
                    "shell"]
ABOVE_CONTROLS = ["shared/", "ftpengine/", "ftpdesktop/", "useradmin/", "tools/", "tests/"]
RULES += [
    (f"controls/{family}/", [],
     ABOVE_CONTROLS + [f"controls/{above}/" for above in CONTROL_FAMILIES[i + 1:]], False)
    for i, family in enumerate(CONTROL_FAMILIES)
]

ENGINE_LIBRARIES = {"vdx_ftpengine", "vdx_platform_ftp"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")


def widgets_headers(folder):
    names = set(KNOWN_WIDGETS)
    if folder and os.path.isdir(folder):
        names.update(n for n in os.listdir(folder) if not n.endswith(".h"))
    return names


def is_widgets(header, widgets):
    if header == "QtWidgets" or header.startswith("QtWidgets/"):
        return True
    return header in widgets


def resolve(root, source, header):
    """The include as a path below root, or None for one outside it."""
    beside = os.path.normpath(os.path.join(os.path.dirname(source), header))
    if os.path.isfile(beside):
        return os.path.relpath(beside, root).replace(os.sep, "/")
    if os.path.isfile(os.path.join(root, header)):
        return os.path.normpath(header).replace(os.sep, "/")
    return None


def sources_of(root, folder, left_out):
    base = os.path.join(root, folder)
    for directory, _, files in os.walk(base):
        rel_dir = os.path.relpath(directory, root).replace(os.sep, "/") + "/"
        if any(rel_dir.startswith(o) for o in left_out):
            continue
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.join(directory, name), rel_dir + name


def check_includes(root, widgets):
    faults = []
    for folder, left_out, forbidden, no_widgets in RULES:
        for path, rel in sources_of(root, folder, left_out):
            with open(path, encoding="latin-1") as f:
                for number, line in enumerate(f, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    quote, header = match.groups()
                    where = f"{rel}:{number}: {line.strip()}"
                    if no_widgets and is_widgets(header, widgets):
                        faults.append(f"{where}: Qt Widgets header in {folder}")
                        continue
                    target = resolve(root, path, header) if quote == '"' else None
                    if target and any(target.startswith(f) for f in forbidden):
                        faults.append(f"{where}: {folder} must not include {target}")
    return faults


def check_families(root):
    """A control folder outside the family order would go unchecked."""
    base = os.path.join(root, "controls")
    if not os.path.isdir(base):
        return []
    return [f"controls/{name}/ has no place in CONTROL_FAMILIES"
            for name in sorted(os.listdir(base))
            if os.path.isdir(os.path.join(base, name)) and name not in CONTROL_FAMILIES]


def check_links(links_file):
    faults = []
    if not links_file:
        return faults
    with open(links_file, encoding="utf-8") as f:
        for line in f:
            if ":" not in line:
                continue
            target, libraries = line.split(":", 1)
            reached = ENGINE_LIBRARIES.intersection(libraries.split())
            if reached:
                faults.append(f"{target.strip()} links {', '.join(sorted(reached))}")
    return faults


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--widgets-dir", default="")
    parser.add_argument("--links", default="")
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    faults = (check_includes(root, widgets_headers(args.widgets_dir)) + check_families(root) +
              check_links(args.links))
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} layer violation(s)")
        return 1
    print("layers clean")
    return 0


if __name__ == "__main__":
    sys.exit(main())
