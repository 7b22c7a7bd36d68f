#!/usr/bin/env python3
"""Checks every #include of the program's folders against the layer table.

    check_layers.py --qt-include DIR [--root DIR] [--self-check]

A folder may include its own files and those of the folders its arrows reach, directly or
through other folders; an included header of Qt must belong to a module the folder may use.
Prints one line per broken arrow and exits 1 when there is one. --self-check adds, one at a
time, includes that break the table to the real tree and fails unless each is caught.
"""

import argparse
import fnmatch
import functools
import os
import re
import sys

# Who may include whom (the arrows run one way; they are followed transitively).
LAYERS = {
    "app": ["console/gui"],
    "console/gui": ["console", "planview/gui", "platform/gui", "export"],
    "planview/gui": ["planview", "platform/gui"],
    "console": ["planview", "positioning", "surveydata"],
    "planview": ["surveydata"],
    "positioning": ["platform"],
    "surveydata": [],
    "platform/gui": ["platform"],
    "platform": [],
    "tools": ["console", "planview", "positioning", "surveydata", "export"],
    "export": ["positioning", "surveydata"],
}
# Two arrows above are not drawn in the design's table: planview/gui -> platform/gui (the
# shared widget helpers, the name edit and the restored window geometry) and platform/gui ->
# platform (its own core).

# Headers every folder may include: the interface through which every layer reports to the
# user (message boxes, a recorder in tests, standard error in the tool). Header only.
OPEN_TO_ALL = ["platform/messagesink.h"]

# The Qt modules a folder may include headers of; a folder not named here may use any.
# Widgets (QtWidgets, QtPrintSupport) stay in the gui folders and app/.
QT_MODULES = {
    "platform": ["QtCore", "QtSerialPort"],
    "positioning": ["QtCore"],
    "surveydata": ["QtCore"],
    "planview": ["QtCore", "QtGui"],
    "console": ["QtCore", "QtGui"],
    "tools": ["QtCore", "QtGui"],
    "export": ["QtCore"],
}

# Files checked as another layer than their folder's, as {pattern: layer}, while they wait to
# move; a pattern that matches no file fails the check.
KNOWN_EXCEPTIONS = {}

# Includes that break the table, for --self-check: (file, include line, what must be said).
BROKEN_ARROWS = [
    ("platform/replaylink.h", '#include "positioning/framer.h"', "positioning/framer.h"),
    ("surveydata/codec.cpp", "#include <QWidget>", "<QWidget> (QtWidgets)"),
    ("console/recorder.cpp", "#include <QtWidgets/QLabel>", "<QtWidgets/QLabel> (QtWidgets)"),
    ("tools/cmd_job.cpp", "#include <qprinter.h>", "<qprinter.h> (QtPrintSupport)"),
    ("planview/paintplan.cpp", '#include "planview/gui/surveychart.h"', "planview/gui/"),
    ("positioning/gps.cpp", '#include "surveydata/pointcoll.h"', "surveydata/pointcoll.h"),
]

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(path):
    """The layer of a path relative to the root, or None when it is in none of them."""
    for pattern, layer in KNOWN_EXCEPTIONS.items():
        if fnmatch.fnmatch(path, pattern):
            return layer
    best = None
    for layer in LAYERS:
        if path.startswith(layer + "/") and (best is None or len(layer) > len(best)):
            best = layer
    return best


def reach(layer):
    """Every layer that layer may include, itself among them."""
    seen, todo = set(), [layer]
    while todo:
        current = todo.pop()
        if current not in seen:
            seen.add(current)
            todo.extend(LAYERS[current])
    return seen


@functools.lru_cache(maxsize=None)
def qt_module(header, qt_include):
    """The Qt module of an angle-bracket header, None when it is no Qt header."""
    first = header.split("/")[0]
    if "/" in header and first.startswith("Qt"):
        return first
    if not re.fullmatch(r"Q[A-Za-z0-9]+|q[a-z0-9_]+\.h", header):
        return None
    for module in sorted(os.listdir(qt_include)):
        if os.path.isfile(os.path.join(qt_include, module, header)):
            return module
    return "an unknown Qt module"


def sources(root):
    for layer in sorted(LAYERS):
        if "/" in layer:
            continue  # walked with its parent folder
        for folder, dirs, files in os.walk(os.path.join(root, layer)):
            dirs.sort()
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def check_file(root, path, lines, qt_include):
    """The broken arrows of one file, as printable lines."""
    layer = layer_of(path)
    allowed = reach(layer)
    modules = QT_MODULES.get(layer)
    found = []
    for number, line in enumerate(lines, 1):
        m = INCLUDE.match(line)
        if not m:
            continue
        quote, name = m.groups()
        where = f"{path}:{number}: includes "
        if quote == '"':
            beside = os.path.normpath(os.path.join(os.path.dirname(path), name))
            target = beside if os.path.isfile(os.path.join(root, beside)) else name
            target = os.path.normpath(target).replace(os.sep, "/")
            if target in OPEN_TO_ALL:
                continue
            other = layer_of(target)
            if other is None:
                found.append(where + f"{target}, which is in no layer")
            elif other not in allowed:
                found.append(where + f"{target}: {layer}/ may not include {other}/")
        else:
            module = qt_module(name, qt_include)
            if module is not None and modules is not None and module not in modules:
                found.append(where + f"<{name}> ({module}): {layer}/ uses only "
                             + ", ".join(modules))
    return found


def read_lines(root, path):
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        return f.read().splitlines()


def check_tree(root, qt_include, extra=None):
    """Broken arrows of the whole tree; extra = (file, line) added to that file's lines."""
    found, files = [], list(sources(root))
    for path in files:
        lines = read_lines(root, path)
        if extra and extra[0] == path:
            lines = lines + [extra[1]]
        found.extend(check_file(root, path, lines, qt_include))
    for pattern in KNOWN_EXCEPTIONS:
        if not any(fnmatch.fnmatch(path, pattern) for path in files):
            found.append(f"exception {pattern} matches no file any more: take it off the list")
    return found, len(files)


def self_check(root, qt_include):
    failures = []
    clean, _ = check_tree(root, qt_include)
    for path, line, said in BROKEN_ARROWS:
        if not os.path.isfile(os.path.join(root, path)):
            failures.append(f"self-check: {path} is gone; choose another file for {line}")
            continue
        found, _ = check_tree(root, qt_include, (path, line))
        new = [f for f in found if f not in clean]
        if len(new) != 1 or not new[0].startswith(path + ":") or said not in new[0]:
            failures.append(f"self-check: {line} in {path} gave {new or 'nothing'}")
        else:
            print(f"caught: {new[0]}")
    return failures


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.dirname(here))
    parser.add_argument("--qt-include", required=True, help="Qt's include folder (QtCore/ inside)")
    parser.add_argument("--self-check", action="store_true")
    args = parser.parse_args()
    if not os.path.isdir(os.path.join(args.qt_include, "QtCore")):
        print(f"no QtCore/ in {args.qt_include}", file=sys.stderr)
        return 2
    if args.self_check:
        failures = self_check(args.root, args.qt_include)
        for f in failures:
            print(f)
        return 1 if failures else 0
    found, count = check_tree(args.root, args.qt_include)
    for f in found:
        print(f)
    print(f"layers: {count} files, {len(found)} problems")
    return 1 if found or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
