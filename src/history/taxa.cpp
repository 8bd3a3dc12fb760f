#include "history/taxa.h"

#include <xxhash.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

#include "config/byte_codec.h"
#include "config/errors.h"
#include "config/number_text.h"
#include "creature/body_plan.h"
#include "history/tree_text.h"

namespace viv {

void TTaxonHistory::Replace(TTaxonHistory&& other) {
  const int64_t persistence = PersistenceSteps;
  *this = std::move(other);
  PersistenceSteps = persistence;
}

const TTaxon* TTaxonHistory::Find(uint64_t id) const {
  auto it = index_.find(id);
  return it == index_.end() ? nullptr : &Taxa[it->second];
}

std::string TTaxonHistory::LabelOf(const TCreature& animal) const {
  const TTaxon* t = Find(animal.Taxon);
  return t ? t->Label : std::string();
}

std::vector<TEmergence> TTaxonHistory::AsEmergences() const {
  std::vector<TEmergence> all;
  all.reserve(Taxa.size());
  for (const TTaxon& t : Taxa) {
    TEmergence& e = all.emplace_back();
    e.Name = t.Label, e.FirstStep = t.FirstStep, e.LastStep = t.LastStep;
    auto parent = index_.find(t.Parent);
    e.Parent = t.Parent == 0 || parent == index_.end() ? -1 : static_cast<int32_t>(parent->second);
    e.Peak = t.Peak, e.Births = t.Births, e.Alive = t.Alive;
  }
  return all;
}

std::vector<double> TTaxonHistory::ActiveActivities() const {
  std::vector<double> a;
  for (size_t k : livingTaxa_)
    if (Taxa[k].Alive > 0 && Taxa[k].Activity >= static_cast<double>(PersistenceSteps)) a.push_back(Taxa[k].Activity);
  return a;
}

std::vector<double> TTaxonHistory::ShadowActiveActivities() const {
  std::vector<double> a;
  for (size_t k : livingShadow_)
    if (shadowTaxa_[k].Alive > 0 && shadowTaxa_[k].Active) a.push_back(shadowTaxa_[k].Activity);
  return a;
}

TTaxon& TTaxonHistory::Emerge(uint64_t id, uint64_t parent, int64_t step) {
  TTaxon t;
  t.Id = id;
  t.Parent = parent;
  t.Label = std::string("T").append(std::to_string(id));
  t.FirstStep = t.LastStep = step;
  index_[id] = Taxa.size();
  livingTaxa_.push_back(Taxa.size());
  Taxa.push_back(std::move(t));
  return Taxa.back();
}

void TTaxonHistory::Leave(uint64_t id, int64_t step) {
  TTaxon* t = At(id);
  if (!t || t->Alive == 0) return;
  if (--t->Alive > 0) return;
  t->LastStep = step;
  if (auto it = living_.find(t->Plan); it != living_.end() && it->second == t->Id) {
    // Arrivals of this plan now join the earliest living taxon that has it, if any.
    living_.erase(it);
    for (size_t k : livingTaxa_)
      if (Taxa[k].Alive > 0 && Taxa[k].Plan == t->Plan) {
        living_[t->Plan] = Taxa[k].Id;
        break;
      }
  }
  if (!t->Persistent) t->Representative.clear();
}

void TTaxonHistory::ShadowBirth(bool newTaxon, int64_t step, bool founder) {
  uint64_t taxon;
  if (newTaxon || shadowMembers_.empty()) {
    // The new taxon's parent is a member's taxon, picked by a hash of the shadow's state rather
    // than a draw, so that the shadow's stream (and so every world's hash) stays as it was.
    TShadowTaxon fresh;
    fresh.FirstStep = step;
    if (!founder && !shadowMembers_.empty()) {
      const TRandomState& state = shadowRandom_.State();
      const uint64_t pick = XXH64(state.data(), sizeof(state), shadowTaxa_.size());
      fresh.Parent = shadowMembers_[static_cast<size_t>(pick % shadowMembers_.size())];
    }
    livingShadow_.push_back(shadowTaxa_.size());
    shadowTaxa_.push_back(fresh);
    taxon = shadowTaxa_.size();
  } else {
    taxon = shadowMembers_[static_cast<size_t>(shadowRandom_.Int(static_cast<int32_t>(shadowMembers_.size())))];
  }
  shadowMembers_.push_back(taxon);
  ++shadowTaxa_[taxon - 1].Alive;
}

void TTaxonHistory::ShadowDeath() {
  if (shadowMembers_.empty()) return;
  const size_t k = static_cast<size_t>(shadowRandom_.Int(static_cast<int32_t>(shadowMembers_.size())));
  --shadowTaxa_[shadowMembers_[k] - 1].Alive;
  shadowMembers_[k] = shadowMembers_.back();
  shadowMembers_.pop_back();
}

void TTaxonHistory::Found(TCreatureList& world, int64_t step) {
  // The shadow's stream starts from the world's state without drawing from it.
  const TRandomState& state = world.Context.Random.State();
  shadowRandom_.Seed(XXH64(state.data(), sizeof(state), step));
  std::map<std::string, uint64_t> byLabel;
  for (TCreature* c : world.List) {
    if (c->Vegetable) continue;
    c->Plan = BodyPlanSignature(*c);
    const std::string label = c->SpeciesLabel();
    auto [it, fresh] = byLabel.emplace(label, 0);
    if (fresh) {
      it->second = world.Context.TakeTaxon();
      TTaxon& t = Emerge(it->second, 0, step);
      t.Label = label.empty() ? "unnamed" : label;
      t.Plan = c->Plan;
      t.UsedOrgans = UsedOrgans(*c);
      t.Representative = c->ToXmlText();
      living_[t.Plan] = t.Id;
    }
    c->Taxon = it->second;
    TTaxon& t = *At(c->Taxon);
    t.Peak = std::max(t.Peak, ++t.Alive);
    ShadowBirth(fresh, step, true);
  }
}

void TTaxonHistory::Record(const TWorld& world, int64_t step) {
  // The first members of new taxa give them their text and wiring (a child that died in the
  // step it was born in leaves its taxon without them).
  std::unordered_map<uint64_t, const TCreature*> founders;
  for (const TBirth& b : world.Births)
    if (!b.Vegetable && b.ChildTaxon != b.ParentTaxon) founders.emplace(b.Child, nullptr);
  if (!founders.empty())
    for (const TCreature* c : world.List)
      if (auto it = founders.find(c->Serial); it != founders.end()) it->second = c;
  for (const TBirth& b : world.Births) {
    if (b.Vegetable) continue;
    const bool founded = b.ChildTaxon != b.ParentTaxon;
    TTaxon* t = At(b.ChildTaxon);
    if (founded && !t) {
      t = &Emerge(b.ChildTaxon, b.ParentTaxon, step);
      t->Plan = b.Plan;
      if (const TCreature* first = founders[b.Child]) {
        t->UsedOrgans = UsedOrgans(*first);
        t->Representative = first->ToXmlText();
      }
      if (!living_.count(t->Plan)) living_[t->Plan] = t->Id;
    }
    if (t) {
      ++t->Births;
      t->Peak = std::max(t->Peak, ++t->Alive);
      t->LastStep = step;
    }
    ShadowBirth(founded, step);
  }
  for (const TDeath& d : world.Deaths) {
    if (d.Vegetable) continue;
    Leave(d.Taxon, step);
    ShadowDeath();
  }
  // A step of activity: each living taxon's members are added to its sum.
  const double threshold = static_cast<double>(PersistenceSteps);
  std::erase_if(livingTaxa_, [&](size_t k) { return Taxa[k].Alive == 0; });
  for (size_t k : livingTaxa_) {
    TTaxon& t = Taxa[k];
    t.LastStep = step;
    const bool wasActive = t.Activity >= threshold;
    t.Activity += static_cast<double>(t.Alive);
    if (!wasActive && t.Activity >= threshold) ++newActivity_;
  }
  std::erase_if(livingShadow_, [&](size_t k) { return shadowTaxa_[k].Alive == 0; });
  for (size_t k : livingShadow_) {
    TShadowTaxon& s = shadowTaxa_[k];
    s.Activity += static_cast<double>(s.Alive);
    if (!s.Active && s.Activity >= threshold) s.Active = true, ++shadowNewActivity_;
  }
}

void TTaxonHistory::Depart(const TCreature& animal, int64_t step) {
  if (animal.Vegetable) return;
  Leave(animal.Taxon, step);
  ShadowDeath();
}

void TTaxonHistory::Arrive(TCreature& animal, TWorldContext& world, int64_t step) {
  if (animal.Vegetable) return;
  animal.Plan = BodyPlanSignature(animal);
  auto it = living_.find(animal.Plan);
  TTaxon* t = it == living_.end() ? nullptr : At(it->second);
  const bool founded = !t || t->Alive == 0;
  if (founded) {
    t = &Emerge(world.TakeTaxon(), 0, step);
    t->Plan = animal.Plan;
    t->UsedOrgans = UsedOrgans(animal);
    t->Representative = animal.ToXmlText();
    living_[t->Plan] = t->Id;
  }
  animal.Taxon = t->Id;
  t->Peak = std::max(t->Peak, ++t->Alive);
  t->LastStep = step;
  ShadowBirth(founded, step, true);
}

TEvolutionStats TTaxonHistory::Report(int64_t step, bool restart) {
  TEvolutionStats s;
  std::vector<uint64_t> persistent;
  int64_t members = 0;
  for (TTaxon& t : Taxa) {
    if (t.Alive == 0) continue;
    ++s.Taxa;
    s.Activity += t.Activity;
    if (step - t.FirstStep < PersistenceSteps) continue;
    if (restart) t.Persistent = true;
    persistent.push_back(t.Id);
    members += t.Alive;
    s.Complexity = std::max(s.Complexity, t.UsedOrgans);
  }
  s.Persistent = static_cast<int64_t>(persistent.size());
  std::vector<uint64_t> newPlans;
  for (uint64_t id : persistent) {
    const TTaxon& t = *At(id);
    const double p = static_cast<double>(t.Alive) / static_cast<double>(members);
    s.Ecology -= p * std::log(p);
    if (std::binary_search(lastPersistent_.begin(), lastPersistent_.end(), id)) continue;
    ++s.Change;
    if (!persistentPlans_.count(t.Plan) && std::find(newPlans.begin(), newPlans.end(), t.Plan) == newPlans.end()) {
      ++s.Novelty;
      newPlans.push_back(t.Plan);
    }
  }
  s.NewActivity = newActivity_;
  for (const TShadowTaxon& t : shadowTaxa_) {
    if (t.Alive == 0) continue;
    ++s.ShadowTaxa;
    s.ShadowActivity += t.Activity;
  }
  s.ShadowNewActivity = shadowNewActivity_;
  s.AncestorAge = AncestorAge(step);
  s.ShadowAncestorAge = ShadowAncestorAge(step);
  if (restart) {
    for (uint64_t plan : newPlans) persistentPlans_.insert(plan);
    lastPersistent_ = std::move(persistent);  // ids grow with the founding order: sorted
    newActivity_ = shadowNewActivity_ = 0;
  }
  return s;
}

namespace {

// Steps since the founding of the most recent taxon on every living line: the line of the first
// living taxon, itself first, cut down to what every other line shares. parent(id) gives a
// taxon's parent (0 for none), born(id) its founding step; the bound on a line's length keeps a
// damaged history from looping. The world's age when the lines do not meet.
template <class TParent, class TBorn>
int64_t CommonAncestorAge(const std::vector<uint64_t>& living, int64_t step, size_t bound, TParent parent, TBorn born) {
  std::vector<uint64_t> common;
  std::unordered_set<uint64_t> line;
  for (size_t n = 0; n < living.size(); ++n) {
    line.clear();
    std::vector<uint64_t> ordered;
    for (uint64_t a = living[n]; a != 0 && ordered.size() <= bound; a = parent(a)) {
      line.insert(a);
      ordered.push_back(a);
    }
    if (n == 0) {
      common = std::move(ordered);
      continue;
    }
    size_t k = 0;
    while (k < common.size() && !line.count(common[k])) ++k;
    common.erase(common.begin(), common.begin() + static_cast<std::ptrdiff_t>(k));
    if (common.empty()) return step;
  }
  return common.empty() ? 0 : step - born(common.front());
}

}  // namespace

int64_t TTaxonHistory::AncestorAge(int64_t step) const {
  std::vector<uint64_t> living;
  for (const TTaxon& t : Taxa)
    if (t.Alive > 0) living.push_back(t.Id);
  return CommonAncestorAge(
      living, step, Taxa.size(),
      [&](uint64_t id) {
        const TTaxon* t = Find(id);
        return t && t->Parent && Find(t->Parent) ? t->Parent : uint64_t{0};
      },
      [&](uint64_t id) { return Find(id)->FirstStep; });
}

int64_t TTaxonHistory::ShadowAncestorAge(int64_t step) const {
  std::vector<uint64_t> living;
  for (size_t k = 0; k < shadowTaxa_.size(); ++k)
    if (shadowTaxa_[k].Alive > 0) living.push_back(k + 1);
  return CommonAncestorAge(
      living, step, shadowTaxa_.size(), [&](uint64_t id) { return shadowTaxa_[id - 1].Parent; },
      [&](uint64_t id) { return shadowTaxa_[id - 1].FirstStep; });
}

std::string TTaxonHistory::TaxaCsv() const {
  std::ostringstream out;
  out << "taxon,label,parent,first_step,last_step,peak,births,alive,used_organs,activity\n";
  for (const TTaxon& t : Taxa)
    out << t.Id << ',' << CsvField(t.Label) << ',' << (t.Parent ? std::to_string(t.Parent) : std::string()) << ','
        << t.FirstStep << ',' << t.LastStep << ',' << t.Peak << ',' << t.Births << ',' << t.Alive << ',' << t.UsedOrgans
        << ',' << WholeText(t.Activity) << '\n';
  return out.str();
}

std::string TTaxonHistory::Newick() const {
  std::vector<int64_t> parents;
  for (const TTaxon& t : Taxa) {
    auto parent = index_.find(t.Parent);
    parents.push_back(t.Parent == 0 || parent == index_.end() ? -1 : static_cast<int64_t>(parent->second));
  }
  return NewickText(
      parents, [&](size_t k) { return Taxa[k].Label; },
      [&](size_t k) {
        const TTaxon* parent = Find(Taxa[k].Parent);
        return Taxa[k].FirstStep - (parent ? parent->FirstStep : 0);
      });
}

std::string TTaxonHistory::Bytes(bool forHash) const {
  std::string out;
  PutBytes(out, static_cast<uint64_t>(Taxa.size()));
  for (const TTaxon& t : Taxa) {
    PutBytes(out, t.Id), PutBytes(out, t.Parent), PutBytes(out, t.FirstStep), PutBytes(out, t.LastStep),
        PutBytes(out, t.Peak);
    PutBytes(out, t.Births), PutBytes(out, t.Alive), PutBytes(out, t.Plan), PutBytes(out, t.UsedOrgans),
        PutBytes(out, t.Activity);
    if (!forHash) PutBytes(out, static_cast<uint8_t>(t.Persistent));
    // Founders' labels that are file names stay out of the hash, as files of origin do.
    PutText<uint64_t>(
        out, forHash && t.Parent == 0 && !IsSpeciesName(t.Label) ? std::string_view() : std::string_view(t.Label));
    if (!forHash) PutText<uint64_t>(out, t.Representative);
  }
  // What reports decide (persistence seen at a report, the counts since the last one) stays out
  // of the hash: the same world has the same hash whenever it was reported on.
  if (!forHash) {
    PutBytes(out, static_cast<uint64_t>(lastPersistent_.size()));
    for (uint64_t id : lastPersistent_) PutBytes(out, id);
    std::vector<uint64_t> plans(persistentPlans_.begin(), persistentPlans_.end());
    std::sort(plans.begin(), plans.end());
    PutBytes(out, static_cast<uint64_t>(plans.size()));
    for (uint64_t plan : plans) PutBytes(out, plan);
    PutBytes(out, newActivity_), PutBytes(out, shadowNewActivity_);
  }
  for (uint64_t v : shadowRandom_.State()) PutBytes(out, v);
  PutBytes(out, static_cast<uint64_t>(shadowMembers_.size()));
  for (uint64_t m : shadowMembers_) PutBytes(out, m);
  PutBytes(out, static_cast<uint64_t>(shadowTaxa_.size()));
  for (const TShadowTaxon& s : shadowTaxa_)
    PutBytes(out, s.Alive), PutBytes(out, s.Activity), PutBytes(out, static_cast<uint8_t>(s.Active));
  if (!forHash)
    for (const TShadowTaxon& s : shadowTaxa_) PutBytes(out, s.Parent), PutBytes(out, s.FirstStep);
  return out;
}

void TTaxonHistory::FromBytes(std::string_view bytes, uint32_t version, int64_t worldStep) {
  TByteReader r(bytes, TByteFaults::Two("the world file is damaged: ", "its taxa are cut short",
                                        "its taxa do not hold together"));
  TTaxonHistory h;
  const uint64_t n = r.Count(90);
  for (uint64_t k = 0; k < n; ++k) {
    TTaxon t;
    uint8_t persistent = 0;
    r.Get(t.Id), r.Get(t.Parent), r.Get(t.FirstStep), r.Get(t.LastStep), r.Get(t.Peak), r.Get(t.Births);
    r.Get(t.Alive), r.Get(t.Plan), r.Get(t.UsedOrgans), r.Get(t.Activity), r.Get(persistent);
    t.Persistent = persistent != 0;
    t.Label = r.Text<uint64_t>();
    t.Representative = r.Text<uint64_t>();
    if (t.Id == 0 || h.index_.count(t.Id) || (t.Parent && !h.index_.count(t.Parent)) || !StepsWithin(t, worldStep) ||
        !Countable({t.Peak, t.Births, t.Alive}) || !(t.Activity >= 0) || !std::isfinite(t.Activity))
      r.Damaged();
    h.index_[t.Id] = h.Taxa.size();
    if (t.Alive > 0 && !h.living_.count(t.Plan)) h.living_[t.Plan] = t.Id;
    if (t.Alive > 0) h.livingTaxa_.push_back(h.Taxa.size());
    h.Taxa.push_back(std::move(t));
  }
  for (uint64_t k = r.Count(8); k > 0; --k) {
    uint64_t id = 0;
    r.Get(id);
    if (!h.lastPersistent_.empty() && id <= h.lastPersistent_.back()) r.Damaged();
    h.lastPersistent_.push_back(id);
  }
  for (uint64_t k = r.Count(8); k > 0; --k) {
    uint64_t plan = 0;
    r.Get(plan);
    h.persistentPlans_.insert(plan);
  }
  r.Get(h.newActivity_), r.Get(h.shadowNewActivity_);
  if (!Countable({h.newActivity_, h.shadowNewActivity_})) r.Damaged();
  TRandomState state;
  for (uint64_t& v : state) r.Get(v);
  h.shadowRandom_.SetState(state);
  for (uint64_t k = r.Count(8); k > 0; --k) h.shadowMembers_.push_back(0), r.Get(h.shadowMembers_.back());
  for (uint64_t k = r.Count(17); k > 0; --k) {
    TShadowTaxon s;
    uint8_t active = 0;
    r.Get(s.Alive), r.Get(s.Activity), r.Get(active);
    s.Active = active != 0;
    if (!Countable({s.Alive}) || !(s.Activity >= 0) || !std::isfinite(s.Activity)) r.Damaged();
    if (s.Alive > 0) h.livingShadow_.push_back(h.shadowTaxa_.size());
    h.shadowTaxa_.push_back(s);
  }
  std::vector<int64_t> members(h.shadowTaxa_.size(), 0);
  for (uint64_t m : h.shadowMembers_) {
    if (m == 0 || m > h.shadowTaxa_.size()) r.Damaged();
    ++members[m - 1];
  }
  for (size_t k = 0; k < members.size(); ++k)
    if (members[k] != h.shadowTaxa_[k].Alive) r.Damaged();
  if (version >= 7)
    for (size_t k = 0; k < h.shadowTaxa_.size(); ++k) {
      TShadowTaxon& s = h.shadowTaxa_[k];
      r.Get(s.Parent), r.Get(s.FirstStep);
      if (s.Parent > k) r.Damaged();  // a parent is founded before its child
      if (s.FirstStep < 0 || s.FirstStep > worldStep) r.Damaged();
    }
  if (!r.AtEnd()) r.Damaged();
  Replace(std::move(h));
}

bool TTaxonHistory::AgreesWith(const TCreatureList& world) const {
  std::unordered_map<uint64_t, int64_t> members;
  int64_t animals = 0;
  for (const TCreature* c : world.List)
    if (!c->Vegetable) ++members[c->Taxon], ++animals;
  // A world kept without taxa has its animals found taxa and shadow lines when it loads: a
  // shadow kept without taxa would be counted twice.
  if (Taxa.empty()) return shadowMembers_.empty() && shadowTaxa_.empty();
  int64_t living = 0;
  for (const TTaxon& t : Taxa) living += t.Alive > 0;
  if (living != static_cast<int64_t>(members.size()) || animals != static_cast<int64_t>(shadowMembers_.size()))
    return false;
  for (const auto& [id, n] : members) {
    const TTaxon* t = Find(id);
    if (!t || t->Alive != n) return false;
  }
  return true;
}

}  // namespace viv
