// The tools that look into a world: figures, report, creatures, creature, taxa.
#include <algorithm>

#include "creature/creature.h"
#include "mcp/served_world.h"
#include "mcp/toolbox.h"
#include "parts/part.h"
#include "sim/run_driver.h"

namespace viv {

namespace {

TJson CreatureRow(const TCreature& c, int64_t step) {
  return {{"serial", c.Serial},
          {"name", c.Name},
          {"plant", c.Vegetable},
          {"parent", c.ParentSerial},
          {"x", c.X},
          {"y", c.Y},
          {"radius", c.Radius},
          {"energy", c.Energy()},
          {"organs", c.Parts.Count()},
          {"taxon", c.Taxon},
          {"age", step - c.BirthStep}};
}

TToolResult Figures(const TJson& a, TCall& call) {
  const TServedWorld& world = call.Worlds.Get(WorldName(a));
  TToolResult result;
  result.Structured = FiguresOf(world);
  return result;
}

TToolResult Report(const TJson& a, TCall& call) {
  TServedWorld& world = call.Worlds.Get(WorldName(a));
  TToolResult result;
  result.Structured = ReportOf(world.ReportNow());
  return result;
}

TToolResult Creatures(const TJson& a, TCall& call) {
  const TServedWorld& world = call.Worlds.Get(WorldName(a));
  const std::string kind = a.value("kind", "animals"), sort = a.value("sort", "energy");
  const std::string species = a.value("species", "");
  const uint64_t taxon = a.value("taxon", uint64_t{0});
  const size_t limit = a.value("limit", size_t{50});
  std::vector<const TCreature*> chosen;
  for (const TCreature* c : world.Sim().Population().List) {
    if ((kind == "animals" && c->Vegetable) || (kind == "plants" && !c->Vegetable)) continue;
    if (!species.empty() && c->Name != species) continue;
    if (taxon != 0 && c->Taxon != taxon) continue;
    chosen.push_back(c);
  }
  auto key = [&](const TCreature* c) -> double {
    if (sort == "radius") return c->Radius;
    if (sort == "organs") return c->Parts.Count();
    if (sort == "age") return -static_cast<double>(c->BirthStep);
    if (sort == "serial") return -static_cast<double>(c->Serial);
    return c->Energy();
  };
  // Largest first; ties in population order, so that the table is the same each time.
  std::stable_sort(chosen.begin(), chosen.end(),
                   [&](const TCreature* x, const TCreature* y) { return key(x) > key(y); });
  TJson rows = TJson::array();
  for (size_t k = 0; k < chosen.size() && k < limit; ++k)
    rows.push_back(CreatureRow(*chosen[k], world.Sim().StepCount()));
  TToolResult result;
  result.Structured = {{"step", world.Sim().StepCount()}, {"matching", chosen.size()}, {"rows", rows}};
  return result;
}

TToolResult Creature(const TJson& a, TCall& call) {
  const TServedWorld& world = call.Worlds.Get(WorldName(a));
  const uint64_t serial = a["serial"];
  const TCreature* c = world.Sim().Population().FindSerial(serial);
  if (c == nullptr)
    throw ETool("no living creature of world '" + WorldName(a) + "' has serial " + std::to_string(serial) +
                " (the creatures tool lists them)");
  TJson d = CreatureRow(*c, world.Sim().StepCount());
  d["vx"] = c->VX, d["vy"] = c->VY, d["heading"] = c->Heading, d["spin"] = c->Spin;
  d["max_energy"] = c->MaxEnergy, d["mutation_rate"] = c->MutationRate, d["birth_step"] = c->BirthStep;
  d["color"] = {{"red", c->Color & 0xFF}, {"green", (c->Color >> 8) & 0xFF}, {"blue", (c->Color >> 16) & 0xFF}};
  TJson organs = TJson::array();
  for (const TPart* part : c->Parts.Items) {
    TJson organ = {{"kind", KindName(part->Kind())}};
    const std::string names = part->PropertyNames();
    for (size_t from = 0; from <= names.size();) {
      const size_t bar = std::min(names.find('|', from), names.size());
      const std::string name = names.substr(from, bar - from);
      if (!name.empty()) organ[name] = part->GetProperty(name);
      from = bar + 1;
    }
    organs.push_back(organ);
  }
  d["organ_list"] = organs;
  TToolResult result;
  result.Structured = d;
  return result;
}

TToolResult Taxa(const TJson& a, TCall& call) {
  const TServedWorld& world = call.Worlds.Get(WorldName(a));
  const size_t limit = a.value("limit", size_t{100});
  std::vector<const TTaxon*> living;
  for (const TTaxon& t : world.Sim().Taxa().Taxa)
    if (t.Alive > 0) living.push_back(&t);
  std::stable_sort(living.begin(), living.end(), [](const TTaxon* x, const TTaxon* y) { return x->Alive > y->Alive; });
  TJson rows = TJson::array();
  for (size_t k = 0; k < living.size() && k < limit; ++k) {
    const TTaxon& t = *living[k];
    rows.push_back({{"taxon", t.Id},
                    {"label", t.Label},
                    {"parent", t.Parent},
                    {"first_step", t.FirstStep},
                    {"alive", t.Alive},
                    {"peak", t.Peak},
                    {"births", t.Births},
                    {"used_organs", t.UsedOrgans},
                    {"persistent", t.Persistent}});
  }
  TToolResult result;
  result.Structured = {{"step", world.Sim().StepCount()},
                       {"living", living.size()},
                       {"taxa", rows},
                       {"newick", a.value("tree", true) ? TJson(world.Sim().Taxa().Newick()) : TJson(nullptr)}};
  return result;
}

}  // namespace

void AddLookTools(TToolbox& box) {
  const TJson name = WorldNameSchema();
  box.push_back({"figures",
                 "A world's step, creatures, food, biomass, species and hash (vivarion-cli's status line and --hash).",
                 ObjectSchema({{"name", name}}, {"name"}), Figures});
  box.push_back(
      {"report",
       "A report now: the columns of vivarion-cli's --stats and --evolution files (counts since the last report).",
       ObjectSchema({{"name", name}}, {"name"}), Report});
  box.push_back(
      {"creatures",
       "A table of a world's creatures, filtered (kind, species, taxon), sorted largest first and limited.",
       ObjectSchema(
           {{"name", name},
            {"kind", {{"type", "string"}, {"enum", {"animals", "plants", "all"}}, {"description", "default animals"}}},
            {"species", TextSchema("only this species name")},
            {"taxon", WholeSchema("only this taxon", 1, 9.2e18)},
            {"sort",
             {{"type", "string"},
              {"enum", {"energy", "radius", "organs", "age", "serial"}},
              {"description", "default energy"}}},
            {"limit", WholeSchema("most rows (default 50)", 1, 10'000)}},
           {"name"}),
       Creatures});
  box.push_back(
      {"creature", "One creature by serial: its state, colour and every organ with its formula.",
       ObjectSchema({{"name", name}, {"serial", WholeSchema("the creature's serial", 1, 9.2e18)}}, {"name", "serial"}),
       Creature});
  box.push_back(
      {"taxa",
       "The living lineages (taxa: body plans) of a world, most numerous first, and the tree of taxa in Newick.",
       ObjectSchema({{"name", name},
                     {"limit", WholeSchema("most rows (default 100)", 1, 100'000)},
                     {"tree", FlagSchema("with the Newick tree (default true)")}},
                    {"name"}),
       Taxa});
}

}  // namespace viv
