#include "sim/simulation.h"

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
