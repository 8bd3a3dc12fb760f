#pragma once
// The taxa of a world's animals and the measures of its evolution. A taxon is a lineage of
// one body plan (creature/body_plan): a child whose plan is its parent's stays in the
// parent's taxon, any other founds a new one. The history keeps every taxon (parent taxon,
// first and last step, peak, births, members alive, the plan, the organs its formulas use and
// a member's animal file text) and, per report, the measures of open-ended evolution: the
// MODES measures of persistent taxa (change, novelty, ecology, complexity) and Bedau and
// Packard's evolutionary activity, beside the activity of a neutral shadow.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "config/random.h"
#include "history/species_history.h"
#include "world/world.h"

namespace viv {

struct TTaxon {
  uint64_t Id = 0;
  uint64_t Parent = 0;  // the taxon of its first member's parent; 0 for founders and arrivals
  std::string Label;    // founders: their species or file name; the others "T" and the id
  int64_t FirstStep = 0, LastStep = 0;
  int64_t Peak = 0, Births = 0, Alive = 0;
  uint64_t Plan = 0;       // the body plan's signature
  int32_t UsedOrgans = 0;  // organs its formulas use to move it (UsedOrgans)
  // Bedau and Packard's cumulative activity: its members summed over every step it lived.
  double Activity = 0;
  bool Persistent = false;  // was persistent at a report
  // The animal file text of its first member; dropped when it dies out without having been
  // persistent at a report, so that a long history keeps the texts of the taxa that mattered.
  std::string Representative;
};

// The measures of a report.
struct TEvolutionStats {
  int64_t Taxa = 0;         // living taxa
  int64_t Persistent = 0;   // living taxa that have lived PersistenceSteps steps
  int64_t Change = 0;       // taxa persistent now that were not at the last report
  int64_t Novelty = 0;      // of those, the ones whose body plan no persistent taxon had before
  double Ecology = 0;       // Shannon entropy of the animals among persistent taxa (natural log)
  int32_t Complexity = 0;   // the most organs that a persistent taxon's formulas use
  double Activity = 0;      // summed cumulative activity of the living taxa
  int64_t NewActivity = 0;  // taxa whose activity reached the threshold since the last report
  int64_t ShadowTaxa = 0;
  double ShadowActivity = 0;
  int64_t ShadowNewActivity = 0;
  // Steps since the most recent taxon that every living animal descends from was founded: how
  // long lineages have coexisted (the world's age when they descend from different founders).
  int64_t AncestorAge = 0;
  // The same of the neutral shadow's lines: what drift alone would give.
  int64_t ShadowAncestorAge = 0;
};

class TTaxonHistory {
 public:
  // A taxon counts as persistent once it has lived this many steps, and as active once its
  // activity reaches this many member-steps (one member for that long).
  int64_t PersistenceSteps = 5000;

  std::vector<TTaxon> Taxa;  // in order of founding: Taxa[k].Id == k + 1 in a world of one history

  // Becomes other (an empty history, or one read from a file), keeping its persistence setting.
  void Replace(TTaxonHistory&& other);

  // The founding taxa of a world that starts now: one per species or file among its animals.
  // Gives each animal its taxon and plan.
  void Found(TCreatureList& world, int64_t step);
  // The births and deaths of the step just made, and a step of activity.
  void Record(const TWorld& world, int64_t step);
  // An animal that leaves for another world, and one that comes from one: it joins the living
  // taxon of its plan here, or founds one without a parent.
  void Depart(const TCreature& animal, int64_t step);
  void Arrive(TCreature& animal, TWorldContext& world, int64_t step);
  // The measures at step. With restart, this report is the one the next compares with (change,
  // novelty) and the counts since the last report start again; a run's last report off the
  // reporting steps does not restart them, so that a world saved after it and resumed gives
  // the rows the run would have given.
  TEvolutionStats Report(int64_t step, bool restart = true);

  // CSV with header taxon,label,parent,first_step,last_step,peak,births,alive,used_organs,activity
  std::string TaxaCsv() const;
  // The tree of taxa in Newick format; several founders are joined under "founders".
  std::string Newick() const;

  // The history as bytes for world files and back (throws EVivarion on damage). The bytes for
  // the world hash leave out the members' texts, founders' labels that are file names, what
  // reports decide (persistence seen at a report, the counts since the last report) and the
  // shadow's lines. Files of format 6 and before have no shadow lines: its taxa read as founders.
  std::string Bytes(bool forHash = false) const;
  // Steps outside 0..worldStep and counts that could not have been counted are damage.
  void FromBytes(std::string_view bytes, uint32_t version, int64_t worldStep = INT64_C(1) << 62);
  // Whether the living taxa and their members are those of the world's animals.
  bool AgreesWith(const TCreatureList& world) const;

  const TTaxon* Find(uint64_t id) const;
  // The label of a living animal's taxon ("T17", or a founder's name), as tables and trees
  // show it; empty for none.
  std::string LabelOf(const TCreature& animal) const;
  // The taxa as emergences of a species history (label for name, parents by place), so that
  // the observatory's table and tree show them as they show species.
  std::vector<TEmergence> AsEmergences() const;
  // The cumulative activities of the living taxa that have reached the threshold, and of the
  // shadow's: the points of the activity waves at this step.
  std::vector<double> ActiveActivities() const;
  std::vector<double> ShadowActiveActivities() const;

 private:
  TTaxon& Emerge(uint64_t id, uint64_t parent, int64_t step);
  int64_t AncestorAge(int64_t step) const;
  int64_t ShadowAncestorAge(int64_t step) const;
  TTaxon* At(uint64_t id) { return const_cast<TTaxon*>(Find(id)); }
  void Leave(uint64_t id, int64_t step);
  // The neutral shadow: as many animals as the world has, born and dying when the world's are,
  // but whoever divides or dies is drawn at random from its own stream; a birth founds a
  // shadow taxon when the world's founded a taxon. Activity above the shadow's is selection's.
  struct TShadowTaxon {
    int64_t Alive = 0;
    double Activity = 0;
    bool Active = false;
    uint64_t Parent = 0;  // the shadow taxon of a member when it was founded; 0 for none
    int64_t FirstStep = 0;
  };
  void ShadowBirth(bool newTaxon, int64_t step, bool founder = false);
  void ShadowDeath();

  std::unordered_map<uint64_t, size_t> index_;  // taxon id -> its place in Taxa
  // plan -> the earliest living taxon that has it, which arrivals of the plan join
  std::unordered_map<uint64_t, uint64_t> living_;
  std::vector<uint64_t> lastPersistent_;          // taxa persistent at the last report
  std::unordered_set<uint64_t> persistentPlans_;  // plans of every taxon that was persistent
  int64_t newActivity_ = 0, shadowNewActivity_ = 0;
  TRandom shadowRandom_;
  std::vector<uint64_t> shadowMembers_;   // the shadow taxon of each shadow animal
  std::vector<TShadowTaxon> shadowTaxa_;  // shadow taxon k + 1
  // The places of the taxa and shadow taxa that may still live, so that a step of activity
  // walks the living only (the dead are dropped as it goes).
  std::vector<size_t> livingTaxa_, livingShadow_;
};

}  // namespace viv
