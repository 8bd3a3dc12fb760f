#!/usr/bin/env python3
"""A settings sweep with replicates: how many animals live after a run, by SunLight.

  PYTHONPATH=build/release/src/python /usr/bin/python3 examples/sweep.py [--steps N] [--out DIR]

Each value of SunLight is run with three seeds from the shipped settings; the final figures go
to DIR/sweep.csv and, where matplotlib is installed, a figure of animals and plants against
SunLight to DIR/sweep.png.
"""
import argparse
import csv
import os

import vivarion

SHIPPED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "VIVARION.ini")


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--steps", type=int, default=20000)
    p.add_argument("--out", default=".")
    a = p.parse_args()
    rows = []
    for sunlight in (0.5, 0.75, 1.0):
        rules = vivarion.Settings(SHIPPED)
        rules["SunLight"] = sunlight
        for seed in (1, 2, 3):
            world = vivarion.World(settings=rules, seed=seed)
            world.run(until=a.steps)
            rows.append({"sunlight": sunlight, "seed": seed, **world.figures()})
    table = os.path.join(a.out, "sweep.csv")
    with open(table, "w", newline="") as f:
        writer = csv.DictWriter(f, fieldnames=list(rows[0]))
        writer.writeheader()
        writer.writerows(rows)
    print(f"{len(rows)} runs of {a.steps} steps: {table}")
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        return
    fig, ax = plt.subplots(figsize=(5.5, 3.5))
    sunlight = [r["sunlight"] for r in rows]
    ax.scatter(sunlight, [r["creatures"] for r in rows], label="animals")
    ax.scatter(sunlight, [r["food"] for r in rows], marker="x", label="plants")
    ax.set_xlabel("SunLight")
    ax.set_ylabel(f"alive after {a.steps:,} steps")
    ax.set_title("three seeds per value")
    ax.legend()
    fig.tight_layout()
    figure = os.path.join(a.out, "sweep.png")
    fig.savefig(figure, dpi=100)
    print(f"figure: {figure}")


if __name__ == "__main__":
    main()
