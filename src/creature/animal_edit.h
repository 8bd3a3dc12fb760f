#pragma once
// Editing an animal: new organs with ids of their own, the checks an edited animal must pass
// before it is saved or put into a world, and its wiring (which organs' outputs each formula
// reads), for the editor to show how the animal behaves.
#include <cstdint>
#include <string>
#include <vector>

#include "creature/creature.h"

namespace viv {

// A new organ of kind with an id no organ of parts has ("Eye", "Eye2", ...): at the body's
// edge facing ahead; engines push straight and brains sit at the centre, both with an empty
// formula. The caller owns it.
TPart* NewOrgan(TPartKind kind, TVirtualCreature* owner, const TPartList& parts);

// What is wrong with a formula of these organs, or "" when nothing is: each term must read
// "Id.Output*Factor" with numbers where numbers go, name an organ that parts has and an
// output that organ has, and the formula may not end in "+".
std::string FormulaProblem(const TPartList& parts, const std::string& formula);
// What is wrong with reading this output of organ ("" when it has it): eyes have outputs 0 to
// 2 (red, green, blue), mouths and brains output 0, engines none.
std::string OutputProblem(const TPart& organ, int32_t output);
// Terms of an animal's formulas that read outputs their organs do not have: files may hold
// them (the world reads them as 0), so they are told, not refused.
std::vector<std::string> FormulaWarnings(const TCreature& animal);

// Reads an animal file's text as a world takes the animal and throws EVivarion naming the
// file when it cannot be read or when a formula cannot be worked out (a term not of the form
// Id.Output*Factor, or one that reads an organ the animal lacks): such an animal would stop
// the world at the first step it acts in, so programs refuse it when they read it.
void CheckAnimalText(const std::string& text, const std::string& name);
// The formulas' part of it, for an animal already read.
void CheckAnimalFormulas(const TCreature& animal, const std::string& name);

// Everything that keeps an edited animal from being saved or used: each organ's formula
// problem, and the animal's own values (radius and energy above 0, finite).
struct TAnimalProblem {
  int32_t Organ = -1;  // the organ's place in the list; -1 for the animal itself
  std::string Text;
};
std::vector<TAnimalProblem> AnimalProblems(const TCreature& animal);

// One term of a formula as a wire: organ From's output feeds organ To's formula with Factor.
struct TWire {
  int32_t From = 0, To = 0;
  int32_t Output = 0;
  float Factor = 0;
};
// The wires of every formula that reads organs that exist (terms that do not are problems).
std::vector<TWire> AnimalWiring(const TPartList& parts);

}  // namespace viv
