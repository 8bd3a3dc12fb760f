#pragma once
// Time travel in a run: the timeline it keeps when asked (--at, --save-timeline,
// --branch-settings), the step a loaded world starts at, and a what-if run's rules.
#include <optional>
#include <ostream>

#include "cli/options.h"
#include "sim/simulation.h"
#include "sim/timeline.h"

namespace viv {

// The timeline a run keeps, or none when nothing asks for one.
std::optional<TTimeline> RunTimeline(const TRunnerOptions& options);

// Right after a world file is loaded (the world under the settings file's rules): reads the
// timeline saved beside the world file when there is one (it must be that world's), puts the
// world at --at (replayed, or run on under the world's own rules), settles the rules as a loaded
// world's, and gives a what-if run its settings, naming the keys that change on err. timeline
// may be none: then only the rules are settled.
void TravelLoadedWorld(const TRunnerOptions& options, TSimulation& sim, std::optional<TTimeline>& timeline,
                       std::ostream& err);

}  // namespace viv
