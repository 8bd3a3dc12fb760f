#pragma once
// What one animal may hold. The same limits bound every way an animal comes in (animal files,
// world files, an animal put by hand or from Python) and what division may grow, so that any
// animal that runs can be saved and read back. Real bodies hold tens of organs and formulas of
// a few hundred characters.
#include <cstdint>

namespace viv {

constexpr uint32_t MaxOrgans = 1u << 16;         // organs of one animal
constexpr uint32_t MaxOrganIdLength = 1u << 16;  // characters of an organ's id
constexpr uint32_t MaxFormulaText = 1u << 20;    // characters of all of one animal's formulas together
constexpr uint64_t MaxAnimalFileBytes = uint64_t{16} << 20;

class TPartList;
// Throws EVivarion saying which limit an animal with these organs passes (without the file's name).
void CheckAnimalLimits(const TPartList& organs);
// The characters of all the formulas of these organs together (an organ listed twice counts once).
uint64_t FormulaTextLength(const TPartList& organs);

}  // namespace viv
