#include "parts/part_list.h"

namespace viv {

TPart* TPartList::Add(TPart* part) {
  Items.push_back(part);
  return part;
}

TPart* TPartList::GetPart(int32_t index) const {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return Items[index];
}

float TPartList::TotalCost() const {
  float total = 0;
  for (const TPart* part : Items) total += part->Cost();
  return total;
}

TPart* TPartList::Find(const std::string& id) const {
  for (TPart* part : Items)
    if (part->Id == id) return part;
  return nullptr;
}

}  // namespace viv
