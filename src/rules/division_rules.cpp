// The rules beside the design that act on a newborn, each drawing from the world's stream only
// when its key is set, in the order they have always drawn.
#include "rules/division_rules.h"

#include <algorithm>

#include "parts/part_list.h"
#include "rules/diet.h"
#include "rules/open_mutation.h"

namespace viv {

void ApplyDivisionRules(TPartList& organs, uint32_t& colour, bool vegetable, const TSettings& rules, TRandom& random) {
  if (rules.OrganLoss > 0) LoseCopies(organs, rules.OrganLoss, rules.FreshIds > 0, random);
  if (rules.FormulaMutation > 0) MutateFormulas(organs, rules.FormulaMutation, random);
  if (rules.ColorMutation > 0 && !vegetable) colour = ShiftColor(random, colour, rules.ColorMutation);
  if (vegetable && rules.PlantColors >= 2 && rules.PlantColorChange > 0 && random.Real() < rules.PlantColorChange)
    colour = RandomPlantColor(random, rules.PlantColors);
  if (!vegetable && rules.PlantColors >= 2 && rules.DietJump > 0 && random.Real() < rules.DietJump)
    colour = TakeKindOfFood(random, colour, rules.PlantColors);
}

void LoseCopies(TPartList& organs, double chance, bool freshIds, TRandom& random) {
  // A copy is an organ whose id an earlier organ has. Formulas read the first organ of an
  // id, so a copy can go without breaking one; the first organs of the genome stay. One
  // draw per copy, from the last organ to the first. Where copies take ids of their own
  // (FreshIds), an organ that no formula reads and that an earlier organ of its kind
  // stands for may go too, so that unused organs do not pile up.
  std::vector<TPart*>& items = organs.Items;
  // The ids that the remaining organs' formulas read: worked out again when an organ with a
  // formula goes, since it may have been the only reader of an earlier organ.
  std::vector<std::string> read = freshIds ? IdsFormulasRead(organs) : std::vector<std::string>();
  for (int32_t i = static_cast<int32_t>(items.size()) - 1; i > 0; --i) {
    TPart* organ = items[i];
    bool copy = false, kindBefore = false;
    for (int32_t j = 0; j < i && !copy; ++j) {
      copy = items[j]->Id == organ->Id;
      kindBefore = kindBefore || items[j]->Kind() == organ->Kind();
    }
    if (!copy && freshIds && kindBefore) copy = std::find(read.begin(), read.end(), organ->Id) == read.end();
    if (!copy || !(random.Real() < chance)) continue;
    items.erase(items.begin() + i);
    const bool hadFormula = organ->FormulaText() != nullptr;
    if (std::find(items.begin(), items.end(), organ) == items.end()) delete organ;
    if (freshIds && hadFormula) read = IdsFormulasRead(organs);
  }
}

}  // namespace viv
