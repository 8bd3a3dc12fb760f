#include "sim/simulation.h"

#include <algorithm>

#include "config/random.h"
#include "config/settings.h"
#include "config/thread_pool.h"
#include "sim/world_file.h"
#include "world/grid.h"

namespace viv {

void TSimulation::StartUp(const std::string& settingsFile, std::optional<uint64_t> seed, int threads) {
  Settings.Open(settingsFile);
  GridReset();
  if (seed) SeedRandom(*seed);
  else SeedRandomFromEnvironment();
  if (threads > 0) SetWorkerThreads(threads);
}

void TSimulation::Populate(int32_t width, int32_t height, const std::vector<std::string>& animalFiles,
                           const TPopulationCounts& counts) {
  Clear();
  ResetCreatureSerials();  // a new world numbers its creatures from 1
  try {
    World.Populate(width, height, animalFiles, counts);
  } catch (...) {
    Clear();
    throw;
  }
  History.Found(World, 0);
}

void TSimulation::Clear() {
  World.Clear();
  StepCount = 0;
  Held = 0;
  History = TSpeciesHistory();
}

void TSimulation::Step() {
  float heldX = 0, heldY = 0;
  if (const TCreature* held = World.FindSerial(Held)) heldX = held->X, heldY = held->Y;
  World.CurrentStep = StepCount + 1;
  World.WorldStep();
  if (TCreature* held = World.FindSerial(Held)) {
    const float x = held->X, y = held->Y;
    held->SetX(heldX);
    held->SetY(heldY);
    GridMove(held, x, y, heldX, heldY);
  } else {
    Held = 0;  // it died in the step
  }
  ++StepCount;
  History.Record(World, StepCount);
}

void TSimulation::MoveHeld(float x, float y) {
  TCreature* held = World.FindSerial(Held);
  if (!held) return;
  const float oldX = held->X, oldY = held->Y;
  held->SetX(x);
  held->SetY(y);
  GridMove(held, oldX, oldY, x, y);
}

std::string TSimulation::Depart(const std::vector<uint64_t>& serials) {
  std::vector<const TCreature*> leaving;
  for (uint64_t serial : serials)
    if (const TCreature* c = World.FindSerial(serial)) leaving.push_back(c);
  std::string bytes = CreatureBytes(leaving);
  std::vector<TCreature*>& list = World.List;
  for (const TCreature* c : leaving) {
    History.Depart(c->SpeciesLabel(), StepCount);
    list.erase(std::find(list.begin(), list.end(), c));
    delete c;  // leaves its grid cell
  }
  return bytes;
}

int32_t TSimulation::Admit(const std::string& bytes) {
  if (bytes.empty()) return 0;
  const std::vector<TCreature*> arrivals = CreaturesFromBytes(bytes);
  for (TCreature* c : arrivals) {
    c->ParentElsewhere = true;  // its parent serial is the old world's
    World.Add(c);
    GridAdd(c, c->X, c->Y);
    History.Arrive(c->SpeciesLabel(), StepCount);
  }
  return static_cast<int32_t>(arrivals.size());
}

uint64_t TSimulation::Hash() const { return WorldHash(World, StepCount, &History); }

void TSimulation::SaveWorld(const std::string& fileName) const {
  SaveWorldFile(fileName, World, StepCount, &History);
}

void TSimulation::LoadWorld(const std::string& fileName) {
  TLoadedWorld loaded = LoadWorldFile(fileName, World);
  StepCount = loaded.StepCount;
  Held = 0;
  History = std::move(loaded.History);
  FileSettings = loaded.Settings;
}

}  // namespace viv
