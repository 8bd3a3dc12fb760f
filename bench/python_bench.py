#!/usr/bin/env python3
"""What the Python module costs: stepping the shipped world from Python, and the creature arrays.

  /usr/bin/python3 bench/python_bench.py [--module build/bench/src/python] [--steps 5000]

1. The shipped world (bench/seed3-60k.vivw, about 300 creatures) stepped once per call,
   world.step(1) in a Python loop, against the same steps made in one call, world.step(N):
   the difference per step is what a Python caller adds to each step.
2. world.creatures() of a world of 10,000 creatures: the numpy record array, one call.
Each figure is the median of five rounds.
"""
import argparse
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def median_time(run, rounds=5):
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        run()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--module", default=os.path.join(HERE, "..", "build", "bench", "src", "python"))
    p.add_argument("--steps", type=int, default=5000)
    a = p.parse_args()
    sys.path.insert(0, a.module)
    import vivarion

    world_file = os.path.join(HERE, "seed3-60k.vivw")
    n = a.steps

    def one_call():
        vivarion.World.load(world_file).step(n)

    def one_call_per_step():
        world = vivarion.World.load(world_file)
        for _ in range(n):
            world.step()

    load = median_time(lambda: vivarion.World.load(world_file))
    whole = (median_time(one_call) - load) / n
    single = (median_time(one_call_per_step) - load) / n
    print(f"shipped world, step 60,000: {whole * 1e6:.1f} us a step in one call, "
          f"{single * 1e6:.1f} us a step called one by one: {(single - whole) * 1e6:.2f} us "
          f"({(single - whole) / whole:+.2%}) a call")

    crowd = vivarion.World(seed=1, population=(2000, 8000), size=(4000, 3000))
    count = len(crowd.creatures())
    calls = 200
    per_call = median_time(lambda: [crowd.creatures() for _ in range(calls)]) / calls
    print(f"world.creatures() of {count:,} creatures: {per_call * 1e3:.3f} ms")


if __name__ == "__main__":
    main()
