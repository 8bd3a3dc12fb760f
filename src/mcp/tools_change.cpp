// The tools that change a world by hand: set_settings, put_animal, cull. Each is a change the
// world's timeline keeps a seam after, so that a rewind never replays across it.
#include "config/files.h"
#include "config/settings.h"
#include "mcp/served_world.h"
#include "mcp/toolbox.h"

namespace viv {

namespace {

constexpr uint64_t MostAnimalFileBytes = uint64_t{16} << 20;

TToolResult SetSettings(const TJson& a, TCall& call) {
  TServedWorld& world = call.Worlds.Get(WorldName(a));
  const TSettings before = world.Sim().Rules();
  const TSettings rules = RulesFrom(a, call, &before);  // all keys checked before any is set
  world.SetRules(rules);
  world.NoteChange();
  TJson changed = TJson::array();
  for (const std::string& key : SettingsKeys())
    if (before.Get(key) != rules.Get(key))
      changed.push_back({{"key", key}, {"from", before.Get(key)}, {"to", rules.Get(key)}});
  TToolResult result;
  result.Structured = {{"changed", changed}, {"step", world.Sim().StepCount()}};
  return result;
}

TToolResult PutAnimal(const TJson& a, TCall& call) {
  TServedWorld& world = call.Worlds.Get(WorldName(a));
  const std::string file = a["file"];
  CheckInputFile(file, "an animal file");
  const std::string text = ReadRegularFile(file, MostAnimalFileBytes, "an animal file");
  const int64_t count = a.value("count", int64_t{1});
  if (static_cast<int64_t>(world.Sim().Population().Count()) + count > world.Sim().CreatureLimit)
    throw ETool("put_animal: " + std::to_string(count) + " more would pass the world's limit of " +
                std::to_string(world.Sim().CreatureLimit) + " creatures");
  TJson serials = TJson::array();
  const double x = a.value("x", 0.0), y = a.value("y", 0.0);
  for (int64_t k = 0; k < count; ++k)
    serials.push_back(world.Sim().PutAnimal(text, file, static_cast<float>(x), static_cast<float>(y)));
  world.NoteChange();
  TToolResult result;
  result.Structured = {{"serials", serials}, {"figures", FiguresOf(world)}};
  return result;
}

TToolResult Cull(const TJson& a, TCall& call) {
  TServedWorld& world = call.Worlds.Get(WorldName(a));
  const std::string whom = a.value("whom", "animals");
  std::optional<TRegion> region;
  if (a.contains("region")) {
    const TJson& r = a["region"];
    region = TRegion{r[0], r[1], r[2], r[3]};
    if (region->X0 > region->X1 || region->Y0 > region->Y1)
      throw ETool("cull: the region needs x0 <= x1 and y0 <= y1, as [x0, y0, x1, y1]");
  }
  const int64_t removed = world.Sim().Cull(a["fraction"], whom != "plants", whom != "animals", region);
  world.NoteChange();
  TToolResult result;
  result.Structured = {{"removed", removed}, {"figures", FiguresOf(world)}};
  return result;
}

}  // namespace

void AddChangeTools(TToolbox& box) {
  const TJson name = WorldNameSchema();
  const TJson keys = KeysSchema("settings keys and their new values, e.g. {\"SunLight\": 1.0}");
  box.push_back(
      {"set_settings",
       "Change settings keys of a world from its next step on; names what changed, refuses unknown keys "
       "(the resource vivarion://settings lists them).",
       ObjectSchema({{"name", name}, {"keys", keys}, {"settings", TextSchema("a settings file to take whole first")}},
                    {"name"}),
       SetSettings});
  box.push_back(
      {"put_animal", "Put animals of an animal file (.viv) into a world at a point, at rest; gives their serials.",
       ObjectSchema(
           {{"name", name},
            {"file", TextSchema("the animal file")},
            {"x",
             {{"type", "number"},
              {"minimum", -1e6},
              {"maximum", 1e6},
              {"description", "where (default 0, the origin)"}}},
            {"y", {{"type", "number"}, {"minimum", -1e6}, {"maximum", 1e6}, {"description", "where (default 0)"}}},
            {"count", WholeSchema("how many (default 1)", 1, 10'000)}},
           {"name", "file"}),
       PutAnimal});
  box.push_back(
      {"cull",
       "Remove a share of a world's animals, plants or both, everywhere or in a region, as a study's cull "
       "event does (each drawn for from the world's random stream).",
       ObjectSchema(
           {{"name", name},
            {"fraction", {{"type", "number"}, {"minimum", 0}, {"maximum", 1}, {"description", "the share removed"}}},
            {"whom", {{"type", "string"}, {"enum", {"animals", "plants", "both"}}, {"description", "default animals"}}},
            {"region",
             {{"type", "array"},
              {"description", "[x0, y0, x1, y1] in world units (default: everywhere)"},
              {"items", NumberSchema("a coordinate")},
              {"minItems", 4},
              {"maxItems", 4}}}},
           {"name", "fraction"}),
       Cull});
}

}  // namespace viv
