#!/usr/bin/env python3
"""Resumes a world from its file and follows one lineage: the descendants of the largest
living animal, step by step.

  PYTHONPATH=build/release/src/python /usr/bin/python3 examples/lineage.py WORLD.vivw [--steps N]
"""
import argparse

import vivarion


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("world")
    p.add_argument("--steps", type=int, default=5000)
    p.add_argument("--every", type=int, default=500)
    a = p.parse_args()
    world = vivarion.World.load(a.world)
    animals = world.creatures()
    animals = animals[~animals["plant"]]
    if len(animals) == 0:
        print("no animal lives in this world")
        return
    founder = int(animals[animals["energy"].argmax()]["serial"])
    lineage = {founder}
    print(f"step {world.step_count}: following animal {founder} ({world.creature(founder)['name']})")
    for _ in range(a.steps // a.every):
        world.step(a.every)
        living = world.creatures()
        # A creature belongs to the lineage when its parent does; parents are older, so one
        # pass over the serials in order finds the children of children born since the last
        # look. Looks come every --every steps: a child that was born and died between two
        # looks is not seen, nor are its children.
        for serial, parent in sorted(zip(living["serial"].tolist(), living["parent"].tolist())):
            if parent in lineage:
                lineage.add(serial)
        alive = sum(1 for s in living["serial"].tolist() if s in lineage)
        print(f"step {world.step_count}: {alive} of the lineage alive, {len(lineage)} ever")


if __name__ == "__main__":
    main()
