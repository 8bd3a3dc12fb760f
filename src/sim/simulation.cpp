#include "sim/simulation.h"

#include <algorithm>
#include <memory>

#include "config/errors.h"
#include "config/random.h"
#include "creature/animal_edit.h"
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
  world_.Context.Random.Seed(used);
  return used;
}

void TSimulation::Populate(int32_t width, int32_t height, const std::vector<std::string>& animalFiles,
                           const TPopulationCounts& counts) {
  Clear();
  if (static_cast<int64_t>(counts.NumCreatures) + counts.NumFood > CreatureLimit)
    throw EVivarion("a world of " + std::to_string(static_cast<int64_t>(counts.NumCreatures) + counts.NumFood) +
                    " creatures is more than the limit of " + std::to_string(CreatureLimit) +
                    " (NumCreatures and NumFood of the population)");
  world_.Context.NextSerial = 1;  // a new world numbers its creatures and taxa from 1
  world_.Context.NextTaxon = 1;
  try {
    world_.Populate(width, height, animalFiles, counts);
  } catch (...) {
    Clear();
    throw;
  }
  history_.Found(world_, 0);
  taxa_.Found(world_, 0);
}

void TSimulation::Clear() {
  ++edits_;
  world_.Clear();
  events_.clear();
  stepCount_ = 0;
  held_ = 0;
  history_ = TSpeciesHistory();
  taxa_.Replace(TTaxonHistory());
}

void TSimulation::Step() {
  if (stepCount_ >= MaxStepCount)
    throw EVivarion("the world has reached step " + std::to_string(stepCount_) + ", the last that a world file holds");
  float heldX = 0, heldY = 0;
  if (const TCreature* held = world_.FindSerial(held_)) heldX = held->X, heldY = held->Y;
  world_.CurrentStep = stepCount_ + 1;
  world_.WorldStep();
  if (TCreature* held = world_.FindSerial(held_)) {
    const float x = held->X, y = held->Y;
    ++edits_;  // a creature held in place is the hand's doing, not the step's
    held->SetX(heldX);
    held->SetY(heldY);
    world_.Context.Grid.Move(held, x, y, heldX, heldY);
  } else {
    held_ = 0;  // it died in the step
  }
  ++stepCount_;
  if (!events_.empty()) ApplyEvents();
  history_.Record(world_, stepCount_);
  taxa_.Record(world_, stepCount_);
  if (world_.Count() > CreatureLimit)
    throw EVivarion(
        "the world has grown to " + std::to_string(world_.Count()) + " creatures at step " +
        std::to_string(stepCount_) + ", more than the limit of " + std::to_string(CreatureLimit) +
        " (the settings let it grow without end: see MaxFood, PlantFloor, SunLight, CostOfLiving and the costs)");
}

void TSimulation::MoveHeld(float x, float y) {
  TCreature* held = world_.FindSerial(held_);
  if (!held) return;
  ++edits_;
  const float oldX = held->X, oldY = held->Y;
  held->SetX(x);
  held->SetY(y);
  world_.Context.Grid.Move(held, oldX, oldY, x, y);
}

std::vector<uint64_t> TSimulation::DrawAnimals(int32_t count) {
  std::vector<uint64_t> animals;
  for (const TCreature* c : world_.List)
    if (!c->Vegetable) animals.push_back(c->Serial);
  // The first count places get distinct animals, drawn in turn.
  const int32_t n = std::min<int32_t>(count, static_cast<int32_t>(animals.size()));
  for (int32_t k = 0; k < n; ++k)
    std::swap(animals[k], animals[k + world_.Context.Random.Int(static_cast<int32_t>(animals.size()) - k)]);
  animals.resize(static_cast<size_t>(std::max(n, 0)));
  return animals;
}

std::string TSimulation::Depart(const std::vector<uint64_t>& serials) {
  std::vector<const TCreature*> leaving;
  for (uint64_t serial : serials)
    if (const TCreature* c = world_.FindSerial(serial)) leaving.push_back(c);
  std::string bytes = CreatureBytes(leaving);
  if (!leaving.empty()) ++edits_;
  for (const TCreature* c : leaving) {
    history_.Depart(c->SpeciesLabel(), stepCount_);
    taxa_.Depart(*c, stepCount_);
    world_.Remove(c);
  }
  return bytes;
}

int32_t TSimulation::Admit(const std::string& bytes) {
  if (bytes.empty()) return 0;
  const std::vector<TCreature*> arrivals = CreaturesFromBytes(bytes, world_.Context);
  ++edits_;
  for (TCreature* c : arrivals) {
    c->ParentElsewhere = true;  // its parent serial is the old world's
    world_.Add(c);
    world_.Context.Grid.Add(c, c->X, c->Y);
    history_.Arrive(c->SpeciesLabel(), stepCount_);
    taxa_.Arrive(*c, world_.Context, stepCount_);
  }
  return static_cast<int32_t>(arrivals.size());
}

uint64_t TSimulation::PutAnimal(const std::string& animalText, const std::string& name, float x, float y) {
  // The serial is taken only once the text has been read: a bad text takes none.
  auto read = std::make_unique<TCreature>(world_.Context, world_.Context.NextSerial);
  read->LoadFromText(animalText, name);
  CheckAnimalFormulas(*read, name);
  world_.Context.TakeSerial();
  ++edits_;
  TCreature* c = read.release();
  c->Origin = name;
  c->BirthStep = stepCount_;
  c->SetX(x);
  c->SetY(y);
  world_.Add(c);
  world_.Context.Grid.Add(c, c->X, c->Y);
  history_.Arrive(c->SpeciesLabel(), stepCount_);
  taxa_.Arrive(*c, world_.Context, stepCount_);
  return c->Serial;
}

void TSimulation::SetEvents(const std::vector<TWorldEvent>& events) {
  for (const TWorldEvent& e : events) {
    CheckEvent(e);
    // A step's removals and arrivals happen at the end of the step that reaches it: those of
    // the step the world is at, or before, can no longer happen.
    const bool once = e.Kind != TEventKind::Ramp && e.Kind != TEventKind::Cycle;
    const bool keyChange = e.Kind == TEventKind::Set;
    if (once && (e.Step < stepCount_ || (e.Step == stepCount_ && !keyChange)))
      throw EVivarion("the event \"" + EventText(e) + "\" comes too late: the world is at step " +
                      std::to_string(stepCount_));
  }
  int64_t added = 0;
  for (const TWorldEvent& e : events)
    if (e.Kind == TEventKind::AddAnimals) added += e.Count;
  if (added > 0 && static_cast<int64_t>(world_.Count()) + added > CreatureLimit)
    throw EVivarion("the events would add " + std::to_string(added) + " animals to a world of " +
                    std::to_string(world_.Count()) + " creatures, more than the limit of " +
                    std::to_string(CreatureLimit) + " creatures");
  events_ = events;
  ++edits_;
  // The keys of the step reached take their values now, as if it had just been stepped to.
  TSettings rules = Rules();
  for (const TWorldEvent& e : events_)
    if (e.Kind != TEventKind::Cull && e.Kind != TEventKind::AddAnimals && EventActsAt(e, stepCount_))
      rules.Set(e.Key, EventValueAt(e, stepCount_));
  SetRules(rules);
}

void TSimulation::ApplyEvents() {
  // Events are the world's own course: what they change is no edit.
  const uint64_t edits = edits_;
  const int64_t step = stepCount_;
  TSettings rules = Rules();
  bool changed = false;
  for (const TWorldEvent& e : events_) {
    if (!EventActsAt(e, step)) continue;
    switch (e.Kind) {
      case TEventKind::Set:
      case TEventKind::Ramp:
      case TEventKind::Cycle: {
        const double value = EventValueAt(e, step);
        if (rules.Get(e.Key) != value) rules.Set(e.Key, value), changed = true;
        break;
      }
      case TEventKind::Cull:
        Cull(e.Fraction, e.Animals, e.Plants, e.Everywhere ? std::nullopt : std::optional<TRegion>(e.Region));
        break;
      case TEventKind::AddAnimals: {
        // Half of a window of 800 x 600 around the origin, where a world is seeded, unless a
        // region is given.
        const TRegion area = e.Everywhere ? TRegion{-200, -150, 200, 150} : e.Region;
        if (static_cast<int64_t>(world_.Count()) + e.Count > CreatureLimit)
          throw EVivarion("the event \"" + EventText(e) + "\" would grow the world to " +
                          std::to_string(static_cast<int64_t>(world_.Count()) + e.Count) + " creatures at step " +
                          std::to_string(step) + ", more than the limit of " + std::to_string(CreatureLimit) +
                          " (--max-creatures)");
        for (int32_t k = 0; k < e.Count; ++k) {
          const double x = area.X0 + (area.X1 - area.X0) * world_.Context.Random.Real();
          const double y = area.Y0 + (area.Y1 - area.Y0) * world_.Context.Random.Real();
          PutAnimal(e.AnimalText, e.AnimalName, static_cast<float>(x), static_cast<float>(y));
        }
        break;
      }
    }
  }
  if (changed) SetRules(rules);
  edits_ = edits;
}

int64_t TSimulation::Cull(double fraction, bool animals, bool plants, const std::optional<TRegion>& region) {
  // Each creature of the kinds and region is drawn for in the world's order.
  std::vector<TCreature*> chosen;
  for (TCreature* c : world_.List) {
    if (!(c->Vegetable ? plants : animals)) continue;
    if (region && !region->Contains(c->X, c->Y)) continue;
    if (world_.Context.Random.Real() < fraction) chosen.push_back(c);
  }
  if (held_ && std::any_of(chosen.begin(), chosen.end(), [&](const TCreature* c) { return c->Serial == held_; }))
    held_ = 0;
  world_.Cull(chosen);
  ++edits_;
  return static_cast<int64_t>(chosen.size());
}

void TSimulation::SetRules(const TSettings& rules) {
  if (!SettingsDifferences(world_.Context.Rules, rules).empty()) ++edits_;
  world_.Context.Rules = rules;
}

uint64_t TSimulation::Hash() const { return WorldHash(world_, stepCount_, &history_, &taxa_, &events_); }

void TSimulation::SaveWorld(const std::string& fileName) const {
  SaveWorldFile(fileName, world_, stepCount_, &history_, &taxa_, &events_);
}

std::string TSimulation::WorldBytes() const { return WorldFileBytes(world_, stepCount_, &history_, &taxa_, &events_); }

void TSimulation::LoadWorldBytes(std::string_view bytes, const std::string& name) {
  Adopt(viv::LoadWorldBytes(bytes, name, world_, CreatureLimit));
}

std::string TSimulation::WorldBody() const { return viv::WorldBody(world_, stepCount_, &history_, &taxa_, &events_); }

void TSimulation::LoadWorldBody(std::string_view body, const std::string& name) {
  TLoadedWorld loaded;
  WithFileName(name, [&] { loaded = viv::LoadWorldBody(body, world_, WorldFormatVersion, CreatureLimit); });
  Adopt(std::move(loaded));
}

void TSimulation::LoadWorld(const std::string& fileName) { Adopt(LoadWorldFile(fileName, world_, CreatureLimit)); }

void TSimulation::Adopt(TLoadedWorld loaded) {
  ++edits_;
  stepCount_ = loaded.StepCount;
  held_ = 0;
  history_ = std::move(loaded.History);
  taxa_.Replace(std::move(loaded.Taxa));
  // A world kept without a history (before taxa, or written without one) has its animals
  // found their species and taxa now, one per species or file, so that the steps to come
  // have a history to go on and the world saves and loads again.
  const bool animals =
      std::any_of(world_.List.begin(), world_.List.end(), [](const TCreature* c) { return !c->Vegetable; });
  if (animals && history_.Emergences.empty()) history_.Found(world_, stepCount_);
  if (loaded.Version < 3 || (animals && taxa_.Taxa.empty())) taxa_.Found(world_, stepCount_);
  fileSettings_ = loaded.Settings;
  events_ = std::move(loaded.Events);
}

}  // namespace viv
