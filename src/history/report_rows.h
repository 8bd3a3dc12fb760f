#pragma once
// The texts of a report, shared by the runner, the islands program and the Python module: the
// status line and the rows of the figures, species statistics and evolution CSV files.
#include <cstdint>
#include <string>

#include "history/species_history.h"
#include "history/taxa.h"
#include "world/world_figures.h"

namespace viv {

// "step=N creatures=A food=P biomass=B species=S"
std::string StatusLine(int64_t step, const TWorldFigures& f);
// 16 lower-case hex digits.
std::string HashText(uint64_t hash);
// "step,creatures,food,biomass,species" values, without a line end.
std::string FiguresRow(int64_t step, const TWorldFigures& f);
// The statistics after the figures: ",diversity,new_species,...,persistent_species".
std::string StatsColumns(const TSpeciesStats& s);

// A row of the measures of evolution: "step,taxa,...,ancestor_age" values, no line end.
std::string EvolutionRow(int64_t step, const TEvolutionStats& s);

extern const char* const FiguresHeader;    // with its line end
extern const char* const EvolutionHeader;  // with its line end
extern const char* const StatsHeader;      // the figures' columns, then the statistics'

}  // namespace viv
