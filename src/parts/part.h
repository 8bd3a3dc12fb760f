#pragma once
// The organ base class: named text properties, the formula evaluator, and the ten
// operations every organ kind provides.
#include <cstdint>
#include <optional>
#include <string>

#include "config/errors.h"
#include "config/random.h"
#include "parts/sin_cos.h"

namespace pugi {
class xml_node;
}

namespace viv {

class TLogoCanvas;
class TPart;
class TOrganStateOut;

// The creature as its organs see it: a place to look up other organs by id.
class TVirtualCreature {
 public:
  virtual ~TVirtualCreature() = default;
  // The first organ with exactly this id, or nullptr.
  virtual TPart* FindPart(const std::string& id) const = 0;
  // Counts changes of its organs' ids: compiled formulas look an organ up again when it
  // changes (each creature its own count, so that worlds share nothing).
  uint64_t IdEpoch() const { return idEpoch_; }
  void NoteIdChanged() { ++idEpoch_; }

 private:
  uint64_t idEpoch_ = 1;
};

enum class TPartKind { Eye, Mouth, Engine, Brain };

class TPart {
 public:
  TPart(TVirtualCreature* owner, std::string id, float r, float phi);
  virtual ~TPart() = default;
  TPart(const TPart&) = delete;
  TPart& operator=(const TPart&) = delete;

  float Size;       // in body radii
  float R;          // distance from the body centre, in body radii
  float Phi;        // angle on the body, from the heading
  TSinCos PhiTrig;  // the cosine and sine of Phi, for the world step
  TVirtualCreature* Owner;
  std::string Id;

  virtual TPartKind Kind() const = 0;

  virtual std::string GetProperty(const std::string& name) const;
  virtual void SetProperty(const std::string& name, const std::string& value);
  // A new organ of the same kind for NewOwner: genetic values copied, momentary state reset.
  virtual TPart* Clone(TVirtualCreature* newOwner) const = 0;
  virtual void Draw(TLogoCanvas& canvas) = 0;
  virtual float Cost() const;
  virtual int32_t OutputCount() const;
  virtual float Output(int32_t index) const;
  virtual void Mutate(float rate, TRandom& random);
  virtual void Update(TRandom& random);
  // Update as the plain world step does it: formulas parsed afresh (the same values).
  virtual void UpdatePlain(TRandom& random) { Update(random); }
  virtual std::string PropertyNames() const;
  // The organ's formula, for the kinds that have one; nullptr for the others.
  virtual const std::string* FormulaText() const { return nullptr; }
  // Its turn on the body (radians) for the kinds that point somewhere of their own (an
  // engine's thrust), and its momentary pull (an engine's power), for inspection.
  virtual std::optional<float> DirectionAngle() const { return std::nullopt; }
  virtual std::optional<float> MomentaryPower() const { return std::nullopt; }
  // What a world file keeps of this organ beyond its id, size, place and kind: its own values
  // and its momentary state, in the order its kind reads them back.
  virtual void PutState(TOrganStateOut& out) const = 0;

  // The value of a linear formula such as "RightEye.1*8 + LeftEye.1*8" over the
  // outputs of the owner's organs, parsed afresh.
  float EvalFormula(const std::string& formula) const;

  // Adds a "part" element with one attribute per property under parent.
  void SaveToXML(pugi::xml_node parent) const;
};

// "eye", "mouth", "engine" or "brain".
const char* KindName(TPartKind kind);

}  // namespace viv
