#!/usr/bin/env python3
"""What the agents' server adds to a run: a run call of 10,000 steps against the runner's own steps.

  python3 bench/mcp_overhead.py [--build build/release] [--steps 10000] [--rounds 7]

Both step the shipped world 60,000 steps old (bench/seed3-60k.vivw, about 300 creatures) on one
thread. The runner's time is its CPU time for --steps N less its CPU time for --steps 0 (reading
the world and starting up); the server's is the CPU time its process spends while the run call
is answered (the world loaded before). The overhead is the median of the rounds' ratios less 1;
both end at the same hash, which is checked.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
WORLD = os.path.join(HERE, "seed3-60k.vivw")
TICKS = os.sysconf("SC_CLK_TCK")


def runner_cpu(cli, steps):
    """CPU seconds of one runner process and its last line."""
    before = os.times()
    out = subprocess.run([cli, "--load-world", WORLD, "--world-settings", "--steps", str(steps), "--threads", "1", "--hash"],
                         check=True, capture_output=True, text=True).stdout
    after = os.times()
    return (after.children_user - before.children_user) + (after.children_system - before.children_system), out


def process_cpu(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


class Server:
    def __init__(self, program):
        self.p = subprocess.Popen([program, "--threads", "1"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.id = 0
        self.call_raw("initialize", {"protocolVersion": "2025-11-25", "capabilities": {},
                                     "clientInfo": {"name": "bench", "version": "1"}})

    def call_raw(self, method, params):
        self.id += 1
        self.p.stdin.write(json.dumps({"jsonrpc": "2.0", "id": self.id, "method": method, "params": params}) + "\n")
        self.p.stdin.flush()
        while True:
            reply = json.loads(self.p.stdout.readline())
            if reply.get("id") == self.id:
                return reply["result"]

    def tool(self, name, arguments):
        result = self.call_raw("tools/call", {"name": name, "arguments": arguments})
        if result["isError"]:
            raise SystemExit(f"{name}: {result['content'][0]['text']}")
        return result["structuredContent"]

    def close(self):
        self.p.stdin.close()
        self.p.wait()


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--build", default=os.path.join(HERE, "..", "build", "release"))
    p.add_argument("--steps", type=int, default=10000)
    p.add_argument("--rounds", type=int, default=7)
    a = p.parse_args()
    cli = os.path.join(a.build, "src", "cli", "vivarion-cli")
    mcp = os.path.join(a.build, "src", "mcp", "vivarion-mcp")
    server = Server(mcp)
    ratios, runs, calls = [], [], []
    for k in range(a.rounds):
        start, _ = runner_cpu(cli, 0)
        whole, out = runner_cpu(cli, a.steps)
        runner = whole - start
        name = f"w{k}"
        server.tool("load_world", {"name": name, "path": WORLD})
        before = process_cpu(server.p.pid)
        result = server.tool("run", {"name": name, "steps": a.steps})
        spent = process_cpu(server.p.pid) - before
        server.tool("close_world", {"name": name})
        expected = out.strip().split("hash=")[-1]
        if result["figures"]["hash"] != expected:
            raise SystemExit(f"the hashes differ: server {result['figures']['hash']}, runner {expected}")
        runs.append(runner)
        calls.append(spent)
        ratios.append(spent / runner)
        print(f"round {k + 1}: runner {runner:.3f} s, run call {spent:.3f} s of CPU, ratio {spent / runner:.4f}",
              file=sys.stderr)
    server.close()
    print(f"{a.steps} steps of the shipped world on one thread, {a.rounds} rounds (CPU time, the load average "
          f"{os.getloadavg()[0]:.1f} at the end):")
    print(f"  runner: median {statistics.median(runs):.3f} s; run call: median {statistics.median(calls):.3f} s")
    print(f"  overhead of the run call: median {100 * (statistics.median(ratios) - 1):+.2f} % "
          f"(rounds from {100 * (min(ratios) - 1):+.2f} % to {100 * (max(ratios) - 1):+.2f} %)")


if __name__ == "__main__":
    main()
