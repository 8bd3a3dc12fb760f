// World files and the world hash: a world saved and loaded goes on exactly as if it had never
// stopped; damaged files are refused without touching the running world.
#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "config/errors.h"
#include "config/thread_pool.h"
#include "draw/logo_canvas.h"
#include "parts/engine.h"
#include "parts/organ_limits.h"
#include "sim/simulation.h"
#include "sim/world_file.h"
#include "support/inside.h"
#include "support/scenes.h"
#include "test_support.h"

namespace viv {
namespace {

namespace fs = std::filesystem;

class WorldFile : public CleanWorldWithFolder {
 protected:
  void TearDown() override {
    SetWorkerThreads(0);
    CleanWorldWithFolder::TearDown();
  }
  // The classic settings, fixed here so that the pinned hash below does not follow tuning.
  void ClassicSettings() {
    Settings.Reset();
    Settings.Remming = 0.001, Settings.Brown = 4, Settings.PhiRemming = 0.1, Settings.Gravity = 0.00001;
    Settings.SunLight = 0.75, Settings.CostOfLiving = 0.0085, Settings.MinEnergy = 50, Settings.RadiusCost = 1;
    Settings.PartsCost = 1, Settings.CreatureCost = 1, Settings.MaxFood = 300;
  }
  static void Run(TSimulation& sim, int steps) {
    for (int i = 0; i < steps; ++i) sim.Step();
  }
  // 2n steps straight, and n steps, a save, a load into a new simulation and n more: the
  // same hash, whatever the passes and thread count of the second half.
  void ExpectExactResume(const TPopulationCounts& counts, uint64_t seed, int n, TPasses passes, int threads) {
    TSimulation straight;
    straight.StartUp(Settings, seed);
    straight.Populate(800, 600, {}, counts);
    Run(straight, 2 * n);
    const uint64_t expected = straight.Hash();
    straight.Clear();
    TSimulation first;
    first.StartUp(Settings, seed);
    first.Populate(800, 600, {}, counts);
    Run(first, n);
    const std::string file = (dir / "w.vivw").string();
    first.SaveWorld(file);
    first.Clear();
    Random.Seed(999);  // the file brings the generator's state back
    SetWorkerThreads(threads);
    TSimulation second;
    second.SetRules(Settings);
    WorldOf(second).Passes = passes;
    second.LoadWorld(file);
    EXPECT_EQ(second.StepCount(), n);
    Run(second, n);
    EXPECT_EQ(second.Hash(), expected) << "seed " << seed << " passes " << static_cast<int>(passes) << " threads "
                                       << threads;
  }
};

TEST_F(WorldFile, AResumedWorldGoesOnBitForBit) {
  Settings = ShippedSettings();
  ExpectExactResume({3, 300}, 1, 1500, TPasses::Fast, 2);
  ExpectExactResume({3, 300}, 2, 1500, TPasses::Plain, 1);
  ClassicSettings();
  ExpectExactResume({60, 300}, 7, 1000, TPasses::Fast, 1);  // a crowded world
  ExpectExactResume({60, 300}, 8, 1000, TPasses::Plain, 2);
  // The rules of open evolution travel in the file; the light follows the step count.
  Settings = ShippedSettings();
  Settings.CopySkip = 0.5, Settings.FreshIds = 1, Settings.FormulaMutation = 0.5, Settings.LightPatches = 3;
  Settings.PatchRadius = 150, Settings.PatchDistance = 300, Settings.SeasonLength = 700, Settings.SeasonDepth = 0.7;
  ExpectExactResume({30, 300}, 3, 1000, TPasses::Fast, 2);
  Settings.PlantColors = 3, Settings.PlantColorChange = 0.01, Settings.ColorDiet = 0.6;  // and the rules of diet
  Settings.ColorMutation = 8;
  ExpectExactResume({30, 300}, 4, 1000, TPasses::Fast, 2);
  Settings.PlantRooms = 1, Settings.DietWidth = 0.2, Settings.BiteWaste = 0.3, Settings.MeatLoss = 0.6;  // ecology
  ExpectExactResume({30, 300}, 5, 1000, TPasses::Plain, 1);
}

TEST_F(WorldFile, TheHashOfASeededWorldIsPinned) {
  // The hash of one seeded world after 1,500 steps, the same for both passes and any thread
  // count. It changes only when the world or the hashed fields change (then say why: it changed
  // once when the hash stopped covering files of origin, NiceValue and the fins' drawn flap, and
  // once when the animals' taxa and the taxon history joined the world, and once when what
  // reports decide left it).
  ClassicSettings();
  for (TPasses passes : {TPasses::Fast, TPasses::Plain})
    for (int threads : {1, 2, 3}) {
      SetWorkerThreads(threads);
      TSimulation sim;
      sim.StartUp(Settings, 21);
      WorldOf(sim).Passes = passes;
      sim.Populate(800, 600, {}, {30, 300});
      Run(sim, 1500);
      EXPECT_EQ(sim.Hash(), 0x65f295d108faddd2ull) << "threads " << threads;
    }
}

// The hash is of the world, not of how it was reached or shown: the same animal file by three
// names, another pace for the window, and drawing (which turns the fins) leave it as it is.
TEST_F(WorldFile, TheHashCoversWhatDecidesTheFutureOnly) {
  Settings = ShippedSettings();
  const fs::path sample = fs::path(VIVARION_SOURCE_DIR) / "animals" / "ELEDIG.viv";
  fs::copy_file(sample, dir / "copy.viv");
  std::vector<uint64_t> hashes;
  for (const std::string& file : {sample.string(), (dir / "copy.viv").string(),
                                  (sample.parent_path() / ".." / "animals" / "ELEDIG.viv").string()}) {
    TSimulation sim;
    sim.StartUp(Settings, 5);
    sim.Populate(800, 600, {file}, {3, 40});
    Run(sim, 300);
    hashes.push_back(sim.Hash());
    Settings.NiceValue = 50 - Settings.NiceValue;
    EXPECT_EQ(sim.Hash(), hashes.back()) << "the window's pace changed the hash";
    TRecordingCanvas canvas;
    TLogoCanvas turtle(canvas);
    for (const TCreature* c : WorldOf(sim).List) {
      turtle.Reset(400, 300, 0, 1);
      c->Draw(turtle);
    }
    EXPECT_EQ(sim.Hash(), hashes.back()) << "drawing changed the hash";
  }
  EXPECT_EQ(hashes[0], hashes[1]);
  EXPECT_EQ(hashes[0], hashes[2]);
}

// Reports restart the counts since the last one and decide which taxa were persistent at one;
// none of that decides the world, so worlds reported on at other steps (or never) hash alike,
// and a world saved after a report and resumed without any hashes as the one never reported on.
TEST_F(WorldFile, TheHashDoesNotDependOnTheReportsTaken) {
  Settings = ShippedSettings();
  std::vector<uint64_t> hashes;
  for (int every : {0, 700, 2000}) {
    TSimulation sim;
    sim.StartUp(Settings, 3);
    sim.Populate(800, 600, {}, {3, 300});
    TaxaOf(sim).PersistenceSteps = 500;  // so that taxa become persistent within the run
    for (int i = 1; i <= 6000; ++i) {
      sim.Step();
      if (every && i % every == 0)
        HistoryOf(sim).Report(WorldOf(sim), sim.StepCount()), TaxaOf(sim).Report(sim.StepCount());
    }
    hashes.push_back(sim.Hash());
    if (every == 2000) {
      sim.SaveWorld((dir / "reported.vivw").string());
      TSimulation back;
      back.SetRules(Settings);
      back.LoadWorld((dir / "reported.vivw").string());
      EXPECT_EQ(back.Hash(), hashes[0]) << "the saved world forgot nothing that the hash covers";
    }
  }
  EXPECT_EQ(hashes[1], hashes[0]);
  EXPECT_EQ(hashes[2], hashes[0]);
}

// Every settings key travels: set alone on a world, it is saved and loaded with it, it changes
// the hash (NiceValue, which paces the window, does not), and the differences name it. A key
// left out of the writer, the reader or the hash fails here.
TEST_F(WorldFile, EverySettingsKeyIsSavedLoadedHashedAndNamed) {
  ClassicSettings();
  const TSettings base = Settings;
  TSimulation plain;
  plain.StartUp(base, 4);
  plain.Populate(800, 600, {}, {2, 20});
  const uint64_t baseHash = plain.Hash();
  const std::string file = (dir / "key.vivw").string();
  std::set<uint64_t> hashes{baseHash};
  for (const std::string& key : SettingsKeys()) {
    const auto [low, high] = SettingsKeyRange(key);
    const double value = std::clamp(base.Get(key) + (IsWholeSettingsKey(key) ? 3 : 0.375), low, high);
    TSettings rules = base;
    rules.Set(key, value);
    plain.SetRules(rules);
    plain.SaveWorld(file);
    TSimulation back;
    back.LoadWorld(file);
    back.SetRules(back.FileSettings());  // as --world-settings runs it
    EXPECT_EQ(back.Rules().Get(key), value) << key;
    EXPECT_EQ(SettingsDifferences(back.Rules(), rules), "") << key;
    if (key == "NiceValue") {
      EXPECT_EQ(back.Hash(), baseHash);
      continue;
    }
    EXPECT_TRUE(hashes.insert(back.Hash()).second) << key << " leaves the hash as another key's";
    EXPECT_NE(SettingsDifferences(base, rules).find(key + " "), std::string::npos) << key;
  }
  // A file written with the settings of format 5 still loads them: worlds of that format, under
  // every rule family then known, go on as the unbroken run.
  TSimulation old;
  old.LoadWorld((fs::path(VIVARION_TEST_DATA) / "worlds" / "format5.vivw").string());
  EXPECT_EQ(old.FileSettings().ColorMutation, 8);
  EXPECT_EQ(old.FileSettings().SeasonLength, 5000);
  EXPECT_EQ(old.FileSettings().PlantFloor, 30);
}

TEST_F(WorldFile, OrganStateAndSharedOrgansSurvive) {
  TSimulation sim;
  sim.SetRules(Settings);
  TCreature* c = WorldOf(sim).Add(CreateAdam(WorldOf(sim).Context));
  auto* engine = static_cast<TEngine*>(c->Parts.GetPart(5));
  engine->Power = 42, engine->Phase = 7.5f, engine->FlapAngle = 0.25f;
  c->Parts.Add(c->Parts.GetPart(1));  // the same eye listed twice
  c->Origin = "animals/x.viv";
  WorldOf(sim).Context.Grid.Add(c, c->X, c->Y);
  HistoryOf(sim).Found(WorldOf(sim), 0);  // as a seeded world has it
  TaxaOf(sim).Found(WorldOf(sim), 0);
  const uint64_t before = sim.Hash();
  const std::string file = (dir / "w.vivw").string();
  sim.SaveWorld(file);
  TSimulation back;
  back.SetRules(Settings);
  back.LoadWorld(file);
  ASSERT_EQ(WorldOf(back).Count(), 1);
  const TCreature* b = WorldOf(back).Items(0);
  EXPECT_EQ(b->Serial, c->Serial);
  EXPECT_EQ(b->Origin, "animals/x.viv");
  EXPECT_EQ(b->Parts.GetPart(8), b->Parts.GetPart(1));
  EXPECT_EQ(static_cast<TEngine*>(b->Parts.GetPart(5))->Phase, 7.5f);
  EXPECT_EQ(back.Hash(), before);
  // The unpacked body alone (what the fuzzer feeds) reads back to the same world.
  TSimulation fromBody;
  fromBody.SetRules(Settings);
  StepCountOf(fromBody) = LoadWorldBody(WorldBody(WorldOf(back), back.StepCount()), WorldOf(fromBody)).StepCount;
  EXPECT_EQ(WorldHash(WorldOf(fromBody), fromBody.StepCount()), WorldHash(WorldOf(back), back.StepCount()));
}

TEST_F(WorldFile, DamagedFilesAreRefusedAndTheWorldStays) {
  TSimulation sim;
  sim.SetRules(Settings);
  sim.Populate(800, 600, {}, {2, 20});
  Run(sim, 10);
  const std::string good = (dir / "good.vivw").string();
  sim.SaveWorld(good);
  std::ifstream in(good, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const uint64_t hash = sim.Hash();
  std::string flipped = bytes, newer = bytes;
  flipped[bytes.size() / 2] ^= 0x10;
  newer[8] = 9;
  struct Case {
    std::string bytes, message;
  } cases[] = {
      {"", "the file is empty, not a world file"},
      {bytes.substr(0, bytes.size() - 7), "the world file is damaged: it is truncated"},
      {bytes.substr(0, 20), "the world file is damaged: it is cut short in its header"},
      {flipped, "the world file is damaged: its checksum does not match its contents"},
      {"VIVWORLX" + bytes.substr(8), "this is not a world file"},
      {newer,
       "the world file has format 9, newer than this program reads (" + std::to_string(WorldFormatVersion) + ")"},
      {"<vivarion vegetable=\"False\"/>", "this is an animal file, not a world file"},
  };
  for (const Case& k : cases) {
    try {
      LoadWorldBytes(k.bytes, "w.vivw", WorldOf(sim));
      ADD_FAILURE() << k.message;
    } catch (const EVivarion& e) {
      EXPECT_EQ(std::string(e.what()), "w.vivw: " + k.message);
    }
    EXPECT_EQ(sim.Hash(), hash);  // nothing half-read
  }
  EXPECT_THROW(sim.LoadWorld(dir.string()), EVivarion);
  EXPECT_EQ(sim.Hash(), hash);
}

// A valid checksum vouches for the bytes, not for the world: files that this program could not
// have written are refused with their fault named, quickly and without great allocations,
// and the running world stays as it was.
TEST_F(WorldFile, WorldsThatCannotBeAreRefused) {
  ClassicSettings();
  auto adam = [](TSimulation& sim) -> TCreature* { return WorldOf(sim).List[0]; };
  const std::pair<std::function<void(TSimulation&)>, std::string> cases[] = {
      {[&](TSimulation& sim) {
         TCreature* twin = WorldOf(sim).Add(new TCreature(WorldOf(sim).Context, adam(sim)->Serial));
         twin->Radius = 20;
       },
       "two creatures have the same serial"},
      {[&](TSimulation& sim) { adam(sim)->ParentSerial = WorldOf(sim).Context.NextSerial + 3; },
       "a creature's parent is born after it"},
      {[&](TSimulation& sim) { adam(sim)->BirthStep = sim.StepCount() + 1; },
       "a creature is born after the world's step"},
      {[&](TSimulation& sim) { StepCountOf(sim) = INT64_MAX - 5; }, "a step count that no world reaches"},
      {[&](TSimulation& sim) {
         WorldOf(sim).Context.Random.SetState({0, 0, 0, 0});
       },
       "the random generator's state is all zero"},
      {[&](TSimulation& sim) { adam(sim)->Name = "AD,AM"; }, "a species name that is not letters"},
      {[&](TSimulation& sim) { HistoryOf(sim).Emergences[0].Alive += 1; },
       "its species history does not match its creatures"},
      {[&](TSimulation& sim) {
         auto& parts = adam(sim)->Parts.Items;  // without its brain, which an engine's formula names
         auto brain = std::find_if(parts.begin(), parts.end(), [](TPart* p) { return p->Kind() == TPartKind::Brain; });
         delete *brain;
         parts.erase(brain);
       },
       "has a formula that fails"},
      {[&](TSimulation& sim) {
         TCreature* c = adam(sim);
         c->Parts.Items.resize(200000, c->Parts.Items[0]);  // one eye listed 200,000 times
       },
       "a creature with more organs than any body holds"},
      {[&](TSimulation& sim) { adam(sim)->Name.assign(40 << 20, 'A'); }, "would unpack to far more than any world"},
      // What a crafted file may hold behind a valid checksum, refused where it comes in.
      {[&](TSimulation& sim) { WorldOf(sim).Context.Rules.Remming = std::nan(""); },
       "Remming: 'NAN' is not a valid floating point value"},
      {[&](TSimulation& sim) { WorldOf(sim).Context.Rules.PatchRadius = 1e39; }, "PatchRadius: 1E39 is out of range"},
      {[&](TSimulation& sim) { adam(sim)->Radius = -3e38f; }, "a creature with a negative size"},
      {[&](TSimulation& sim) { WorldOf(sim).Context.NextSerial = UINT64_MAX; }, "a count of creatures that no world"},
      {[&](TSimulation& sim) {
         for (TPart* p : adam(sim)->Parts.Items)  // three engines, each half the limit long
           if (p->Kind() == TPartKind::Engine)
             p->SetProperty("formula", std::string(MaxFormulaText / 2, ' ') + p->GetProperty("formula"));
       },
       "more formula text than any animal holds"},
  };
  for (const auto& [spoil, message] : cases) {
    TSimulation sim;
    sim.StartUp(Settings, 3);
    sim.Populate(800, 600, {}, {1, 20});
    Run(sim, 5);
    spoil(sim);
    const std::string file = (dir / "bad.vivw").string();
    sim.SaveWorld(file);
    TCreature* c = adam(sim);
    c->Parts.Items.resize(std::min<size_t>(c->Parts.Items.size(), 8));  // each organ once again, for the clean-up
    sim.Clear();

    TSimulation running;
    running.SetRules(Settings);
    running.Populate(800, 600, {}, {2, 10});
    const uint64_t hash = running.Hash();
    try {
      running.LoadWorld(file);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const EVivarion& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
    EXPECT_EQ(running.Hash(), hash);
  }
}

// A world file written without a history (as tools and tests may write one) with animals
// alive: loaded, its animals found species and taxa, and whatever it then runs into saves
// and loads again.
TEST_F(WorldFile, AWorldWithoutAHistoryGoesOnAndSavesAgain) {
  Settings = ShippedSettings();
  TSimulation sim;
  sim.StartUp(Settings, 6);
  sim.Populate(800, 600, {}, {4, 200});
  Run(sim, 200);
  const std::string file = (dir / "bare.vivw").string();
  SaveWorldFile(file, WorldOf(sim), sim.StepCount());  // no species, no taxa
  TSimulation back;
  back.SetRules(Settings);
  back.LoadWorld(file);
  EXPECT_FALSE(HistoryOf(back).Emergences.empty());
  EXPECT_FALSE(TaxaOf(back).Taxa.empty());
  Run(back, 2000);
  back.SaveWorld(file);
  TSimulation again;
  again.SetRules(Settings);
  EXPECT_NO_THROW(again.LoadWorld(file));
  EXPECT_EQ(again.Hash(), back.Hash());
}

// Every bit of the header counts: a flip anywhere in it is refused.
TEST_F(WorldFile, EveryHeaderBitIsChecked) {
  TSimulation sim;
  sim.SetRules(Settings);
  sim.Populate(800, 600, {}, {2, 20});
  Run(sim, 10);
  const std::string file = (dir / "w.vivw").string();
  sim.SaveWorld(file);
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TSimulation other;
  other.SetRules(Settings);
  int accepted = 0;
  for (size_t bit = 0; bit < 40 * 8; ++bit) {
    std::string flipped = bytes;
    flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
    try {
      LoadWorldBytes(flipped, "w.vivw", WorldOf(other));
      ++accepted;
    } catch (const EVivarion&) {
    }
  }
  EXPECT_EQ(accepted, 0);
}

}  // namespace
}  // namespace viv
