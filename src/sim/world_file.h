#pragma once
// World files (.vivw): everything needed to continue a world exactly where it stopped. A
// header (magic, format version, lengths, checksum) and a zstd-compressed body that holds
// the step count, the serial counter, the generator's state, the settings in force, every
// creature with every field and organ state, in population order, and the grid's cells.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "history/species_history.h"
#include "history/taxa.h"
#include "sim/world_events.h"
#include "world/creature_list.h"

namespace viv {

// 2: a creature's parent may be of another world (a migrant's); the history counts migrants
// and keys founders read from files by file; the checksum covers the header too.
// 3: each animal's taxon, the taxon counter, and the taxa with their measures and shadow.
// 4: the rules of open evolution in the settings (copies, ids, formulas, light and seasons).
// 5: the rules of diet in the settings (plant colours, colour diet, colour mutation).
// 6: the settings as pairs of key name and value, so that new keys need no new format.
// 7: the flows since the last report (floor sprouts, energy from plants and from animals) and
//    the neutral shadow's lines (each shadow taxon's parent and founding step).
// 8: the world's scheduled events.
constexpr uint32_t WorldFormatVersion = 8;

// The last step a world file holds: far beyond any run (30,000 years at 10,000 steps a
// second), and far from overflowing. A world stops there rather than run into a file that
// cannot be read back.
constexpr int64_t MaxStepCount = int64_t{1} << 53;

// The body of a world file before compression: the state, then the name of the settings file
// (kept for reference). The hash covers the state alone.
// history may be null (a world without one, as tests build them).
std::string WorldBody(const TCreatureList& world, int64_t stepCount, const TSpeciesHistory* history = nullptr,
                      const TTaxonHistory* taxa = nullptr, const std::vector<TWorldEvent>* events = nullptr);
// A 64-bit hash of the state between steps that decides the world's future: the fields a
// world file holds but the creatures' files of origin, the window's pacing (NiceValue) and the
// fins' drawn flap, so that the same world has the same hash however it was seeded or shown.
// Events count only when there are some, so a world without them hashes as before they existed.
uint64_t WorldHash(const TCreatureList& world, int64_t stepCount, const TSpeciesHistory* history = nullptr,
                   const TTaxonHistory* taxa = nullptr, const std::vector<TWorldEvent>* events = nullptr);

// The world file's bytes (header and packed body), as SaveWorldFile writes them.
std::string WorldFileBytes(const TCreatureList& world, int64_t stepCount, const TSpeciesHistory* history = nullptr,
                           const TTaxonHistory* taxa = nullptr, const std::vector<TWorldEvent>* events = nullptr);
// Writes the world file atomically (a temporary name renamed over fileName).
void SaveWorldFile(const std::string& fileName, const TCreatureList& world, int64_t stepCount,
                   const TSpeciesHistory* history = nullptr, const TTaxonHistory* taxa = nullptr,
                   const std::vector<TWorldEvent>* events = nullptr);

// What a world file held: read in full and checked before anything changes.
struct TLoadedWorld {
  int64_t StepCount = 0;
  std::string SettingsFile;         // the settings file in force when it was written
  TSettings Settings;               // the values in force when it was written (FileName: SettingsFile)
  TSpeciesHistory History;          // empty for a world saved without one
  TTaxonHistory Taxa;               // empty for a world saved without taxa (before format 3)
  std::vector<TWorldEvent> Events;  // none before format 8
  uint32_t Version = WorldFormatVersion;
};

// Replaces world (its creatures, its grid, its random stream's state and its serial counter)
// with the file's; its rules stay (the file's are returned). Throws EVivarion naming the
// file and the fault; then nothing has changed. A world whose events would add animals
// beyond creatureLimit creatures is refused.
TLoadedWorld LoadWorldFile(const std::string& fileName, TCreatureList& world, int64_t creatureLimit = INT64_MAX);
// The same from a file's bytes (for tests and the fuzzer); name goes in front of errors.
TLoadedWorld LoadWorldBytes(std::string_view bytes, const std::string& name, TCreatureList& world,
                            int64_t creatureLimit = INT64_MAX);
// Reads an uncompressed body (for the fuzzer: the checksum stops nearly every mutated file).
TLoadedWorld LoadWorldBody(std::string_view body, TCreatureList& world, uint32_t version = WorldFormatVersion,
                           int64_t creatureLimit = INT64_MAX);

// Creatures with their full state as bytes, one after another, for moving them between
// worlds; and back, each read creature taking a new serial of this world's count (serials
// are unique within a world). Throws EVivarion on damaged bytes; then nothing was made.
std::string CreatureBytes(const std::vector<const TCreature*>& creatures);
std::vector<TCreature*> CreaturesFromBytes(std::string_view bytes, TWorldContext& world);

}  // namespace viv
