#!/usr/bin/env python3
"""Holds every quoted #include of the tree against the allowed folder-to-folder
arrows of docs/arrows.tsv; prints one line per include the table does not allow.

A folder is the first path component, except tests/<area> and tools/<name>,
which are folders of their own (tests/support/ui belongs to tests/support).
A folder may always include its own headers. An include that names no file of
the tree (moc_*.cpp, function_table.inc) is generated into the including
folder's build directory and counts as its own.
"""

import argparse
import os
import re
import subprocess
import sys

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*"([^"]+)"', re.MULTILINE)
TABLE = "docs/arrows.tsv"
KNOWN = "# known, to be removed"  # the table's last block: arrows the layers forbid


def folder(path):
    parts = path.split("/")
    if parts[0] in ("tests", "tools") and len(parts) > 2:
        return parts[0] + "/" + parts[1]
    if len(parts) > 1:
        return parts[0]
    return "."


def resolve(including, header, tree):
    # The compiler's order for quoted includes: beside the including file,
    # then the include directories the build gives (the root; tests/ for the
    # suites; a tool's own folder).
    candidates = [os.path.normpath(os.path.join(os.path.dirname(including), header)), header]
    if including.startswith("tests/"):
        candidates.append("tests/" + header)
    for candidate in candidates:
        if candidate in tree:
            return candidate
    return None


def read_table(path):
    """The allowed arrows, those of them under the "# known, to be removed" line, and faults."""
    allowed = set()
    known = set()
    faults = []
    in_known = False
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\n")
            if line.startswith(KNOWN):
                in_known = True
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) != 2 or not all(fields) or any(f != f.strip() for f in fields):
                faults.append(f"arrow-check: {path}:{number}: not a line 'from<TAB>to': {line!r}")
                continue
            allowed.add((fields[0], fields[1]))
            if in_known:
                known.add((fields[0], fields[1]))
    return allowed, known, faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--list", action="store_true", help="print every arrow of the tree with its count")
    args = parser.parse_args()
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

    files = subprocess.run(["git", "ls-files", "*.cpp", "*.h", "*.in"], check=True, capture_output=True,
                           text=True).stdout.split()
    tree = set(subprocess.run(["git", "ls-files"], check=True, capture_output=True, text=True).stdout.split())

    arrows = {}  # (from, to) -> [(file, line, header)]
    includes = 0
    files = [path for path in files if os.path.exists(path)]  # not those deleted but still in the index
    for path in files:
        with open(path, encoding="utf-8", errors="replace") as source:
            text = source.read()
        for match in INCLUDE.finditer(text):
            includes += 1
            header = match.group(1)
            target = resolve(path, header, tree)
            arrow = (folder(path), folder(target) if target else folder(path))
            if arrow[0] == arrow[1]:
                continue
            line = text.count("\n", 0, match.start()) + 1
            arrows.setdefault(arrow, []).append((path, line, header))

    if args.list:
        for (source, target), uses in sorted(arrows.items()):
            print(f"{source}\t{target}\t{len(uses)}")
        return 0

    allowed, known, faults = read_table(TABLE)
    for fault in faults:
        print(fault, file=sys.stderr)
    offending = 0
    for arrow, uses in sorted(arrows.items()):
        if arrow in allowed:
            continue
        for path, line, header in uses:
            offending += 1
            print(f"arrow-check: {path}:{line} includes {header}: {arrow[0]} -> {arrow[1]} is not in {TABLE}",
                  file=sys.stderr)
    notes = []
    if known:
        in_use = sum(len(arrows.get(arrow, [])) for arrow in known)
        notes.append(f"{len(known)} known to be removed ({in_use} includes)")
    unused = allowed - set(arrows)
    if unused:
        notes.append(f"{len(unused)} unused")
    of_table = f"{TABLE}: {len(allowed)} arrows" + "".join(", " + note for note in notes)
    if offending or faults:
        print(f"arrow-check: {offending} of {includes} includes in {len(files)} files break {of_table}",
              file=sys.stderr)
        return 1
    print(f"arrow-check: {includes} includes in {len(files)} files, {len(arrows)} arrows, all in {of_table}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
