#include "creature/animal_limits.h"

#include <string>
#include <unordered_set>

#include "config/errors.h"
#include "creature/creature.h"

namespace viv {

uint64_t FormulaTextLength(const TCreature& animal) {
  // An organ listed twice (shared) is one organ with one formula.
  std::unordered_set<const TPart*> seen;
  uint64_t length = 0;
  for (const TPart* p : animal.Parts.Items)
    if (const std::string* formula = p->FormulaText(); formula && seen.insert(p).second) length += formula->size();
  return length;
}

void CheckAnimalLimits(const TCreature& animal) {
  if (animal.Parts.Items.size() > MaxOrgans)
    throw EVivarion("the animal has " + std::to_string(animal.Parts.Items.size()) + " organs, more than the " +
                    std::to_string(MaxOrgans) + " an animal may have");
  for (const TPart* p : animal.Parts.Items)
    if (p->Id.size() > MaxOrganIdLength)
      throw EVivarion("an organ's id is " + std::to_string(p->Id.size()) + " characters long, more than the " +
                      std::to_string(MaxOrganIdLength) + " an id may have");
  if (const uint64_t length = FormulaTextLength(animal); length > MaxFormulaText)
    throw EVivarion("the animal's formulas are " + std::to_string(length) + " characters long together, more than the " +
                    std::to_string(MaxFormulaText) + " an animal's formulas may have");
}

}  // namespace viv
