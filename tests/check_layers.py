#!/usr/bin/env python3
"""Fails when a file under src/ includes a header its folder may not include.

Layers point down: config and draw need nothing of ours (draw throws config's errors);
parts needs config and draw;
creature needs those and, of world/, only world/grid.h; world needs everything below it;
the fast machinery (world/fast/) is private to world/. Qt is for view/ and app/ only. The
programs (view, app, cli, islands) never include the grid: they go through sim/.
Usage: check_layers.py SRC_DIR
"""
import os
import re
import sys

BELOW = {
    "config": {"config"},
    "draw": {"draw"},
    "parts": {"config", "draw", "parts"},
    "creature": {"config", "draw", "parts", "creature"},
    "world": {"config", "draw", "parts", "creature", "world"},
    "history": {"config", "draw", "parts", "creature", "world", "history"},
    "sim": {"config", "draw", "parts", "creature", "world", "history", "sim"},
    "view": {"config", "draw", "parts", "creature", "world", "history", "sim", "view"},
    "app": {"config", "draw", "parts", "creature", "world", "history", "sim", "view", "app"},
    "cli": {"config", "draw", "parts", "creature", "world", "history", "sim", "view", "cli"},
    "islands": {"config", "draw", "parts", "creature", "world", "history", "sim", "cli", "islands"},
}
# Single headers a folder may include from a layer it otherwise may not: the grid, which
# creatures keep up to date as they move, and the exception types that every layer throws.
EXTRA = {"creature": {"world/grid.h"}, "draw": {"config/errors.h"}}
# The programs drive worlds through the simulation object: they never reach the grid.
FORBIDDEN = {program: {"world/grid.h", "world/grid_query.h"} for program in ("view", "app", "cli", "islands")}
QT_FOLDERS = {"view", "app"}
OUR = re.compile(r'#\s*include\s+"([a-z_]+)/([^"]+)"')
QT = re.compile(r"#\s*include\s+<(Q[A-Za-z]+|Qt[A-Za-z]+/[^>]+)>")


def faults(src):
    found = []
    for folder_path, _, files in os.walk(src):
        rel = os.path.relpath(folder_path, src)
        layer = rel.split(os.sep)[0]
        if layer not in BELOW:
            continue
        for name in files:
            if not name.endswith((".h", ".cpp", ".inl")):
                continue
            path = os.path.join(folder_path, name)
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    where = f"{os.path.relpath(path, src)}:{number}"
                    m = OUR.search(line)
                    if m:
                        folder, header = m.group(1), m.group(2)
                        include = f"{folder}/{header}"
                        allowed = folder in BELOW[layer] or include in EXTRA.get(layer, set())
                        if header.startswith("fast/") and folder == "world" and layer != "world":
                            allowed = False
                        if include in FORBIDDEN.get(layer, set()):
                            allowed = False
                        if not allowed:
                            found.append(f"{where}: {layer}/ may not include \"{include}\"")
                    if QT.search(line) and layer not in QT_FOLDERS:
                        found.append(f"{where}: {layer}/ may not include Qt ({line.strip()})")
    return found


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    found = faults(src)
    for f in found:
        print(f)
    if found:
        print(f"{len(found)} include(s) against the layers (see docs/ARCHITECTURE.md)")
        return 1
    print("every include follows the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
