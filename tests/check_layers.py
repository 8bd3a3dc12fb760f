#!/usr/bin/env python3
"""Fails on an include that the build's layers cannot refuse by themselves.

Each layer is a library of its own that sees only the headers of the layers it links (see
src/CMakeLists.txt), so an include of a layer above does not compile. What remains is said
here: world/fast (the sensing machinery) belongs to the world's library but is for world/
alone; the programs (view, app, cli, islands, python, web) never include the grid and never
include a header by a relative path that would step around the layers (the simulation's
population is private to it, so the compiler keeps the programs out of it); Qt is for view/ and app/ only (the runner links the view,
which links Qt, but must not use it itself). And a folder's headers that another folder may
include are those docs/ARCHITECTURE.md lists under "Public headers": an include of any other
header of a listed folder, from outside its layer, fails.
Usage: check_layers.py SRC_DIR [ARCHITECTURE_MD]
"""
import os
import re
import sys

PROGRAMS = {"view", "app", "cli", "islands", "python", "web"}
QT_FOLDERS = {"view", "app"}
GRID = {"creature/grid.h", "world/grid_query.h"}
OUR = re.compile(r'#\s*include\s+"([^"]+)"')
QT = re.compile(r"#\s*include\s+<(Q[A-Za-z]+|Qt[A-Za-z]+/[^>]+)>")
ROW = re.compile(r"^\|\s*`([a-z_/]+)/`\s*\|(.*)\|\s*$")


def public_headers(architecture):
    """{folder: set of its public headers} from the "Public headers" table."""
    table, inside = {}, False
    with open(architecture, encoding="utf-8") as f:
        for line in f:
            if line.startswith("## "):
                inside = line.strip() == "## Public headers"
                continue
            m = ROW.match(line) if inside else None
            if m:
                table[m.group(1)] = set(re.findall(r"`([a-z_]+\.h)`", m.group(2)))
    return table


def faults(src, public=None):
    found = []
    for folder_path, _, files in os.walk(src):
        rel = os.path.relpath(folder_path, src)
        parts = rel.split(os.sep)
        layer = parts[0]
        in_world = layer == "world"
        for name in files:
            if not name.endswith((".h", ".cpp", ".inl")):
                continue
            path = os.path.join(folder_path, name)
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    where = f"{os.path.relpath(path, src)}:{number}"
                    m = OUR.search(line)
                    if m:
                        include = m.group(1)
                        if ".." in include.split("/"):
                            found.append(f"{where}: includes \"{include}\" by a relative path")
                        if include.startswith("world/fast/") and not in_world:
                            found.append(f"{where}: world/fast is for world/ alone (\"{include}\")")
                        if layer in PROGRAMS and include in GRID:
                            found.append(f"{where}: {layer}/ may not include the grid (\"{include}\")")
                        folder, _, header = include.rpartition("/")
                        if (public is not None and folder in public and folder.split("/")[0] != layer and
                                header not in public[folder]):
                            found.append(f"{where}: \"{include}\" is not among {folder}/'s public headers "
                                         "(docs/ARCHITECTURE.md, Public headers)")
                    if QT.search(line) and layer not in QT_FOLDERS:
                        found.append(f"{where}: {layer}/ may not include Qt ({line.strip()})")
    return found


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    architecture = sys.argv[2] if len(sys.argv) > 2 else os.path.join(src, "..", "docs", "ARCHITECTURE.md")
    found = faults(src, public_headers(architecture))
    for f in found:
        print(f)
    if found:
        print(f"{len(found)} include(s) against the layers (see docs/ARCHITECTURE.md)")
        return 1
    print("every include the build cannot check follows the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
