#!/usr/bin/env python3
"""Include check of the program's folders.

Reads the `#include "..."` lines of every .h/.cpp file in the program's
folders (no build needed) and fails when

  * a file includes a header of a higher folder (upward),
  * a file includes a header of another folder of the same rank (sideways),
  * a program file includes a header from outside the program (tests, sim),
  * the program's files include each other in a circle.

A circle is looked for among units: a header and the .cpp of the same name
are one unit, since the .cpp is where the header's promises are kept; A.cpp
including B.h while B.cpp includes A.h is a circle of A and B.

  scripts/check-includes.py [--root DIR]          check; exit 1 on a fault
  scripts/check-includes.py --graph [--root DIR]  folder-to-folder arrows,
                                                  with the count of includes
"""

import argparse
import os
import re
import sys
from collections import defaultdict

# The folder order, lowest first. A file may include headers of its own
# folder or of a folder with a lower rank; folders on one line are siblings
# and must not include each other.
LAYERS = [
    ["base"],
    ["mqtt"],
    ["protocol"],
    ["link"],
    ["measure", "relay", "devconfig"],
    ["alarm"],
    ["program"],
    ["widgets"],
    ["measure/ui", "relay/ui", "devconfig/ui", "alarm/ui"],
    ["app"],
]

RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE_ENDINGS = (".h", ".hpp", ".cpp")


def folder_of(path):
    """The folder a root-relative path belongs to ('measure/ui', 'app', ...)."""
    return os.path.dirname(path).replace(os.sep, "/")


def unit_of(path):
    return os.path.splitext(path)[0]


def program_files(root):
    """Root-relative paths of the program's sources, sorted."""
    found = []
    for folder in RANK:
        directory = os.path.join(root, folder)
        if not os.path.isdir(directory):
            continue
        for name in sorted(os.listdir(directory)):
            full = os.path.join(directory, name)
            if os.path.isfile(full) and name.endswith(SOURCE_ENDINGS):
                found.append(f"{folder}/{name}")
    return sorted(found)


def all_source_folders(root):
    """Every folder holding sources, for --graph on a tree of any layout."""
    skip = {"build", ".git", "tests", "bench", "fuzz", "sim", "Icons", "cmake",
            "packaging", "scripts"}
    found = []
    for directory, subdirs, files in os.walk(root):
        rel = os.path.relpath(directory, root).replace(os.sep, "/")
        if rel != "." and rel.split("/")[0] in skip:
            subdirs[:] = []
            continue
        subdirs.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_ENDINGS) and rel != ".":
                found.append(f"{rel}/{name}")
    return sorted(found)


def includes_of(root, path):
    """(line number, root-relative target) of each quoted include that names
    a file in the tree; system and library headers are not ours to check."""
    result = []
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
        for number, line in enumerate(text, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            name = match.group(1)
            # Quoted includes look beside the file first, then at the root.
            beside = os.path.normpath(os.path.join(folder_of(path), name))
            if os.path.isfile(os.path.join(root, beside)):
                result.append((number, beside.replace(os.sep, "/")))
            elif os.path.isfile(os.path.join(root, name)):
                result.append((number, os.path.normpath(name).replace(os.sep, "/")))
    return result


def folder_fault(source, target):
    """Why an include of `target` from `source` breaks the order, or None."""
    src, dst = folder_of(source), folder_of(target)
    if src == dst:
        return None
    if dst not in RANK:
        return f"includes {dst}/, which is outside the program"
    if RANK[dst] > RANK[src]:
        return f"upward: {src}/ includes the higher {dst}/"
    if RANK[dst] == RANK[src]:
        return f"sideways: {src}/ includes its sibling {dst}/"
    return None


def circles(edges):
    """Strongly connected components with more than one unit (Tarjan)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = [0]

    def visit(node):
        index[node] = low[node] = counter[0]
        counter[0] += 1
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(edges.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            component = []
            while True:
                top = stack.pop()
                on_stack.discard(top)
                component.append(top)
                if top == node:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for node in sorted(edges):
        if node not in index:
            visit(node)
    return sorted(found)


def unit_edges(root, files):
    edges = defaultdict(set)
    for path in files:
        for _, target in includes_of(root, path):
            a, b = unit_of(path), unit_of(target)
            if a != b:
                edges[a].add(b)
    return edges


def check(root):
    files = program_files(root)
    faults = []
    for path in files:
        for number, target in includes_of(root, path):
            why = folder_fault(path, target)
            if why:
                faults.append(f"{path}:{number}: {target}: {why}")
    program_units = {unit_of(p) for p in files}
    edges = unit_edges(root, files)
    edges = {a: {b for b in bs if b in program_units} for a, bs in edges.items()}
    for circle in circles(edges):
        faults.append("circle: " + " -> ".join(circle) + " -> " + circle[0])
    for fault in faults:
        print(fault)
    print(f"include check: {len(files)} files, {len(faults)} faults")
    return 1 if faults else 0


def graph(root):
    """Folder-to-folder arrows of a tree of any layout, marked where they
    break the order above; then any circle among units."""
    files = all_source_folders(root)
    arrows = defaultdict(int)
    for path in files:
        for _, target in includes_of(root, path):
            src, dst = folder_of(path), folder_of(target)
            if src != dst:
                arrows[(src, dst)] += 1
    for (src, dst), count in sorted(arrows.items()):
        mark = ""
        if src in RANK and dst in RANK:
            if RANK[dst] > RANK[src]:
                mark = "   UPWARD"
            elif RANK[dst] == RANK[src]:
                mark = "   SIDEWAYS"
        print(f"{src:14} -> {dst:14} {count:3}{mark}")
    units = {unit_of(p) for p in files}
    edges = unit_edges(root, files)
    edges = {a: {b for b in bs if b in units} for a, bs in edges.items()}
    for circle in circles(edges):
        print("circle: " + " -> ".join(circle) + " -> " + circle[0])
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(__file__), ".."),
                        help="the source tree (default: this script's tree)")
    parser.add_argument("--graph", action="store_true",
                        help="print the folder-to-folder arrows instead of checking")
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    return graph(root) if args.graph else check(root)


if __name__ == "__main__":
    sys.exit(main())
