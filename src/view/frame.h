#pragma once
// One picture of the world: the visible creatures, the status overlay and the footer.
#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "view/view_transform.h"
#include "world/world.h"

namespace viv {

struct TFrameStatus {
  int64_t StepCount = 0;
  double StepsPerSecond = 0;
  // Lines written under the overlay, such as the outcome of a save.
  std::vector<std::string> Notices;
  // The most steps a second the window runs the world at (0: as fast as it can).
  int SpeedLimit = 0;
  // The world is paused: the rate reads 0 and "Paused" is said under the overlay.
  bool Paused = false;
  // Say so under the overlay when no animal is alive.
  bool SayWhenNoAnimals = false;
  // The living animals of this species are drawn with a ring around them (empty: none), or
  // those of this taxon (0: none).
  std::string OutlinedSpecies;
  uint64_t OutlinedTaxon = 0;
  // Animals are filled in a colour of their taxon, so that lineages show as they spread.
  bool TaxonColours = false;
  // The world alone: no overlay and no line of keys (small pictures of other windows).
  bool Bare = false;
  // A picture made away from the window (the runner's pictures and films): one line of the
  // step and the counts instead of the window's overlay and its keys.
  bool Caption = false;
};

// A whole number with its thousands marked: 1,234,567.
std::string Grouped(int64_t n);

// A bright colour of its own for each taxon, the same in every frame (0x00BBGGRR).
uint32_t TaxonColour(uint64_t taxon);

// Draws the world into image (already of the window's client size): black (with the light
// patches, where the rules set them, faintly on it), then each
// creature whose rounded centre lies strictly inside, from the last to the first, then
// the overlay and the footer.
void DrawFrame(const TWorld& world, const TView& view, const TFrameStatus& status, QImage& image);

}  // namespace viv
