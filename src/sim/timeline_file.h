#pragma once
// A timeline in a file (.vivt), kept beside its world file: the keyframes as the timeline
// holds them, where the world was changed by hand, and the step and hash of the world it was
// saved with, so that it is never replayed under another world.
#include <string>

#include "sim/simulation.h"
#include "sim/timeline.h"

namespace viv {

// "w.vivw" -> "w.vivt": where a world file's timeline is kept.
std::string TimelineFileFor(const std::string& worldFile);

// Writes the timeline of sim (at its step) atomically.
void SaveTimeline(const std::string& fileName, const TTimeline& timeline, const TSimulation& sim);
// Reads a timeline for sim, which must be the world it was saved with (same step and hash).
// Throws EVivarion naming the file: not a timeline, damaged (each keyframe is checked), of a
// newer format, or of another world.
TTimeline LoadTimeline(const std::string& fileName, const TSimulation& sim);

}  // namespace viv
