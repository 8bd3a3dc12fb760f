#pragma once
// A creature: a round body with a position, velocity, heading and spin, an energy held as
// the square of its radius, its organs, and the genes that division passes on.
#include <cstdint>
#include <string>

#include "config/mutate.h"
#include "creature/world_context.h"
#include "draw/raster_canvas.h"
#include "parts/part_list.h"

namespace viv {

class TLogoCanvas;

class TCreature : public TVirtualCreature {
 public:
  // A creature of no world (an animal read from a file to be shown or saved): serial 0; it
  // cannot step or divide until it is made in a world.
  TCreature();
  // A creature of world: the empty creature (no energy, no organs, mutation rate 0.05, at rest
  // at the origin) with the world's next serial.
  explicit TCreature(TWorldContext& world);
  // A creature read back from a world file keeps its serial; the count goes on unchanged.
  TCreature(TWorldContext& world, uint64_t serial);
  // Leaves its grid cell and frees each of its organs once.
  ~TCreature() override;
  TCreature(const TCreature&) = delete;
  TCreature& operator=(const TCreature&) = delete;

  // A plant of world: radius 10, divides above energy 160, green, named "APPEL".
  static TCreature* CreateFood(TWorldContext& world);
  // Divides Parent: halves its energy, makes the mutated child in the parent's world and
  // enters it in the grid. An animal child stays in its parent's taxon when its body plan is
  // the parent's, and founds a new one of the world otherwise.
  static TCreature* CreateChild(TCreature& parent);

  // The world the creature lives in (its rules, random stream, serials and grid); null for a
  // creature of no world. Set when it is made, and moved with it when a read world is adopted.
  TWorldContext* World = nullptr;

  // Identifies the creature within its world: 1, 2, 3 ... in order of creation. Addresses do
  // not: a newborn may take the memory of a creature that died in the same step.
  const uint64_t Serial;
  uint64_t ParentSerial = 0;     // 0 for a creature that was seeded, loaded or made by hand
  int64_t BirthStep = 0;         // the world step it was born in (0: there from the start)
  bool ParentElsewhere = false;  // ParentSerial numbers a creature of another world (a migrant's parent)
  // The animal's taxon in its world (0: none, as for plants and animals made by hand), and its
  // body plan's signature (BodyPlanSignature, kept so that a division compares without
  // working the parent's out again; 0 until it is known: a division works it out then).
  uint64_t Taxon = 0;
  uint64_t Plan = 0;

  float Radius = 0;
  float Heading = 0;
  TColor Color = 0;
  float VX = 0, VY = 0;
  float X = 0, Y = 0;
  float Spin = 0;
  TPartList Parts;
  float MaxEnergy = 0;
  bool Vegetable = false;
  std::string Name;
  float MutationRate = 0.05f;
  // The animal file this creature or its ancestor was read from, for error messages and the
  // label of a founding species; not part of the genome, and not hashed.
  std::string Origin;

  // The name its species is known by in the history and the tables: its name, or, while an
  // animal read from a file has none (the first renaming division gives one), the name of its
  // file ("ELEDIG.viv"), so that founders from different files stay apart.
  std::string SpeciesLabel() const;

  void SetX(float x) { X = x; }
  void SetY(float y) { Y = y; }
  float Energy() const { return Radius * Radius; }
  // Radius := sqrt(energy); a negative or non-finite energy leaves radius 0.
  void SetEnergy(float energy);
  // The energy cost of one step of living.
  float Upkeep() const;
  // One step of the creature's own physics and economy, and its move in the grid.
  void Step();
  TPart* FindPart(const std::string& id) const override { return Parts.Find(id); }
  // Whether position, velocity, spin, heading and radius are all finite.
  bool IsFinite() const;

  void Draw(TLogoCanvas& canvas) const;
  // The same with the body and organs filled in another colour (the view's taxon colours).
  void Draw(TLogoCanvas& canvas, TColor fill) const;

  // Reads the body and organs of an animal file into this creature. Errors name the file.
  void LoadFromFile(const std::string& fileName);
  // The same from the text of an animal file; errors carry Name in front.
  void LoadFromText(const std::string& text, const std::string& name);
  // The animal file text of this creature.
  std::string ToXmlText() const;
  // Writes the animal file; an existing file is replaced only after the new one is whole.
  void SaveToFile(const std::string& fileName) const;

 private:
  void ReadDocument(const pugi::xml_document& document);
};

// A species name passed through one mutation: a letter replaced, a pair inserted or deleted.
std::string MutateName(const std::string& name, TRandom& random);
// Whether text can be a species name: ASCII letters only (names grow from letters; a label
// with anything else, such as a founder's file name, is no name).
bool IsSpeciesName(const std::string& text);
bool IsVowel(char c);
char RandomVowel(TRandom& random);
char RandomConsonant(TRandom& random);

}  // namespace viv
