#!/usr/bin/env python3
"""A settings sweep with replicates: how many animals live after a run, by SunLight.

  PYTHONPATH=build/release/src/python /usr/bin/python3 examples/sweep.py [--steps N] [--out DIR]

Each value of SunLight is run with three seeds from the shipped settings; the final figures go
to DIR/sweep.csv and, where matplotlib is installed, a figure of animals against SunLight to
DIR/sweep.png.
"""
import argparse
import configparser
import csv
import os
import tempfile

import vivarion

HERE = os.path.dirname(os.path.abspath(__file__))


def settings_with(sunlight, folder):
    """The shipped settings with one value changed, as a file of their own."""
    ini = configparser.ConfigParser()
    ini.optionxform = str  # keys keep their case
    ini.read(os.path.join(HERE, "..", "VIVARION.ini"))
    ini["VIVARION"]["SunLight"] = str(sunlight)
    path = os.path.join(folder, f"sunlight-{sunlight}.ini")
    with open(path, "w") as f:
        ini.write(f)
    return path


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--steps", type=int, default=20000)
    p.add_argument("--out", default=".")
    a = p.parse_args()
    rows = []
    with tempfile.TemporaryDirectory() as folder:
        for sunlight in (0.5, 0.75, 1.0):
            for seed in (1, 2, 3):
                world = vivarion.World(settings=settings_with(sunlight, folder), seed=seed)
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
    fig, ax = plt.subplots(figsize=(5, 3.5))
    ax.scatter([r["sunlight"] for r in rows], [r["creatures"] for r in rows])
    ax.set_xlabel("SunLight")
    ax.set_ylabel(f"animals after {a.steps:,} steps")
    fig.tight_layout()
    fig.savefig(os.path.join(a.out, "sweep.png"))


if __name__ == "__main__":
    main()
