"""The agents' server without Node.js, for make test: a world made and run over stdio reaches the
runner's rows and hash, a tool error leaves the server answering, and standard output holds
protocol messages alone (the client test of make check, tests/mcp/, calls every tool).
Usage: mcp_quick.py SERVER RUNNER SETTINGS"""
import json
import subprocess
import sys

server, runner, settings = sys.argv[1:4]
requests = [
    {"jsonrpc": "2.0", "id": 1, "method": "initialize",
     "params": {"protocolVersion": "2025-11-25", "capabilities": {}, "clientInfo": {"name": "quick", "version": "1"}}},
    {"jsonrpc": "2.0", "method": "notifications/initialized"},
    {"jsonrpc": "2.0", "id": 2, "method": "tools/call",
     "params": {"name": "new_world", "arguments": {"name": "w", "seed": 4, "keys": {"MaxFood": 200}}}},
    {"jsonrpc": "2.0", "id": 3, "method": "tools/call", "params": {"name": "run", "arguments": {"name": "w", "steps": "1"}}},
    {"jsonrpc": "2.0", "id": 4, "method": "tools/call",
     "params": {"name": "run", "arguments": {"name": "w", "steps": 3000, "report": 1000, "hash": True}}},
]
out = subprocess.run([server, "--settings", settings], input="".join(json.dumps(r) + "\n" for r in requests),
                     capture_output=True, text=True, check=True).stdout
replies = {r["id"]: r for r in map(json.loads, out.strip().split("\n"))}
assert sorted(replies) == [1, 2, 3, 4], out
assert replies[1]["result"]["serverInfo"]["name"] == "vivarion-mcp"
assert replies[3]["result"]["isError"] and "steps needs a whole number" in replies[3]["result"]["content"][0]["text"]
with open(settings) as f:
    ini = f.read().replace("MaxFood=300", "MaxFood=200")
with open("mcp_quick.ini", "w") as f:
    f.write(ini)
lines = subprocess.run([runner, "--settings", "mcp_quick.ini", "--seed", "4", "--steps", "3000", "--report", "1000", "--hash"],
                       capture_output=True, text=True, check=True).stdout.strip().split("\n")
expected = [dict(pair.split("=") for pair in line.split()) for line in lines]
got = replies[4]["result"]["structuredContent"]["rows"]
assert [{k: str(v) for k, v in row.items()} for row in got] == expected, (got, expected)
print("the server's world is the runner's:", got[-1]["hash"])
