#pragma once
// Time travel in the window: a branch of the world kept beside the one shown (the original
// when a new branch starts), stepped with it so that the two can be compared; the marks of the
// timeline bar.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "history/evolution_samples.h"
#include "history/run_samples.h"
#include "sim/simulation.h"
#include "sim/timeline.h"

namespace viv {

struct TBranchWorld {
  std::string Name;  // "the original", "branch 2 (SunLight 1 -> 0.5)"
  TSimulation Sim;
  std::optional<TTimeline> Timeline;
  TRunGraphs Graphs;
  TEvolutionGraphs Evolution;
  // The keys the branch holds at other values than the settings file (which the window reads
  // again as it is edited): they stay the branch's through every reload.
  std::map<std::string, double> Overrides;
};

// A mark on the timeline bar.
struct TTimelineMark {
  enum TKind { Event, Seam, Fewest, Founded, Extinct, Film };
  int64_t Step = 0;
  TKind Kind = Event;
  std::string Text;
};

}  // namespace viv
