#pragma once
// Mutations that let behaviour grow: formulas that change at division, and copied organs
// that take an id of their own, which formulas can then read. Each runs only when its rule is
// set, so that a world without these rules draws exactly as before.
#include <string>
#include <vector>

#include "config/random.h"
#include "parts/formula.h"

namespace viv {

class TPartList;

// An id for a copy of the organ with this id that no organ of the list has: the id without
// its trailing digits, then the smallest number from 2 not taken ("LeftEye" -> "LeftEye2").
std::string FreshId(const TPartList& parts, const std::string& id);

// Terms in the formula language of animal files: "Id.Index*Factor + Id.Index*Factor".
std::string FormulaText(const std::vector<TFormulaTerm>& terms);

// With the chance, for each engine and brain of the child (each organ once), one edit of its
// formula, within what the formula language holds: a factor changed, an input swapped for
// another organ's output, a term added, or a term dropped. Inputs are outputs of the child's
// own organs, so an edited formula always evaluates. A formula with a term that is no number
// is left as it is.
void MutateFormulas(TPartList& organs, double chance, TRandom& random);

// The organ ids that the organs' formulas read, each once.
std::vector<std::string> IdsFormulasRead(const TPartList& organs);

}  // namespace viv
