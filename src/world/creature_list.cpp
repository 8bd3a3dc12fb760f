#include "world/creature_list.h"

#include <algorithm>

#include "config/errors.h"

namespace viv {

TCreatureList::TCreatureList() = default;
TCreatureList::~TCreatureList() { Clear(); }

TCreature* TCreatureList::Add(TCreature* creature) {
  List.push_back(creature);
  return creature;
}

TCreature* TCreatureList::Items(int32_t index) const {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return List[index];
}

TCreature* TCreatureList::FindSerial(uint64_t serial) const {
  if (serial == 0) return nullptr;
  for (TCreature* c : List)
    if (c->Serial == serial) return c;
  return nullptr;
}

TCreature* TCreatureList::CreatureAt(float x, float y) const {
  for (TCreature* c : List) {
    const double dx = static_cast<double>(x) - c->X, dy = static_cast<double>(y) - c->Y;
    const double r = c->Radius;
    if (dx * dx + dy * dy < r * r) return c;
  }
  return nullptr;
}

void TCreatureList::Remove(const TCreature* creature) {
  const auto it = std::find(List.begin(), List.end(), creature);
  if (it == List.end()) return;
  TCreature* gone = *it;
  List.erase(it);
  delete gone;
}

void TCreatureList::Clear() {
  while (!List.empty()) {
    delete List.back();
    List.pop_back();
  }
}

}  // namespace viv
