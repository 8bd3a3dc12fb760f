// The tools that make, keep and drive worlds: new_world, load_world, save_world, close_world,
// list_worlds, run, rewind, branch, compare.
#include <algorithm>
#include <chrono>
#include <climits>

#include "config/settings.h"
#include "creature/animal_edit.h"
#include "creature/creature.h"
#include "history/report_rows.h"
#include "mcp/served_world.h"
#include "mcp/toolbox.h"
#include "sim/timeline_file.h"
#include "sim/world_file.h"
#include "world/population_file.h"

namespace viv {

namespace {

using TClock = std::chrono::steady_clock;
constexpr double MostSteps = static_cast<double>(MaxStepCount);
constexpr int64_t MostRows = 10'000;  // report rows one run call gives back

TJson RulesSchema() {
  return {{"settings", TextSchema("a settings file (VIVARION.ini format); default: the programs' own")},
          {"keys", KeysSchema("settings keys and their values put over the file's, e.g. {\"SunLight\": 1.0}")}};
}

TJson WithRules(TJson properties) {
  const TJson rules = RulesSchema();
  for (const auto& [key, schema] : rules.items()) properties[key] = schema;
  return properties;
}

// Whether the call may go on: not cancelled, within its time.
bool KeepGoing(const TCall& call) { return !call.Cancelled() && TClock::now() < call.Deadline; }

std::string StoppedBecause(const TCall& call, int64_t step) {
  if (call.Cancelled()) return "cancelled at step " + std::to_string(step);
  char bound[32];
  std::snprintf(bound, sizeof bound, "%g", call.BoundSeconds);
  return "the call's time bound of " + std::string(bound) + " s was reached at step " + std::to_string(step) +
         "; run again to go on";
}

TToolResult NewWorld(const TJson& a, TCall& call) {
  const std::string name = WorldName(a);
  call.Worlds.CheckRoom(name);
  const TSettings rules = RulesFrom(a, call, nullptr);
  std::vector<std::string> animals;
  for (const TJson& file : a.value("animals", TJson::array())) {
    animals.push_back(file);
    CheckInputFile(animals.back(), "an animal file");
  }
  TPopulationCounts counts = ReadPopulation("");
  if (a.contains("population")) counts = {a["population"][0].get<int32_t>(), a["population"][1].get<int32_t>()};
  int32_t width = 800, height = 600;
  if (a.contains("size")) width = a["size"][0], height = a["size"][1];
  std::optional<uint64_t> seed;
  if (a.contains("seed")) seed = a["seed"].get<uint64_t>();
  auto world = std::make_unique<TServedWorld>();
  const uint64_t used = world->Make(rules, seed, width, height, animals, counts);
  TJson warnings = TJson::array();
  for (const std::string& file : animals) {
    TCreature animal;
    animal.LoadFromFile(file);
    for (const std::string& warning : FormulaWarnings(animal)) warnings.push_back(file + ": " + warning);
  }
  TToolResult result;
  result.Structured = {{"name", name}, {"seed", used}, {"figures", FiguresOf(*world)}};
  if (!warnings.empty()) result.Structured["warnings"] = warnings;
  if (const std::string note = UnknownKeysNote(rules); !note.empty()) result.Structured["note"] = note;
  call.Worlds.Put(name, std::move(world));
  return result;
}

TToolResult LoadWorld(const TJson& a, TCall& call) {
  const std::string name = WorldName(a), path = a["path"];
  call.Worlds.CheckRoom(name);
  CheckInputFile(path, "a world file");
  auto world = std::make_unique<TServedWorld>();
  world->Load(path, std::nullopt);
  const TSettings saved = world->Sim().FileSettings();
  if (a.contains("settings") || a.contains("keys")) world->SetRules(RulesFrom(a, call, &saved));
  TToolResult result;
  result.Structured = {{"name", name},
                       {"figures", FiguresOf(*world)},
                       {"timeline", {{"first", world->Timeline().First()}, {"last", world->Timeline().Last()}}}};
  if (const std::string d = SettingsDifferences(saved, world->Sim().Rules()); !d.empty())
    result.Structured["settings_changed"] = d;
  call.Worlds.Put(name, std::move(world));
  return result;
}

TToolResult SaveWorld(const TJson& a, TCall& call) {
  TServedWorld& world = call.Worlds.Get(WorldName(a));
  const std::string path = a["path"];
  const bool overwrite = a.value("overwrite", false), timeline = a.value("timeline", true);
  CheckOutputFile(path, overwrite);
  if (timeline) CheckOutputFile(TimelineFileFor(path), overwrite);
  world.Save(path, timeline);
  TToolResult result;
  result.Structured = {{"path", path}, {"figures", FiguresOf(world)}};
  if (timeline) result.Structured["timeline"] = TimelineFileFor(path);
  return result;
}

TToolResult CloseWorld(const TJson& a, TCall& call) {
  call.Worlds.Close(WorldName(a));
  TToolResult result;
  result.Structured = {{"closed", WorldName(a)}, {"worlds_held", call.Worlds.All().size()}};
  return result;
}

TToolResult ListWorlds(const TJson&, TCall& call) {
  TJson worlds = TJson::array();
  for (const auto& [name, world] : call.Worlds.All()) {
    TJson entry = FiguresOf(*world);
    entry["name"] = name;
    worlds.push_back(entry);
  }
  TToolResult result;
  result.Structured = {{"worlds", worlds}, {"most", call.Worlds.Most()}};
  return result;
}

TToolResult Run(const TJson& a, TCall& call) {
  TServedWorld& world = call.Worlds.Get(WorldName(a));
  const int64_t now = world.Sim().StepCount();
  if (a.contains("steps") == a.contains("until")) throw ETool("run: give either steps or until");
  int64_t last = 0;
  if (a.contains("until")) {
    last = a["until"];
    if (last < now)
      throw ETool("run: until " + std::to_string(last) + " is before the world's step " + std::to_string(now));
  } else {
    const int64_t steps = a["steps"];
    if (steps > MaxStepCount - now)
      throw ETool("run: the world is at step " + std::to_string(now) + ", and no world goes beyond step " +
                  std::to_string(MaxStepCount));
    last = now + steps;
  }
  const int64_t report = a.value("report", int64_t{0});
  if (report > 0 && last / report - now / report > MostRows)
    throw ETool("run: a report every " + std::to_string(report) + " steps would give " +
                std::to_string(last / report - now / report) + " rows, more than the " + std::to_string(MostRows) +
                " a call gives back: report less often");
  const bool hashes = a.value("hash", false);
  if (a.contains("max_seconds"))
    if (const double asked = a["max_seconds"]; asked < call.BoundSeconds) {
      call.Deadline =
          TClock::now() + std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double>(asked));
      call.BoundSeconds = asked;
    }
  TJson rows = TJson::array();
  auto told = TClock::now();
  world.Run(
      last, report,
      [&] {
        const int64_t step = world.Sim().StepCount();
        if ((step & 63) == 0 && TClock::now() - told > std::chrono::milliseconds(250)) {
          told = TClock::now();
          call.Progress(static_cast<double>(step - now), static_cast<double>(last - now),
                        "step " + std::to_string(step) + " of " + std::to_string(last));
        }
        return KeepGoing(call);
      },
      [&](const TRunReport& r) {
        TJson row = {{"step", r.Step},
                     {"creatures", r.Figures.Animals},
                     {"food", r.Figures.Plants},
                     {"biomass", r.Figures.Biomass},
                     {"species", r.Figures.Species}};
        if (hashes) row["hash"] = HashText(world.Sim().Hash());
        rows.push_back(row);
      });
  TToolResult result;
  result.Structured = {{"rows", rows}, {"figures", FiguresOf(world)}};
  if (world.Sim().StepCount() < last) result.Structured["stopped"] = StoppedBecause(call, world.Sim().StepCount());
  return result;
}

TToolResult Rewind(const TJson& a, TCall& call) {
  TServedWorld& world = call.Worlds.Get(WorldName(a));
  const int64_t step = a["step"];
  if (!world.Timeline().Reaches(step))
    throw ETool("rewind: the world's timeline reaches steps " + std::to_string(world.Timeline().First()) + " to " +
                std::to_string(world.Timeline().Last()) + ", not " + std::to_string(step) +
                (world.Timeline().Seams().empty() ? "" : " (or not across a change made by hand)"));
  world.Rewind(step, [&] { return KeepGoing(call); });
  TToolResult result;
  result.Structured = {{"figures", FiguresOf(world)}};
  return result;
}

TToolResult Branch(const TJson& a, TCall& call) {
  TServedWorld& from = call.Worlds.Get(WorldName(a));
  const std::string name = WorldName(a, "new_name");
  call.Worlds.CheckRoom(name);
  const TSettings before = from.Sim().Rules();
  const TSettings rules = RulesFrom(a, call, &before);
  std::unique_ptr<TServedWorld> branch = from.Branch(rules);
  TToolResult result;
  result.Structured = {{"name", name}, {"from", WorldName(a)}, {"figures", FiguresOf(*branch)}};
  if (const std::string d = SettingsDifferences(before, rules); !d.empty()) result.Structured["settings_changed"] = d;
  call.Worlds.Put(name, std::move(branch));
  return result;
}

// The hash of a keyframe's world (its body holds the report counts too, which the hash leaves out).
uint64_t WorldHashOf(const std::string& body) {
  TSimulation sim;
  sim.LoadWorldBody(body, "a keyframe");
  return sim.Hash();
}

// Where two worlds part: the steps of keyframes both timelines hold, the last where their
// worlds are alike (the same hash) and the first where they differ (keyframes shared by a
// branch are alike without being unpacked).
TJson Parting(const TTimeline& a, const TTimeline& b) {
  TJson parting = {{"alike_at", nullptr},
                   {"apart_at", nullptr},
                   {"note",
                    "by the keyframes both keep: the worlds, their rules included, were alike at alike_at and "
                    "differ at apart_at (null: none seen)"}};
  for (const auto& [step, frame] : a.Frames()) {
    const auto other = b.Frames().find(step);
    if (other == b.Frames().end()) continue;
    const bool alike = frame == other->second || WorldHashOf(a.Body(step)) == WorldHashOf(b.Body(step));
    if (!alike) {
      parting["apart_at"] = step;
      break;
    }
    parting["alike_at"] = step;
  }
  return parting;
}

TToolResult Compare(const TJson& a, TCall& call) {
  TServedWorld& one = call.Worlds.Get(WorldName(a, "a"));
  TServedWorld& two = call.Worlds.Get(WorldName(a, "b"));
  one.NoteChange(), two.NoteChange();
  const TJson f1 = FiguresOf(one), f2 = FiguresOf(two);
  TJson difference = TJson::object();
  for (const char* key : {"creatures", "food", "biomass", "species"})
    difference[key] = f2[key].get<double>() - f1[key].get<double>();
  TToolResult result;
  result.Structured = {{"a", f1},
                       {"b", f2},
                       {"b_minus_a", difference},
                       {"same_world", f1["step"] == f2["step"] && f1["hash"] == f2["hash"]},
                       {"parting", Parting(one.Timeline(), two.Timeline())}};
  const std::string rules = SettingsDifferences(one.Sim().Rules(), two.Sim().Rules());
  result.Structured["settings_differ"] = rules.empty() ? "no key" : rules;
  return result;
}

}  // namespace

void AddWorldTools(TToolbox& box) {
  const TJson name = WorldNameSchema();
  const TJson steps = WholeSchema("steps to run", 0, MostSteps);
  box.push_back(
      {"new_world",
       "Make a new world under a name, as vivarion-cli would: settings file and keys, seed, population, "
       "animal files. Gives its seed, figures and hash.",
       ObjectSchema(WithRules({{"name", TextSchema("a name for the world (letters, digits, _ - .)")},
                               {"seed", WholeSchema("the random seed (default: from the clock)", 0, 9.2e18)},
                               {"population",
                                {{"type", "array"},
                                 {"description", "[animals, plants] seeded (default: population.ini)"},
                                 {"items", WholeSchema("a count", 0, 1'000'000)},
                                 {"minItems", 2},
                                 {"maxItems", 2}}},
                               {"animals",
                                {{"type", "array"},
                                 {"description", "animal files (.viv) to seed instead of the built-in founder"},
                                 {"items", TextSchema("an animal file")},
                                 {"maxItems", 1000}}},
                               {"size",
                                {{"type", "array"},
                                 {"description", "[width, height] of the seeding window (default 800, 600)"},
                                 {"items", WholeSchema("pixels", 1, 100'000)},
                                 {"minItems", 2},
                                 {"maxItems", 2}}}}),
                    {"name"}),
       NewWorld});
  box.push_back(
      {"load_world",
       "Load a world file (.vivw) under a name, under the settings saved in it unless settings or keys are given, "
       "with its timeline when one lies beside it.",
       ObjectSchema(WithRules({{"name", TextSchema("a name for the world")}, {"path", TextSchema("the world file")}}),
                    {"name", "path"}),
       LoadWorld});
  box.push_back({"save_world", "Save a world to a world file, with its timeline beside it unless timeline is false.",
                 ObjectSchema({{"name", name},
                               {"path", TextSchema("the world file to write")},
                               {"overwrite", FlagSchema("replace an existing file (default false)")},
                               {"timeline", FlagSchema("write the timeline beside it (default true)")}},
                              {"name", "path"}),
                 SaveWorld});
  box.push_back(
      {"close_world", "Close a world and free its memory.", ObjectSchema({{"name", name}}, {"name"}), CloseWorld});
  box.push_back(
      {"list_worlds", "List the worlds held, with their step, figures and hash.", ObjectSchema({}), ListWorlds});
  box.push_back({"run",
                 "Run a world some steps (or until a step), with a report row every N steps; sends progress, "
                 "can be cancelled, stops at the call's time bound. Rows as vivarion-cli --report prints them.",
                 ObjectSchema({{"name", name},
                               {"steps", steps},
                               {"until", WholeSchema("the step to run to", 0, MostSteps)},
                               {"report", WholeSchema("a row at every multiple of this step (0: none)", 0, MostSteps)},
                               {"hash", FlagSchema("each row with the world's hash, as --hash gives it")},
                               {"max_seconds",
                                {{"type", "number"},
                                 {"description", "stop after this many seconds (at most the server's bound)"},
                                 {"minimum", 0}}}},
                              {"name"}),
                 Run});
  box.push_back(
      {"rewind", "Put a world back (or forward) at a step its timeline reaches; the world is then exactly as it was.",
       ObjectSchema({{"name", name}, {"step", WholeSchema("the step", 0, MostSteps)}}, {"name", "step"}), Rewind});
  box.push_back(
      {"branch", "Make a second world from a world at its step, going on apart, with other settings if given.",
       ObjectSchema(WithRules({{"name", name}, {"new_name", TextSchema("the branch's name")}}), {"name", "new_name"}),
       Branch});
  box.push_back({"compare",
                 "Compare two worlds: their figures, whether they are the same world, and the step where they part.",
                 ObjectSchema({{"a", name}, {"b", name}}, {"a", "b"}), Compare});
}

}  // namespace viv
