#!/usr/bin/env python3
"""The page's speed against the runner's, by CPU time: the same world (a world file) stepped by
the page's module (build/web/site/vivarion.js, in Node.js, whose engine is Chromium's V8) and by
the runner on one thread, taking turns, each timed by the CPU time of its own process (so that
the load of the machine does not enter). Both time the same steps: those after the first 100
(the runner's start, its reading of the file and its first 100 steps are taken out by a run of
100 steps). Both must reach the same hash.

Usage: bench/web_speed.py SITE RUNNER WORLD [STEPS] [ROUNDS]
  e.g. bench/web_speed.py build/web/site build/release/src/cli/vivarion-cli bench/seed3-60k.vivw
"""
import json
import os
import resource
import statistics
import subprocess
import sys

NODE_STEPPER = r"""
const fs = require('fs');
const [site, world, steps] = process.argv.slice(1);  // node -e: the arguments follow at once
// The engine's bytes given directly: its loader would fetch() a file name, which Node refuses.
require(site + '/vivarion.js')({ wasmBinary: fs.readFileSync(site + '/vivarion.wasm') }).then((M) => {
  const w = new M.World();
  const error = w.load(fs.readFileSync(world), 'world.vivw');
  if (error) throw new Error(error);
  w.step(100);  // warmed up: the engine's tiers compile the hot code first
  const before = process.cpuUsage();
  const stepError = w.step(Number(steps));
  if (stepError) throw new Error(stepError);
  const used = process.cpuUsage(before);
  console.log(JSON.stringify({ cpu: (used.user + used.system) / 1e6, hash: w.hash(), step: w.stepCount() }));
});
"""


def children_cpu():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def runner_cpu(runner, world, steps):
    """CPU seconds of a runner process that steps the world, and its last hash."""
    before = children_cpu()
    out = subprocess.run([runner, "--load-world", world, "--world-settings", "--steps", str(steps), "--threads", "1",
                          "--hash"], capture_output=True, text=True, check=True).stdout
    return children_cpu() - before, out.strip().splitlines()[-1].split("hash=")[1]


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    site, runner, world = (os.path.abspath(a) for a in sys.argv[1:4])
    steps = int(sys.argv[4]) if len(sys.argv) > 4 else 3000
    rounds = int(sys.argv[5]) if len(sys.argv) > 5 else 3
    page_rates, runner_rates = [], []
    for _ in range(rounds):
        node = subprocess.run(["node", "-e", NODE_STEPPER, site, world, str(steps)], capture_output=True,
                              text=True)
        if node.returncode != 0:
            sys.exit("the page's module failed: " + node.stderr[-2000:])
        got = json.loads(node.stdout)
        # The page stepped 100 steps more (its warm-up) before the timed ones.
        page_rates.append(steps / got["cpu"])
        cpu, runner_hash = runner_cpu(runner, world, steps + 100)
        warm, _ = runner_cpu(runner, world, 100)
        runner_rates.append(steps / (cpu - warm))
        if runner_hash != got["hash"]:
            sys.exit(f"the page's world is {got['hash']} at step {got['step']}, the runner's {runner_hash}")
    page, native = statistics.median(page_rates), statistics.median(runner_rates)
    print(f"{os.path.basename(world)}, {steps} steps, {rounds} rounds taking turns, CPU time of each process:")
    print(f"  page's module (Node.js {subprocess.run(['node', '--version'], capture_output=True, text=True).stdout.strip()}): "
          f"{page:.0f} steps per CPU second (" + ", ".join(f"{r:.0f}" for r in sorted(page_rates)) + ")")
    print(f"  runner, one thread: {native:.0f} steps per CPU second (" +
          ", ".join(f"{r:.0f}" for r in sorted(runner_rates)) + ")")
    print(f"  the page at {100 * page / native:.0f} % of the runner's single thread")


if __name__ == "__main__":
    main()
