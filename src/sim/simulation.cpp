#include "sim/simulation.h"

#include <algorithm>
#include <memory>

#include "config/errors.h"
#include "config/random.h"
#include "creature/creature.h"
#include "sim/world_file.h"

namespace viv {

uint64_t TSimulation::StartUp(const std::string& settingsFile, std::optional<uint64_t> seed) {
  TSettings rules;
  rules.Open(settingsFile);
  return StartUp(rules, seed);
}

uint64_t TSimulation::StartUp(const TSettings& rules, std::optional<uint64_t> seed) {
  SetRules(rules);
  const uint64_t used = seed ? *seed : SeedFromEnvironment();
  World.Context.Random.Seed(used);
  return used;
}

void TSimulation::Populate(int32_t width, int32_t height, const std::vector<std::string>& animalFiles,
                           const TPopulationCounts& counts) {
  Clear();
  if (static_cast<int64_t>(counts.NumCreatures) + counts.NumFood > CreatureLimit)
    throw EVivarion("a world of " + std::to_string(static_cast<int64_t>(counts.NumCreatures) + counts.NumFood) +
                    " creatures is more than the limit of " + std::to_string(CreatureLimit) +
                    " (NumCreatures and NumFood of the population)");
  World.Context.NextSerial = 1;  // a new world numbers its creatures and taxa from 1
  World.Context.NextTaxon = 1;
  try {
    World.Populate(width, height, animalFiles, counts);
  } catch (...) {
    Clear();
    throw;
  }
  History.Found(World, 0);
  Taxa.Found(World, 0);
}

void TSimulation::Clear() {
  World.Clear();
  StepCount = 0;
  Held = 0;
  History = TSpeciesHistory();
  Taxa.Replace(TTaxonHistory());
}

void TSimulation::Step() {
  if (StepCount >= MaxStepCount)
    throw EVivarion("the world has reached step " + std::to_string(StepCount) + ", the last that a world file holds");
  float heldX = 0, heldY = 0;
  if (const TCreature* held = World.FindSerial(Held)) heldX = held->X, heldY = held->Y;
  World.CurrentStep = StepCount + 1;
  World.WorldStep();
  if (TCreature* held = World.FindSerial(Held)) {
    const float x = held->X, y = held->Y;
    held->SetX(heldX);
    held->SetY(heldY);
    World.Context.Grid.Move(held, x, y, heldX, heldY);
  } else {
    Held = 0;  // it died in the step
  }
  ++StepCount;
  History.Record(World, StepCount);
  Taxa.Record(World, StepCount);
  if (World.Count() > CreatureLimit)
    throw EVivarion("the world has grown to " + std::to_string(World.Count()) + " creatures at step " +
                    std::to_string(StepCount) + ", more than the limit of " + std::to_string(CreatureLimit) +
                    " (the settings let it grow without end: see MaxFood, PlantFloor, SunLight, CostOfLiving and the costs)");
}

void TSimulation::MoveHeld(float x, float y) {
  TCreature* held = World.FindSerial(Held);
  if (!held) return;
  const float oldX = held->X, oldY = held->Y;
  held->SetX(x);
  held->SetY(y);
  World.Context.Grid.Move(held, oldX, oldY, x, y);
}

std::vector<uint64_t> TSimulation::DrawAnimals(int32_t count) {
  std::vector<uint64_t> animals;
  for (const TCreature* c : World.List)
    if (!c->Vegetable) animals.push_back(c->Serial);
  // The first count places get distinct animals, drawn in turn.
  const int32_t n = std::min<int32_t>(count, static_cast<int32_t>(animals.size()));
  for (int32_t k = 0; k < n; ++k)
    std::swap(animals[k], animals[k + World.Context.Random.Int(static_cast<int32_t>(animals.size()) - k)]);
  animals.resize(static_cast<size_t>(std::max(n, 0)));
  return animals;
}

std::string TSimulation::Depart(const std::vector<uint64_t>& serials) {
  std::vector<const TCreature*> leaving;
  for (uint64_t serial : serials)
    if (const TCreature* c = World.FindSerial(serial)) leaving.push_back(c);
  std::string bytes = CreatureBytes(leaving);
  for (const TCreature* c : leaving) {
    History.Depart(c->SpeciesLabel(), StepCount);
    Taxa.Depart(*c, StepCount);
    World.Remove(c);
  }
  return bytes;
}

int32_t TSimulation::Admit(const std::string& bytes) {
  if (bytes.empty()) return 0;
  const std::vector<TCreature*> arrivals = CreaturesFromBytes(bytes, World.Context);
  for (TCreature* c : arrivals) {
    c->ParentElsewhere = true;  // its parent serial is the old world's
    World.Add(c);
    World.Context.Grid.Add(c, c->X, c->Y);
    History.Arrive(c->SpeciesLabel(), StepCount);
    Taxa.Arrive(*c, World.Context, StepCount);
  }
  return static_cast<int32_t>(arrivals.size());
}

uint64_t TSimulation::PutAnimal(const std::string& animalText, const std::string& name, float x, float y) {
  // The serial is taken only once the text has been read: a bad text takes none.
  auto read = std::make_unique<TCreature>(World.Context, World.Context.NextSerial);
  read->LoadFromText(animalText, name);
  World.Context.TakeSerial();
  TCreature* c = read.release();
  c->Origin = name;
  c->BirthStep = StepCount;
  c->SetX(x);
  c->SetY(y);
  World.Add(c);
  World.Context.Grid.Add(c, c->X, c->Y);
  History.Arrive(c->SpeciesLabel(), StepCount);
  Taxa.Arrive(*c, World.Context, StepCount);
  return c->Serial;
}

uint64_t TSimulation::Hash() const { return WorldHash(World, StepCount, &History, &Taxa); }

void TSimulation::SaveWorld(const std::string& fileName) const {
  SaveWorldFile(fileName, World, StepCount, &History, &Taxa);
}

void TSimulation::LoadWorld(const std::string& fileName) {
  TLoadedWorld loaded = LoadWorldFile(fileName, World);
  StepCount = loaded.StepCount;
  Held = 0;
  History = std::move(loaded.History);
  Taxa.Replace(std::move(loaded.Taxa));
  // A world kept without a history (before taxa, or written without one) has its animals
  // found their species and taxa now, one per species or file, so that the steps to come
  // have a history to go on and the world saves and loads again.
  const bool animals = std::any_of(World.List.begin(), World.List.end(), [](const TCreature* c) { return !c->Vegetable; });
  if (animals && History.Emergences.empty()) History.Found(World, StepCount);
  if (loaded.Version < 3 || (animals && Taxa.Taxa.empty())) Taxa.Found(World, StepCount);
  FileSettings = loaded.Settings;
}

}  // namespace viv
