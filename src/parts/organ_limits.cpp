#include "parts/organ_limits.h"

#include <string>
#include <unordered_set>

#include "config/errors.h"
#include "parts/part_list.h"

namespace viv {

uint64_t FormulaTextLength(const TPartList& organs) {
  // An organ listed twice (shared) is one organ with one formula.
  std::unordered_set<const TPart*> seen;
  uint64_t length = 0;
  for (const TPart* p : organs.Items)
    if (const std::string* formula = p->FormulaText(); formula && seen.insert(p).second) length += formula->size();
  return length;
}

void CheckAnimalLimits(const TPartList& organs) {
  if (organs.Items.size() > MaxOrgans)
    throw EVivarion("the animal has " + std::to_string(organs.Items.size()) + " organs, more than the " +
                    std::to_string(MaxOrgans) + " an animal may have");
  for (const TPart* p : organs.Items)
    if (p->Id.size() > MaxOrganIdLength)
      throw EVivarion("an organ's id is " + std::to_string(p->Id.size()) + " characters long, more than the " +
                      std::to_string(MaxOrganIdLength) + " an id may have");
  if (const uint64_t length = FormulaTextLength(organs); length > MaxFormulaText)
    throw EVivarion("the animal's formulas are " + std::to_string(length) +
                    " characters long together, more than the " + std::to_string(MaxFormulaText) +
                    " an animal's formulas may have");
}

}  // namespace viv
