// vivarion-mcp as a real client sees it: the official MCP TypeScript SDK starts the server over
// stdio, lists its tools and calls each, and the results are checked against vivarion-cli's
// (rows and hashes); then hostile calls, after which the server must still answer.
// Usage: node client_test.mjs SERVER RUNNER REPO_DIR
import { Client } from "@modelcontextprotocol/sdk/client/index.js";
import { StdioClientTransport } from "@modelcontextprotocol/sdk/client/stdio.js";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import zlib from "node:zlib";

const [server, runner, repo] = process.argv.slice(2).map((p) => path.resolve(p));
const work = fs.mkdtempSync(path.join(os.tmpdir(), "vivarion-mcp-"));
const settings = path.join(repo, "VIVARION.ini");
const adam = path.join(repo, "animals", "ADAM.viv");
let checks = 0;
const ok = (what) => {
  checks += 1;
  console.log(`ok ${checks} - ${what}`);
};

// The runner's status lines as rows: {step, creatures, food, biomass, species, hash}.
function runnerRows(args) {
  const out = execFileSync(runner, ["--settings", settings, ...args], { cwd: repo, encoding: "utf8" });
  return out.trim().split("\n").map((line) => {
    const row = {};
    for (const pair of line.split(" ")) {
      const [key, value] = pair.split("=");
      row[key] = key === "hash" ? value : Number(value);
    }
    return row;
  });
}

function csvRow(file, step) {
  const [header, ...rows] = fs.readFileSync(file, "utf8").trim().split("\n");
  const names = header.split(",");
  const values = rows.map((r) => r.split(",")).find((r) => Number(r[0]) === step);
  return Object.fromEntries(names.map((n, k) => [n, Number(values[k])]));
}

// A PNG's size from its header, and whether it holds more than one colour (its pixels inflated).
function pngFacts(base64) {
  const bytes = Buffer.from(base64, "base64");
  assert.deepEqual([...bytes.subarray(0, 8)], [137, 80, 78, 71, 13, 10, 26, 10], "a PNG signature");
  const width = bytes.readUInt32BE(16), height = bytes.readUInt32BE(20);
  const chunks = [];
  for (let at = 8; at < bytes.length; ) {
    const length = bytes.readUInt32BE(at), type = bytes.toString("ascii", at + 4, at + 8);
    if (type === "IDAT") chunks.push(bytes.subarray(at + 8, at + 8 + length));
    at += 12 + length;
  }
  const pixels = zlib.inflateSync(Buffer.concat(chunks));
  const seen = new Set();
  for (let k = 0; k < pixels.length && seen.size < 50; k += 97) seen.add(pixels[k]);
  return { width, height, colours: seen.size, bytes };
}

async function connect(extra = []) {
  const transport = new StdioClientTransport({ command: server, args: ["--settings", settings, ...extra], cwd: repo, stderr: "pipe" });
  const client = new Client({ name: "vivarion-test", version: "1.0.0" });
  await client.connect(transport);
  return client;
}

async function call(client, name, args, options = {}) {
  const result = await client.callTool({ name, arguments: args }, undefined, { timeout: 600000, ...options });
  return result;
}

async function must(client, name, args) {
  const result = await call(client, name, args);
  assert.equal(result.isError, false, `${name}: ${result.content?.[0]?.text}`);
  return result.structuredContent;
}

async function refused(client, name, args, words) {
  const result = await call(client, name, args);
  assert.equal(result.isError, true, `${name} ${JSON.stringify(args)} should fail`);
  assert.match(result.content[0].text, words, `${name}: the message says why`);
  return result.content[0].text;
}

const client = await connect();
const version = client.getServerVersion();
assert.equal(version.name, "vivarion-mcp");

// Every tool is listed with a description and a schema.
const names = ["new_world", "load_world", "save_world", "close_world", "list_worlds", "run", "figures", "report",
  "creatures", "creature", "taxa", "set_settings", "put_animal", "cull", "rewind", "branch", "compare", "picture",
  "chart", "run_study"];
const tools = (await client.listTools()).tools;
assert.deepEqual(tools.map((t) => t.name).sort(), [...names].sort());
for (const tool of tools) assert.ok(tool.description.length > 20 && tool.inputSchema.type === "object", tool.name);
ok("tools/list gives the twenty tools, each with a description and a schema");

// Worlds made and run through the server are the runner's, row for row and hash for hash.
for (const seed of [1, 2, 3]) {
  const made = await must(client, "new_world", { name: `s${seed}`, seed });
  assert.equal(made.seed, seed);
  const run = await must(client, "run", { name: `s${seed}`, steps: 6000, report: 2000, hash: true });
  const expected = runnerRows(["--seed", String(seed), "--steps", "6000", "--report", "2000", "--hash"]);
  assert.deepEqual(run.rows, expected, `seed ${seed}`);
  assert.equal(run.figures.hash, expected.at(-1).hash);
}
ok("three seeds run through the server give the runner's rows and hashes");

// until, figures, list_worlds.
await must(client, "run", { name: "s1", until: 8000 });
const figures = await must(client, "figures", { name: "s1" });
assert.equal(figures.hash, runnerRows(["--seed", "1", "--steps", "8000", "--report", "2000", "--hash"]).at(-1).hash);
const listed = await must(client, "list_worlds", {});
assert.deepEqual(listed.worlds.map((w) => w.name), ["s1", "s2", "s3"]);
ok("run until a step, figures and list_worlds agree with the runner");

// A report is the runner's --stats and --evolution row of a run reporting there.
await must(client, "new_world", { name: "r", seed: 5 });
await must(client, "run", { name: "r", steps: 5000 });
const report = await must(client, "report", { name: "r" });
runnerRows(["--seed", "5", "--steps", "5000", "--report", "5000", "--stats", `${work}/stats.csv`, "--evolution", `${work}/evolution.csv`]);
const expectedReport = { ...csvRow(`${work}/stats.csv`, 5000), ...csvRow(`${work}/evolution.csv`, 5000) };
assert.deepEqual(Object.keys(report).sort(), Object.keys(expectedReport).sort());
for (const [key, value] of Object.entries(expectedReport)) assert.ok(Math.abs(report[key] - value) <= 1e-6 * Math.max(1, Math.abs(value)), key);
ok("report gives the runner's statistics and evolution columns");

// creatures, creature, taxa.
const table = await must(client, "creatures", { name: "s1", kind: "all", limit: 5 });
assert.ok(table.rows.length === 5 && table.matching > 5);
for (let k = 1; k < table.rows.length; ++k) assert.ok(table.rows[k - 1].energy >= table.rows[k].energy);
const animals = await must(client, "creatures", { name: "s1", sort: "organs" });
assert.ok(animals.rows.every((r) => !r.plant) && animals.rows.length === animals.matching);
const one = await must(client, "creature", { name: "s1", serial: animals.rows[0].serial });
assert.equal(one.serial, animals.rows[0].serial);
assert.ok(one.organ_list.length === one.organs && one.organ_list.some((o) => o.kind === "engine" && "formula" in o));
const taxa = await must(client, "taxa", { name: "s1" });
assert.ok(taxa.living >= 1 && taxa.newick.trim().endsWith(";"));
assert.equal(taxa.taxa.reduce((sum, t) => sum + t.alive, 0), animals.matching);
ok("creatures, creature and taxa describe the world");

// save_world writes a world the runner goes on with exactly as the server does.
const saved = `${work}/s2.vivw`;
await must(client, "save_world", { name: "s2", path: saved });
assert.ok(fs.existsSync(saved) && fs.existsSync((await must(client, "save_world", { name: "s2", path: saved, overwrite: true })).timeline));
await refused(client, "save_world", { name: "s2", path: saved }, /exists; give overwrite: true/);
await must(client, "load_world", { name: "s2copy", path: saved });
const goneOn = await must(client, "run", { name: "s2copy", steps: 1000, hash: true });
assert.equal(goneOn.figures.hash, runnerRows(["--load-world", saved, "--steps", "1000", "--hash"]).at(-1).hash);
ok("save_world and load_world: the runner goes on from the saved world as the server does");

// set_settings names what changed and refuses unknown keys whole.
const changed = await must(client, "set_settings", { name: "s3", keys: { SunLight: 1.0 } });
assert.deepEqual(changed.changed, [{ key: "SunLight", from: 0.75, to: 1 }]);
await refused(client, "set_settings", { name: "s3", keys: { SunLight: 0.5, SunLite: 2 } }, /SunLite/);
assert.deepEqual((await must(client, "set_settings", { name: "s3", keys: { SunLight: 1.0 } })).changed, []);
await refused(client, "set_settings", { name: "s3", keys: { Gravity: 1e9 } }, /out of range/);
ok("set_settings names what changed, refuses unknown keys and values out of range");

// put_animal and cull, as the study's events do.
const before = await must(client, "figures", { name: "s3" });
const put = await must(client, "put_animal", { name: "s3", file: adam, x: 10, y: -5, count: 3 });
assert.equal(put.serials.length, 3);
assert.equal(put.figures.creatures, before.creatures + 3);
const culled = await must(client, "cull", { name: "s3", fraction: 1, whom: "plants" });
assert.equal(culled.figures.food, 0);
assert.equal(culled.removed, before.food);
ok("put_animal puts animals with new serials; cull removes the share asked");

// rewind, branch and compare.
const history = await must(client, "new_world", { name: "t", seed: 7 });
assert.equal(history.figures.step, 0);
const straight = await must(client, "run", { name: "t", steps: 5000, report: 1000, hash: true });
await must(client, "rewind", { name: "t", step: 2000 });
assert.equal((await must(client, "figures", { name: "t" })).hash, straight.rows[1].hash);
const branched = await must(client, "branch", { name: "t", new_name: "t_bright", keys: { SunLight: 1.5 } });
assert.match(branched.settings_changed, /SunLight/);
await must(client, "run", { name: "t", until: 5000 });
assert.equal((await must(client, "figures", { name: "t" })).hash, straight.rows[4].hash);
await must(client, "run", { name: "t_bright", until: 5000 });
const compared = await must(client, "compare", { a: "t", b: "t_bright" });
assert.equal(compared.same_world, false);
// Made at step 2000, the branch is that world; by the next keyframe it is another.
assert.equal(compared.parting.alike_at, 2000);
assert.equal(compared.parting.apart_at, 3000);
await must(client, "branch", { name: "t", new_name: "t_same" });
await must(client, "run", { name: "t", steps: 1500 });
await must(client, "run", { name: "t_same", steps: 1500 });
const twins = await must(client, "compare", { a: "t", b: "t_same" });
assert.ok(twins.same_world && twins.parting.apart_at === null && twins.parting.alike_at === 6000, JSON.stringify(twins));
await must(client, "close_world", { name: "t_same" });
await refused(client, "rewind", { name: "t", step: 999999 }, /timeline reaches/);
ok("rewind reaches the straight run's world; a branch parts from it where it was made");

// picture and chart are PNGs of the world and its figures.
const picture = await call(client, "picture", { name: "s1", follow: "largest", zoom: 0.5, width: 640, height: 480 });
const image = picture.content.find((c) => c.type === "image");
assert.equal(image.mimeType, "image/png");
const facts = pngFacts(image.data);
assert.ok(facts.width === 640 && facts.height === 480 && facts.colours > 3);
if (process.env.VIVARION_MCP_PICTURE) fs.writeFileSync(process.env.VIVARION_MCP_PICTURE, facts.bytes);
const chart = (await call(client, "chart", { name: "s1" })).content.find((c) => c.type === "image");
assert.ok(pngFacts(chart.data).colours > 3);
ok("picture and chart are PNG images that decode");

// run_study: a small study, its table and results folder.
const study = `${work}/light.toml`;
fs.writeFileSync(study, `steps = 2000\nreport = 1000\nseeds = [1, 2]\nsettings = "${settings}"\n[sweep]\nSunLight = [0.5, 0.75]\n`);
const progressSeen = [];
const studied = (await call(client, "run_study", { file: study, jobs: 2 }, { onprogress: (p) => progressSeen.push(p) })).structuredContent;
assert.ok(fs.existsSync(studied.results) && studied.runs === 4, JSON.stringify(studied));
assert.match(studied.summary, /SunLight/);
ok("run_study runs a study and gives its summary and results");

// Resources: the settings keys from the key table, the samples, the study format.
const resources = (await client.listResources()).resources.map((r) => r.uri);
for (const uri of ["vivarion://settings", "vivarion://study-format", "vivarion://animals/ADAM"]) assert.ok(resources.includes(uri), uri);
const keys = JSON.parse((await client.readResource({ uri: "vivarion://settings" })).contents[0].text).keys;
const iniKeys = fs.readFileSync(settings, "utf8").split("\n").filter((l) => /^\w+=/.test(l)).map((l) => l.split("=")[0]);
for (const key of iniKeys) assert.ok(keys.some((k) => k.key === key && k.meaning.length > 5), key);
assert.ok(keys.some((k) => k.key === "KindFloor"));
assert.match((await client.readResource({ uri: "vivarion://animals/ADAM" })).contents[0].text, /<vivarion/);
assert.match((await client.readResource({ uri: "vivarion://study-format" })).contents[0].text, /sweep/);
await assert.rejects(client.readResource({ uri: "vivarion://nothing" }), /not found/i);
ok("resources: settings keys with meanings, sample animals, the study format");

// Progress on a long run, and a cancelled run leaves the world at a step of the run.
const seen = [];
await call(client, "run", { name: "s1", steps: 40000 }, { onprogress: (p) => seen.push(p.progress) });
assert.ok(seen.length >= 1 && seen.every((p, k) => k === 0 || p > seen[k - 1]), `progress ${seen}`);
const stepBefore = (await must(client, "figures", { name: "s1" })).step;
const abort = new AbortController();
setTimeout(() => abort.abort("enough"), 500);
await assert.rejects(call(client, "run", { name: "s1", steps: 1e9 }, { signal: abort.signal }));
await new Promise((resolve) => setTimeout(resolve, 300));
const after = await must(client, "figures", { name: "s1" });
assert.ok(after.step > stepBefore && after.step < stepBefore + 1e9, `step ${after.step}`);
ok("progress rises through a long run; a cancelled run stops at a whole step and the server answers");

// Hostile calls: each a tool error with a message, and the server goes on.
await refused(client, "run", { name: "s1", steps: "many" }, /steps needs a whole number/);
await refused(client, "run", { name: "s1", steps: 1.5 }, /whole number/);
await refused(client, "run", { name: "s1" }, /either steps or until/);
await refused(client, "run", { steps: 10 }, /'name' is missing/);
await refused(client, "run", { name: "nowhere", steps: 10 }, /no world is called 'nowhere'/);
await refused(client, "run", { name: "s1", steps: 1e300 }, /at most/);
await refused(client, "run", { name: "s1", steps: 2 ** 53 }, /no world goes beyond/);
const bounded = await must(client, "run", { name: "s1", steps: 2 ** 40, max_seconds: 0.3 });
assert.match(bounded.stopped, /time bound/);
await refused(client, "run", { name: "s1", stpes: 10 }, /no argument is called 'stpes'/);
await refused(client, "load_world", { name: "z", path: "/dev/zero" }, /not a regular file/);
await refused(client, "load_world", { name: "z", path: work }, /not a regular file/);
await refused(client, "load_world", { name: "z", path: settings }, /world file/);
await refused(client, "save_world", { name: "s1", path: "/dev/null", overwrite: true }, /not a regular file/);
await refused(client, "new_world", { name: "z", animals: ["/dev/urandom"] }, /not a regular file/);
await refused(client, "new_world", { name: "bad name!" }, /cannot name a world/);
await refused(client, "creature", { name: "s1", serial: 999999999 }, /no living creature/);
await refused(client, "picture", { name: "s1", follow: "everyone" }, /follow takes/);
await refused(client, "run_study", { file: "/dev/zero" }, /not a regular file/);
await assert.rejects(call(client, "no_such_tool", {}), /Unknown tool/);
let held = (await must(client, "list_worlds", {})).worlds.length, limit = "";
for (let k = 0; k < 1000 && !limit; ++k) {
  const result = await call(client, "new_world", { name: `many${k}`, seed: k, population: [1, 10] });
  if (result.isError) limit = result.content[0].text;
  else held += 1;
}
assert.match(limit, /--max-worlds 16/);
assert.equal(held, 16);
await must(client, "close_world", { name: "many0" });
assert.equal((await must(client, "list_worlds", {})).worlds.length, 15);
assert.equal((await must(client, "figures", { name: "s2" })).step, 6000);
ok("hostile calls are tool errors with clear messages; 1,000 worlds asked for stop at the limit; the server answers");
await client.close();

// Malformed JSON-RPC, straight on the server's standard input: each its JSON-RPC error, then a
// normal call answered; standard output holds nothing but protocol messages.
const raw = spawn(server, ["--settings", settings], { cwd: repo });
let out = "";
raw.stdout.on("data", (d) => (out += d));
const lines = [
  "{not json",
  "[]",
  '{"jsonrpc":"2.0","id":1}',
  '{"jsonrpc":"1.0","id":2,"method":"ping"}',
  '{"jsonrpc":"2.0","id":3,"method":"no/such"}',
  '{"jsonrpc":"2.0","id":4,"method":"tools/call","params":[1,2]}',
  '{"jsonrpc":"2.0","id":5,"method":"tools/call","params":{"name":"run","arguments":"x"}}',
  '{"jsonrpc":"2.0","id":{"a":1},"method":"ping"}',
  "x".repeat(70 << 20),
  '{"jsonrpc":"2.0","id":6,"method":"initialize","params":{"protocolVersion":"2025-06-18","capabilities":{},"clientInfo":{"name":"raw","version":"1"}}}',
  '{"jsonrpc":"2.0","id":7,"method":"tools/call","params":{"name":"new_world","arguments":{"name":"w","seed":1}}}',
];
raw.stdin.end(lines.join("\n") + "\n");
await new Promise((resolve) => raw.on("close", resolve));
const replies = out.trim().split("\n").map((l) => JSON.parse(l));
const byId = Object.fromEntries(replies.filter((r) => r.id !== null).map((r) => [r.id, r]));
assert.equal(replies.filter((r) => r.id === null && r.error?.code === -32700).length, 2);  // not JSON; too long
assert.equal(byId[2].error.code, -32600);
assert.equal(byId[3].error.code, -32601);
assert.equal(byId[4].error.code, -32602);
assert.equal(byId[5].result.isError, true);
assert.equal(byId[6].result.protocolVersion, "2025-06-18");
assert.equal(byId[7].result.structuredContent.figures.step, 0);
ok("malformed messages get their JSON-RPC errors and the server goes on answering");

fs.rmSync(work, { recursive: true, force: true });
console.log(`all ${checks} checks passed`);
