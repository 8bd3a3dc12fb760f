#!/usr/bin/env python3
"""Fails when a file under src/ includes a header its folder may not include.

Layers point down: config and draw need nothing of ours (draw throws config's errors); film
(video files from frames of pixels) needs config alone, and the programs' pictures use it;
parts needs config and draw; rules (the rules beside the design: light, diet, open mutation,
what acts on a newborn) need parts and below, and creature needs rules;
creature needs those (it keeps the grid, creature/grid.h, which needs nothing); world/fast (the sensing machinery:
organ actions, eye batches, the mouth index) needs creature and below and is included by
world/ alone; world needs everything below it. Qt is for view/ and app/ only. The
programs (view, app, cli, islands) never include the grid, and never reach into the
simulation's population (sim.World): they read it through Population() and change the
world through the simulation's calls.
Usage: check_layers.py SRC_DIR
"""
import os
import re
import sys

BELOW = {
    "config": {"config"},
    "draw": {"draw"},
    "film": {"config", "film"},
    "parts": {"config", "draw", "parts"},
    "rules": {"config", "draw", "parts", "rules"},
    "creature": {"config", "draw", "parts", "rules", "creature"},
    "world/fast": {"config", "draw", "parts", "rules", "creature", "world/fast"},
    "world": {"config", "draw", "parts", "rules", "creature", "world/fast", "world"},
    "history": {"config", "draw", "parts", "rules", "creature", "world", "history"},
    "sim": {"config", "draw", "parts", "rules", "creature", "world", "history", "sim"},
    "view": {"config", "draw", "parts", "rules", "creature", "world", "history", "sim", "view", "film"},
    "app": {"config", "draw", "parts", "rules", "creature", "world", "history", "sim", "view", "app", "film"},
    "cli": {"config", "draw", "parts", "rules", "creature", "world", "history", "sim", "view", "cli", "film"},
    "islands": {"config", "draw", "parts", "rules", "creature", "world", "history", "sim", "cli", "islands", "film"},
    "python": {"config", "draw", "parts", "rules", "creature", "world", "history", "sim", "python"},
}
# Single headers a folder may include from a layer it otherwise may not: the exception types
# that every layer throws.
EXTRA = {"draw": {"config/errors.h"}}
# The programs drive worlds through the simulation object: they never reach the grid.
FORBIDDEN = {program: {"creature/grid.h", "world/grid_query.h"} for program in ("view", "app", "cli", "islands", "python")}
QT_FOLDERS = {"view", "app"}
PROGRAMS = {"view", "app", "cli", "islands", "python"}
REACH_IN = re.compile(r"\b[Ss]im\.World\b")
OUR = re.compile(r'#\s*include\s+"([a-z_]+)/([^"]+)"')
QT = re.compile(r"#\s*include\s+<(Q[A-Za-z]+|Qt[A-Za-z]+/[^>]+)>")


def faults(src):
    found = []
    for folder_path, _, files in os.walk(src):
        rel = os.path.relpath(folder_path, src)
        parts = rel.split(os.sep)
        layer = "world/fast" if parts[:2] == ["world", "fast"] else parts[0]
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
                        if folder == "world" and header.startswith("fast/"):
                            folder = "world/fast"
                        allowed = folder in BELOW[layer] or include in EXTRA.get(layer, set())
                        if include in FORBIDDEN.get(layer, set()):
                            allowed = False
                        if not allowed:
                            found.append(f"{where}: {layer}/ may not include \"{include}\"")
                    if layer in PROGRAMS and REACH_IN.search(line):
                        found.append(f"{where}: {layer}/ may not reach into the population ({line.strip()})")
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
