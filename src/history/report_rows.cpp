#include "history/report_rows.h"

#include <charconv>
#include <cstdio>
#include <sstream>

#include "config/number_text.h"

namespace viv {

const char* const FiguresHeader = "step,creatures,food,biomass,species\n";
const char* const StatsHeader =
    "step,creatures,food,biomass,species,diversity,new_species,extinct_species,births,deaths,mean_organs,"
    "max_organs,persistent_species,floor_sprouts,energy_from_plants,energy_from_animals,diet_types\n";
const char* const EvolutionHeader =
    "step,taxa,persistent_taxa,change,novelty,ecology,complexity,activity,new_activity,shadow_taxa,shadow_activity,"
    "shadow_new_activity,ancestor_age,shadow_ancestor_age,ancestor_ratio\n";

namespace {

// Six decimals, "." whatever the locale.
std::string Fixed(double v) { return SixDecimals(v); }

}  // namespace

std::string StatusLine(int64_t step, const TWorldFigures& f) {
  std::ostringstream s;
  s << "step=" << step << " creatures=" << f.Animals << " food=" << f.Plants << " biomass=" << f.Biomass
    << " species=" << f.Species;
  return s.str();
}

std::string HashText(uint64_t hash) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string FiguresRow(int64_t step, const TWorldFigures& f) {
  std::ostringstream s;
  s << step << ',' << f.Animals << ',' << f.Plants << ',' << f.Biomass << ',' << f.Species;
  return s.str();
}

std::string StatsColumns(const TSpeciesStats& s) {
  return ',' + Fixed(s.Diversity) + ',' + std::to_string(s.NewSpecies) + ',' + std::to_string(s.ExtinctSpecies) + ',' +
         std::to_string(s.Births) + ',' + std::to_string(s.Deaths) + ',' + Fixed(s.MeanOrgans) + ',' +
         std::to_string(s.MaxOrgans) + ',' + std::to_string(s.PersistentSpecies) + ',' +
         std::to_string(s.FloorSprouts) + ',' + Fixed(s.FromPlants) + ',' + Fixed(s.FromAnimals) + ',' +
         std::to_string(s.DietTypes);
}

std::string EvolutionRow(int64_t step, const TEvolutionStats& s) {
  // Activities are sums of whole member counts, exact in a double far beyond any run.
  auto whole = [](double v) { return WholeText(v); };
  return std::to_string(step) + ',' + std::to_string(s.Taxa) + ',' + std::to_string(s.Persistent) + ',' +
         std::to_string(s.Change) + ',' + std::to_string(s.Novelty) + ',' + Fixed(s.Ecology) + ',' +
         std::to_string(s.Complexity) + ',' + whole(s.Activity) + ',' + std::to_string(s.NewActivity) + ',' +
         std::to_string(s.ShadowTaxa) + ',' + whole(s.ShadowActivity) + ',' + std::to_string(s.ShadowNewActivity) +
         ',' + std::to_string(s.AncestorAge) + ',' + std::to_string(s.ShadowAncestorAge) + ',' +
         Fixed(s.ShadowAncestorAge > 0 ? static_cast<double>(s.AncestorAge) / static_cast<double>(s.ShadowAncestorAge)
                                       : 0);
}

}  // namespace viv
