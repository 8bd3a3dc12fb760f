"""The tools that read saved worlds through the module, against the worlds themselves."""
import os
import subprocess
import sys

import vivarion

SETTINGS = os.environ["VIVARION_SETTINGS"]
TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")


def test_plant_kinds_counts_each_kinds_plants_and_eaters(tmp_path):
    rules = vivarion.Settings(SETTINGS)
    rules["PlantColors"], rules["PlantRooms"], rules["PlantColorChange"] = 2, 1, 0.05
    rules["ColorMutation"], rules["DietWidth"] = 24, 0.6
    world = vivarion.World(settings=rules, seed=4, population=(6, 200))
    world.step(1500)
    saved = tmp_path / "two-kinds.vivw"
    world.save(str(saved))
    done = subprocess.run([sys.executable, os.path.join(TOOLS, "plant-kinds"), str(saved), str(tmp_path / "none.vivw"),
                           "--module", os.path.dirname(vivarion.__file__)], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    assert "none.vivw: " in done.stderr and "cannot open" in done.stderr
    rows = [line.split() for line in done.stdout.splitlines()[1:]]
    # A row per kind, "(red, blue)" being two fields: world, red, blue, plants, fill, full, grows,
    # animals.
    assert [(r[1], r[2]) for r in rows] == [("(0,", "0)"), ("(160,", "160)")]
    table = world.creatures()
    plants = int(table["plant"].sum())
    assert sum(int(r[3]) for r in rows) == plants
    assert sum(int(r[7]) for r in rows) == len(table) - plants
    # Each kind in its room of half the plants' 300 (a child that changes kind may pass it by a
    # few); fills and growth are shares, the plants pushed by the animals growing less than still ones.
    assert all(int(r[3]) <= 160 and 0 < float(r[4]) <= 1 and 0 <= float(r[5]) <= float(r[4]) for r in rows)
    assert all(0 < float(r[6]) < 1 for r in rows)
