#pragma once
// What a creature reaches of the world it lives in: the rules in force, the world's random
// stream, its serial counter and its grid. A world owns one (in its population); each of its
// creatures points to it, and its organs are handed the stream by the creature that steps
// or divides them. Nothing of a world is program-wide, so worlds in one process are apart.
#include <cstdint>

#include "config/random.h"
#include "config/settings.h"
#include "creature/grid.h"
#include "rules/sunlight.h"

namespace viv {

// What the step under way moved: the energy that animals kept from bites of plants and of
// animals, and the plants that the plant floor sprouted. Counted for the reports only.
struct TStepFlows {
  double FromPlants = 0, FromAnimals = 0;
  int32_t Sprouts = 0;
};

struct TWorldContext {
  // The settings in force: read by the world's passes, replaced whole between steps.
  TSettings Rules;
  TRandom Random;
  // The serial the next creature of this world gets: 1, 2, 3 ... in order of creation.
  uint64_t NextSerial = 1;
  // The id the next taxon of this world gets: 1, 2, 3 ... in order of founding.
  uint64_t NextTaxon = 1;
  TGrid Grid;
  // The light of the step under way, worked out from the rules at its start.
  TSunlight Sunlight;
  TStepFlows Flows;

  uint64_t TakeSerial() { return NextSerial++; }
  uint64_t TakeTaxon() { return NextTaxon++; }
};

}  // namespace viv
