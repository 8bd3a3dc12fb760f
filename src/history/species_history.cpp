#include "history/species_history.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>

#include "config/byte_codec.h"
#include "config/errors.h"
#include "history/diet_types.h"
#include "history/tree_text.h"

namespace viv {

std::string TEmergence::Label() const {
  const std::string name = Name.empty() ? "unnamed" : Name;
  return Index == 1 ? name : name + "_" + std::to_string(Index);
}

int32_t TSpeciesHistory::Emerge(const std::string& name, int32_t parent, int64_t step) {
  TEmergence e;
  e.Name = name;
  auto it = current_.find(name);
  e.Index = it == current_.end() ? 1 : Emergences[it->second].Index + 1;
  e.FirstStep = e.LastStep = step;
  e.Parent = parent;
  Emergences.push_back(std::move(e));
  const int32_t k = static_cast<int32_t>(Emergences.size()) - 1;
  current_[name] = k;
  ++newSpecies_;
  return k;
}

void TSpeciesHistory::Found(const TCreatureList& world, int64_t step) {
  lastStep_ = step;
  for (const TCreature* c : world.List) {
    if (c->Vegetable) continue;
    const std::string label = c->SpeciesLabel();
    auto it = current_.find(label);
    int32_t k = it != current_.end() && Emergences[it->second].Alive > 0 ? it->second : Emerge(label, -1, step);
    TEmergence& e = Emergences[k];
    e.Peak = std::max(e.Peak, ++e.Alive);
  }
}

void TSpeciesHistory::Record(const TWorld& world, int64_t step) {
  lastStep_ = step;
  sprouts_ += world.Context.Flows.Sprouts;
  fromPlants_ += world.Context.Flows.FromPlants;
  fromAnimals_ += world.Context.Flows.FromAnimals;
  // Births first: a species whose last member dies in the step its new member is born lives on.
  for (const TBirth& b : world.Births) {
    if (b.Vegetable) continue;
    ++births_;
    auto it = current_.find(b.ChildName);
    int32_t k;
    if (it != current_.end() && Emergences[it->second].Alive > 0) {
      k = it->second;
    } else {
      auto parent = current_.find(b.ParentName);
      k = Emerge(b.ChildName, parent == current_.end() ? -1 : parent->second, step);
    }
    TEmergence& e = Emergences[k];
    ++e.Births;
    e.Peak = std::max(e.Peak, ++e.Alive);
    e.LastStep = step;
  }
  for (const TDeath& d : world.Deaths) {
    if (d.Vegetable) continue;
    ++deaths_;
    auto it = current_.find(d.Name);
    if (it == current_.end()) continue;
    TEmergence& e = Emergences[it->second];
    if (e.Alive > 0 && --e.Alive == 0) {
      e.LastStep = step;
      ++extinct_;
    }
  }
}

double SpeciesDiversity(const TCreatureList& world) {
  std::map<std::string, int64_t> counts;
  int64_t animals = 0;
  for (const TCreature* c : world.List) {
    if (c->Vegetable) continue;
    ++animals;
    ++counts[c->SpeciesLabel()];
  }
  double diversity = 0;
  for (const auto& [name, n] : counts) {
    const double p = static_cast<double>(n) / static_cast<double>(animals);
    diversity -= p * std::log(p);
  }
  return diversity;
}

void TSpeciesHistory::Depart(const std::string& name, int64_t step) {
  ++departures_;
  auto it = current_.find(name);
  if (it == current_.end()) return;
  TEmergence& e = Emergences[it->second];
  if (e.Alive > 0 && --e.Alive == 0) {
    e.LastStep = step;
    ++extinct_;
  }
}

void TSpeciesHistory::Arrive(const std::string& name, int64_t step) {
  ++arrivals_;
  lastStep_ = step;
  auto it = current_.find(name);
  const int32_t k = it != current_.end() && Emergences[it->second].Alive > 0 ? it->second : Emerge(name, -1, step);
  TEmergence& e = Emergences[k];
  e.Peak = std::max(e.Peak, ++e.Alive);
  e.LastStep = step;
}

TSpeciesStats TSpeciesHistory::Report(const TCreatureList& world, int64_t step, bool restart) {
  TSpeciesStats s;
  int64_t animals = 0, organs = 0;
  for (const TCreature* c : world.List) {
    if (c->Vegetable) continue;
    ++animals;
    organs += c->Parts.Count();
    s.MaxOrgans = std::max(s.MaxOrgans, c->Parts.Count());
  }
  s.Diversity = SpeciesDiversity(world);
  s.MeanOrgans = animals > 0 ? static_cast<double>(organs) / static_cast<double>(animals) : 0;
  for (const TEmergence& e : Emergences) {
    if (e.Alive == 0) continue;
    if (step - e.FirstStep >= PersistenceSteps) ++s.PersistentSpecies;
  }
  s.NewSpecies = newSpecies_, s.ExtinctSpecies = extinct_, s.Births = births_, s.Deaths = deaths_;
  s.Arrivals = arrivals_, s.Departures = departures_;
  s.FloorSprouts = sprouts_, s.FromPlants = fromPlants_, s.FromAnimals = fromAnimals_;
  s.DietTypes = CommonDietTypes(world, 0.15);
  if (restart) {
    newSpecies_ = extinct_ = births_ = deaths_ = arrivals_ = departures_ = sprouts_ = 0;
    fromPlants_ = fromAnimals_ = 0;
  }
  return s;
}

std::string TSpeciesHistory::SpeciesCsv() const {
  std::ostringstream out;
  out << "name,emergence,first_step,last_step,parent,peak,births,alive\n";
  for (const TEmergence& e : Emergences)
    out << CsvField(e.Name.empty() ? "unnamed" : e.Name) << ',' << e.Index << ',' << e.FirstStep << ','
        << (e.Alive > 0 ? lastStep_ : e.LastStep) << ','
        << (e.Parent < 0 ? std::string() : CsvField(Emergences[e.Parent].Label())) << ',' << e.Peak << ',' << e.Births
        << ',' << (e.Alive > 0 ? 1 : 0) << '\n';
  return out.str();
}

std::string TSpeciesHistory::Newick() const {
  std::vector<int64_t> parents;
  for (const TEmergence& e : Emergences) parents.push_back(e.Parent);
  return NewickText(
      parents, [&](size_t k) { return Emergences[k].Label(); },
      [&](size_t k) {
        const TEmergence& e = Emergences[k];
        return e.FirstStep - (e.Parent < 0 ? 0 : Emergences[e.Parent].FirstStep);
      });
}

std::string TSpeciesHistory::Bytes(bool forHash) const {
  std::string out;
  PutBytes(out, static_cast<uint64_t>(Emergences.size()));
  for (const TEmergence& e : Emergences) {
    // A founder's label that is a file name (species names are letters only) stays out of the
    // hash, as the creatures' files of origin do.
    const std::string_view name = forHash && !IsSpeciesName(e.Name) ? std::string_view() : std::string_view(e.Name);
    PutText<uint32_t>(out, name);
    PutBytes(out, e.Index), PutBytes(out, e.FirstStep), PutBytes(out, e.LastStep), PutBytes(out, e.Parent);
    PutBytes(out, e.Peak), PutBytes(out, e.Births), PutBytes(out, e.Alive);
  }
  // The counts since the last report depend on when reports were taken, not on the world.
  if (forHash) PutBytes(out, lastStep_);
  else {
    for (int64_t v : {newSpecies_, extinct_, births_, deaths_, lastStep_, arrivals_, departures_}) PutBytes(out, v);
    PutBytes(out, sprouts_), PutBytes(out, fromPlants_), PutBytes(out, fromAnimals_);
  }
  return out;
}

void TSpeciesHistory::FromBytes(std::string_view bytes, uint32_t version, int64_t worldStep) {
  TByteReader r(bytes, TByteFaults::Two("the world file is damaged: ", "its species history is cut short",
                                        "its species history does not hold together"));
  uint64_t n = 0;
  r.Get(n);
  if (n > bytes.size() / 48) r.Damaged();
  TSpeciesHistory h;
  for (uint64_t k = 0; k < n; ++k) {
    TEmergence e;
    e.Name = r.Text<uint32_t>();
    r.Get(e.Index), r.Get(e.FirstStep), r.Get(e.LastStep), r.Get(e.Parent), r.Get(e.Peak), r.Get(e.Births);
    r.Get(e.Alive);
    if (e.Parent >= static_cast<int64_t>(k) || e.Parent < -1 || e.Index < 1 || !StepsWithin(e, worldStep) ||
        !Countable({e.Peak, e.Births, e.Alive}))
      r.Damaged();
    h.current_[e.Name] = static_cast<int32_t>(k);
    h.Emergences.push_back(std::move(e));
  }
  r.Get(h.newSpecies_), r.Get(h.extinct_), r.Get(h.births_), r.Get(h.deaths_), r.Get(h.lastStep_);
  if (version >= 2) r.Get(h.arrivals_), r.Get(h.departures_);
  if (!Countable({h.newSpecies_, h.extinct_, h.births_, h.deaths_, h.arrivals_, h.departures_}) || h.lastStep_ < 0 ||
      h.lastStep_ > worldStep)
    r.Damaged();
  if (version >= 7) {
    r.Get(h.sprouts_), r.Get(h.fromPlants_), r.Get(h.fromAnimals_);
    if (h.sprouts_ < 0 || !(h.fromPlants_ >= 0) || !(h.fromAnimals_ >= 0) ||
        !std::isfinite(h.fromPlants_ + h.fromAnimals_))
      r.Damaged();
  }
  if (!r.AtEnd()) r.Damaged();
  *this = std::move(h);
}

bool TSpeciesHistory::AgreesWith(const TCreatureList& world) const {
  if (Emergences.empty()) return true;
  std::unordered_map<std::string, int64_t> members;
  for (const TCreature* c : world.List)
    if (!c->Vegetable) ++members[c->SpeciesLabel()];
  int64_t living = 0;
  for (const TEmergence& e : Emergences) living += e.Alive > 0 ? 1 : 0;
  if (living != static_cast<int64_t>(members.size())) return false;
  for (const auto& [label, n] : members) {
    auto it = current_.find(label);
    if (it == current_.end() || Emergences[it->second].Alive != n) return false;
  }
  return true;
}

}  // namespace viv
