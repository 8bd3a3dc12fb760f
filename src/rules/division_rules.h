#pragma once
// The rules beside the design that act on a newborn after the design's own mutation (its
// values, its name and the copy of an organ): OrganLoss, FormulaMutation, ColorMutation,
// PlantColorChange and DietJump, in this order. A new rule of division goes here, after them, so that
// worlds without it draw as before.
#include <cstdint>

#include "config/random.h"
#include "config/settings.h"

namespace viv {

class TPartList;

void ApplyDivisionRules(TPartList& organs, uint32_t& colour, bool vegetable, const TSettings& rules, TRandom& random);

// Drops each copied organ with the given chance (the OrganLoss rule), so that body plans can
// shrink as well as grow. With freshIds (copies take ids of their own), an organ that no
// formula reads and that an earlier organ of its kind stands for counts as a copy.
void LoseCopies(TPartList& organs, double chance, bool freshIds, TRandom& random);

}  // namespace viv
