#pragma once
// Food of several kinds: plants in several colours (PlantColors, PlantColorChange), eaters
// that gain less from food of another colour than their own (ColorDiet), and animal colours
// that move far enough at division for a lineage to turn to another food (ColorMutation).
// Each runs only when its rule is set, so that a world without these rules draws exactly as
// before.
#include <cstddef>
#include <cstdint>

#include "config/random.h"
#include "config/settings.h"

namespace viv {

// The colour of plants of kind k out of n: the classic plant's green byte, and red and blue
// bytes evenly around a circle through the classic plant's (so kind 0 is the classic colour).
uint32_t PlantColor(int32_t kind, int32_t kinds);
// The colour of a kind drawn at random (one draw).
uint32_t RandomPlantColor(TRandom& random, int32_t kinds);

// The sum of the differences of the red and of the blue bytes of two colours (0 to 510).
int RedBlueDistance(uint32_t a, uint32_t b);

// The share of a bite that an eater of one colour gains from food of another: 1 for the same
// red and blue, 1 - colorDiet for the farthest apart (the sum of the red and blue bytes'
// differences over 510), never below 0. Green, which eyes steer by, is no part of the diet.
double DietShare(uint32_t eater, uint32_t food, double colorDiet);

// What a bite moves under the rules of diet, as shares of the bite: what the eater keeps and
// what the victim loses (1 and 1 without them). ColorDiet takes its share of every bite;
// DietWidth keeps of a plant bite a Gaussian of the colour difference (that width; DietShape
// another exponent than the Gaussian's 2), and the plant then loses what the eater keeps and
// BiteWaste of the rest; MeatLoss goes of an animal bite, which the victim loses whole, and
// MeatSpared is never taken of it at all (the eater and the victim both move only the rest).
struct TBiteShares {
  double Kept = 1, Lost = 1;
};
TBiteShares BiteShares(uint32_t eater, uint32_t food, bool plant, const TSettings& rules);

// The kind (0 to kinds - 1) whose plant colour is nearest in red and blue: a plant's own kind,
// an animal's diet type.
int32_t NearestPlantKind(uint32_t color, int32_t kinds);

// KindPatches: the light patch (of this many) that lights a plant of this colour, its kind's
// (kind k on patch k, the patches taken in turn); -1 for an animal, or where the rule is off or
// there are no patches.
int32_t KindPatch(bool plant, uint32_t color, const TSettings& rules, size_t patches);

// SightDiet: the green light an eye of an owner of this colour reports, from the red, green and
// blue it gathered. Each seen creature's green is weighed by 1 + strength x the likeness of its
// red and blue to the owner's (their offsets from the centre of the plant kinds' circle, as a
// product over the circle's radius squared: 1 for a plant of the owner's own kind when the owner
// wears it, -1 for the kind opposite), so that an eye that steers by green is drawn to the
// plants its owner digests best and less (or not) to the others. The weighing is linear in the
// seen colour, so it is made from the three sums alone (every plant's green is 160, which gives
// the sum of the weights; an animal seen counts as if its green were a plant's), and both passes
// of the world step take it from the same sums. Never below 0.
float DietTunedGreen(uint32_t owner, float red, float green, float blue, double strength);

// The colour with the red and blue bytes of plant kind k of kinds, its green and flag kept: an
// eater of that kind, which eyes still see by its own green.
uint32_t WithKindOfFood(uint32_t colour, int32_t kind, int32_t kinds);
// DietJump: the same for a kind drawn at random (one draw), so that an eater of one kind can
// have a child of another in one step where small colour steps would cross a valley of poor diets.
uint32_t TakeKindOfFood(TRandom& random, uint32_t colour, int32_t kinds);

// Each colour byte moved by a whole number drawn evenly from -step to step, kept within 0-255.
uint32_t ShiftColor(TRandom& random, uint32_t color, int32_t step);

}  // namespace viv
