#pragma once
// The organ kinds in one table: what every file, check and window needs to know of a kind
// (its names, its code in world files, its editable values, where the wiring draws it, how
// it is made fresh, from an animal file and from a world file). A new kind is a class of its
// own, a row here and a value of TPartKind.
#include <cstdint>
#include <string>
#include <vector>

#include "parts/part.h"

namespace pugi {
class xml_node;
}

namespace viv {

// The values an organ keeps in a world file, written by its kind (TPart::PutState).
class TOrganStateOut {
 public:
  virtual ~TOrganStateOut() = default;
  virtual void Real(float value) = 0;
  virtual void Whole(int32_t value) = 0;
  virtual void Text(const std::string& value) = 0;
  // True while hashing: what only drawing changes (a fin's flap) is left out.
  virtual bool ForHash() const = 0;
};

// ... and read back in the same order; a value that could not have been written is damage.
class TOrganStateIn {
 public:
  virtual ~TOrganStateIn() = default;
  virtual float Real() = 0;  // finite
  virtual int32_t Whole() = 0;
  virtual std::string Formula() = 0;  // within the formula limit
  [[noreturn]] virtual void Damaged(const std::string& what) = 0;
};

enum class TWiringColumn { Senses, Brains, Engines };

struct TOrganKind {
  TPartKind Kind;
  const char* Name;     // in animal files and lists: "eye"
  const char* Article;  // in messages: "an eye"
  uint8_t FileCode;     // in world files
  TWiringColumn Column;
  // The values an animal file holds for it, as its reader takes them (an editor's fields).
  std::vector<std::string> EditableValues;
  // A new organ at the body's edge facing ahead, with an empty formula where it has one.
  TPart* (*Fresh)(TVirtualCreature* owner, const std::string& id);
  // From a "part" element of an animal file (EConvertError naming a value that does not read).
  TPart* (*FromXml)(const pugi::xml_node& node, TVirtualCreature* owner, const std::string& id);
  // From a world file, after the id, size, place and kind: the values PutState wrote.
  TPart* (*FromState)(TOrganStateIn& in, TVirtualCreature* owner, const std::string& id, float r, float phi);
};

// Every kind, in the order of TPartKind.
const std::vector<TOrganKind>& OrganKinds();
const TOrganKind& OrganKindOf(TPartKind kind);
// By name or by world-file code; nullptr for none.
const TOrganKind* OrganKindNamed(const std::string& name);
const TOrganKind* OrganKindCoded(uint8_t code);

}  // namespace viv
