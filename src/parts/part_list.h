#pragma once
// A creature's organs in order. The list refers to its organs; the creature frees them.
#include <string>
#include <vector>

#include "parts/part.h"

namespace pugi {
class xml_document;
}

namespace viv {

class TPartList {
 public:
  explicit TPartList(TVirtualCreature* owner) : Owner(owner) {}

  TVirtualCreature* Owner;
  std::vector<TPart*> Items;

  int32_t Count() const { return static_cast<int32_t>(Items.size()); }
  TPart* Add(TPart* part);
  // The part at index; throws EListError "List index out of bounds (%d)" outside the list.
  TPart* GetPart(int32_t index) const;
  // Sum of the organs' costs, rounded to single precision after each addition.
  float TotalCost() const;
  // The first part whose id is exactly id, or nullptr.
  TPart* Find(const std::string& id) const;

  // Appends the organs under the root's "parts" element.
  void LoadFromXML(const pugi::xml_document& document);
  // Adds a "parts" element with every organ under the document's root element.
  void SaveToXML(pugi::xml_document& document) const;
};

}  // namespace viv
