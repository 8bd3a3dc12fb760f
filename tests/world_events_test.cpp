// Scheduled events: a key set at a step is the world run to that step with its settings
// changed; every kind of event resumes exactly from a world file, whatever the threads; and a
// study file's faults name the file, the line and the key before anything runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config/errors.h"
#include "config/files.h"
#include "config/thread_pool.h"
#include "sim/simulation.h"
#include "sim/study_file.h"
#include "sim/world_file.h"
#include "support/scenes.h"
#include "test_support.h"

namespace viv {
namespace {

namespace fs = std::filesystem;

void Start(TSimulation& sim, uint64_t seed) {
  sim.StartUp(ShippedSettings(), seed);
  sim.Populate(800, 600, {}, {5, 300});
}

// The state alone, without the events that led to it.
uint64_t StateHash(const TSimulation& sim) {
  return WorldHash(sim.Population(), sim.StepCount(), &sim.History(), &sim.Taxa());
}

TEST(WorldEvents, AKeySetAtAStepIsTheWorldRunToItWithItsSettingsChanged) {
  TWorldEvent dim;
  dim.Kind = TEventKind::Set, dim.Step = 400, dim.Key = "SunLight", dim.To = 0.5;
  TSimulation scheduled, byHand;
  Start(scheduled, 7);
  scheduled.SetEvents({dim});
  Start(byHand, 7);
  while (scheduled.StepCount() < 400) scheduled.Step(), byHand.Step();
  EXPECT_EQ(scheduled.Rules().SunLight, 0.5);
  TSettings changed = byHand.Rules();
  changed.SunLight = 0.5;
  byHand.SetRules(changed);
  while (scheduled.StepCount() < 900) scheduled.Step(), byHand.Step();
  EXPECT_EQ(StateHash(scheduled), StateHash(byHand));
  // The events are part of the world's hash; a world without them hashes as it always did.
  EXPECT_NE(scheduled.Hash(), StateHash(scheduled));
  EXPECT_EQ(byHand.Hash(), StateHash(byHand));
}

class WorldEventsResume : public CleanWorldWithFolder {};

TEST_F(WorldEventsResume, EveryKindOfEventGoesOnExactlyFromAWorldFile) {
  const std::string animal = ReadRegularFile(VIVARION_TEST_DATA "/../../animals/OGOGOF.viv", 1 << 20, "an animal file");
  std::vector<TWorldEvent> events(5);
  events[0].Kind = TEventKind::Ramp, events[0].Step = 100, events[0].Until = 700, events[0].Key = "MaxFood";
  events[0].From = 300, events[0].To = 150;
  events[1].Kind = TEventKind::Cycle, events[1].Step = 0, events[1].Period = 250, events[1].Key = "SunLight";
  events[1].From = 0.6, events[1].To = 1;
  events[2].Kind = TEventKind::Cull, events[2].Step = 500, events[2].Fraction = 0.5, events[2].Plants = true;
  events[2].Animals = false, events[2].Everywhere = false, events[2].Region = {-400, -300, 0, 300};
  events[3].Kind = TEventKind::AddAnimals, events[3].Step = 550, events[3].Count = 4;
  events[3].AnimalText = animal, events[3].AnimalName = "OGOGOF.viv";
  events[4].Kind = TEventKind::Cull, events[4].Step = 800, events[4].Fraction = 1, events[4].Animals = true;
  for (int threads : {1, 2}) {
    SetWorkerThreads(threads);
    TSimulation whole;
    Start(whole, 3);
    whole.SetEvents(events);
    int plantsBefore = 0, animalsBefore = 0;
    std::string saved;
    for (int64_t at : {300, 499, 549, 799}) {
      while (whole.StepCount() < at) whole.Step();
      if (at == 499) plantsBefore = whole.Figures().Plants;
      if (at == 549) animalsBefore = whole.Figures().Animals;
      // A world saved on the way, loaded into another and run on, meets the whole run.
      const std::string file = (dir / ("at" + std::to_string(at) + ".vivw")).string();
      whole.SaveWorld(file);
      TSimulation resumed;
      resumed.StartUp(ShippedSettings(), 1);
      resumed.LoadWorld(file);
      resumed.SetRules(resumed.FileSettings());
      ASSERT_EQ(resumed.Events(), events);
      ASSERT_EQ(resumed.Hash(), whole.Hash());
      saved = file;
    }
    TSimulation fromLast;
    fromLast.StartUp(ShippedSettings(), 1);
    fromLast.LoadWorld(saved);
    fromLast.SetRules(fromLast.FileSettings());
    for (TSimulation* sim : {&whole, &fromLast})
      while (sim->StepCount() < 900) sim->Step();
    EXPECT_EQ(fromLast.Hash(), whole.Hash()) << "threads " << threads;
    EXPECT_EQ(whole.Rules().MaxFood, 150);
    EXPECT_EQ(whole.Figures().Animals, 0) << "the last cull takes every animal";
    EXPECT_GT(plantsBefore, 0);
    EXPECT_GT(animalsBefore, 0);
  }
  SetWorkerThreads(0);
  // Damaged events are refused, whatever byte is lost or changed.
  const std::string bytes = EventBytes(events);
  ASSERT_EQ(EventsFromBytes(bytes), events);
  for (size_t cut : {size_t{0}, size_t{3}, bytes.size() / 2, bytes.size() - 1})
    EXPECT_THROW(EventsFromBytes(bytes.substr(0, cut)), EVivarion) << cut;
  std::string unknownKind = bytes;
  unknownKind[4] = 9;
  EXPECT_THROW(EventsFromBytes(unknownKind), EVivarion);
}

TEST(WorldEvents, ACullTakesItsShareOfTheRegionAndTheHistoryCountsTheDeaths) {
  TSimulation sim;
  Start(sim, 5);
  TWorldEvent cull;
  cull.Kind = TEventKind::Cull, cull.Step = 10, cull.Fraction = 1, cull.Animals = false, cull.Plants = true;
  cull.Everywhere = false, cull.Region = {0, -1000, 1000, 1000};
  sim.SetEvents({cull});
  while (sim.StepCount() < 9) sim.Step();
  int east = 0;
  for (const TCreature* c : sim.Population().List) east += c->Vegetable && c->X >= 0;
  ASSERT_GT(east, 50);
  sim.Step();
  for (const TCreature* c : sim.Population().List) EXPECT_FALSE(c->Vegetable && c->X >= 0);
  EXPECT_GE(static_cast<int>(sim.Population().Deaths.size()), east);
  EXPECT_THROW(sim.SetEvents({cull}), EVivarion) << "a cull of a step that has passed";
}

// Animals added by events are counted against the creature limit when the events are set or
// read from a world file, and again at their step, before any is made; a bad animal is refused
// with the event that names it.
TEST(WorldEvents, AdditionsAreBoundedByTheLimitAndTheirAnimalsCheckedBeforeTheirStep) {
  TSimulation sim;
  Start(sim, 5);
  TWorldEvent add;
  add.Kind = TEventKind::AddAnimals, add.Step = 5, add.Count = 100000, add.AnimalName = "ADAM.viv";
  add.AnimalText = ReadRegularFile(VIVARION_TEST_DATA "/../../animals/ADAM.viv", 1 << 20, "an animal file");
  const std::vector<TWorldEvent> many(11, add);
  try {
    sim.SetEvents(many);
    ADD_FAILURE() << "1,100,000 animals added to a world of a limit of 1,000,000";
  } catch (const EVivarion& e) {
    EXPECT_STREQ(e.what(),
                 "the events would add 1100000 animals to a world of 305 creatures, more than the limit of 1000000 "
                 "creatures");
  }
  const fs::path file = fs::temp_directory_path() / (TestFolderName("vivarion") + ".vivw");
  sim.CreatureLimit = 2'000'000;
  sim.SetEvents(many);
  sim.SaveWorld(file.string());
  TSimulation loaded;
  try {
    loaded.LoadWorld(file.string());
    ADD_FAILURE() << "a world file that asks for more creatures than the limit";
  } catch (const EVivarion& e) {
    EXPECT_EQ(std::string(e.what()), file.string() +
                                         ": its events would add 1100000 animals to its 305 creatures, "
                                         "more than the limit of 1000000 creatures");
  }
  fs::remove(file);
  sim.CreatureLimit = 1000;
  while (sim.StepCount() < 4) sim.Step();
  const size_t before = sim.Population().Count();
  EXPECT_THROW(sim.Step(), EVivarion);
  EXPECT_LE(sim.Population().Count(), before + 100) << "the animals were made before the limit was checked";

  TSimulation other;
  Start(other, 5);
  add.Count = 1, add.AnimalText = "junk", add.AnimalName = "junk.viv";
  try {
    other.SetEvents({add});
    ADD_FAILURE() << "an event adding junk";
  } catch (const EVivarion& e) {
    EXPECT_EQ(std::string(e.what()).rfind("the event \"step 5: add 1 of junk.viv\": junk.viv:", 0), 0u) << e.what();
  }
}

// A study text with a fault, and the start of the one line it must give.
struct TBadStudy {
  const char* Text;
  const char* Message;
};

TEST(StudyFile, FaultsNameTheFileTheLineAndTheKeyBeforeAnyRun) {
  const std::string base = "steps = 1000\nsettings = \"" VIVARION_TEST_DATA "/../../VIVARION.ini\"\n";
  // Animals that read an organ they lack, and a file that is no animal.
  const fs::path dir = fs::temp_directory_path() / TestFolderName("vivarion");
  fs::create_directories(dir);
  std::string adam = ReadRegularFile(VIVARION_TEST_DATA "/../../animals/ADAM.viv", 1 << 20, "an animal file");
  adam.replace(adam.find("RightEye.1*8\""), 13, "Tail.0*8\"");
  WriteFileAtomically((dir / "tail.viv").string(), adam, false);
  WriteFileAtomically((dir / "junk.viv").string(), "junk", false);
  const std::string add =
      "[[event]]\nname = \"a\"\ntype = \"add\"\nstep = 5\nfile = \"" + (dir / "tail.viv").string() + "\"\n";
  const std::string cull = "[[event]]\nname = \"c\"\ntype = \"cull\"\nstep = 5\nfraction = 0.5\n";
  const std::string population = "[population]\nfiles = [\"" + (dir / "junk.viv").string() + "\"]\n";
  const std::string adamAdd = "[[event]]\nname = \"a\"\ntype = \"add\"\nstep = 5\nfile = \"" VIVARION_TEST_DATA
                              "/../../animals/ADAM.viv\"\ncount = 100000\n";
  const std::vector<std::pair<std::string, std::string>> made = {
      {add, "s.toml:7: event[1].file: " + (dir / "tail.viv").string() +
                ": the formula of 'LeftEngine' (Tail.0*8) "
                "reads 'Tail', an organ the animal does not have"},
      {population, "s.toml:4: population.files: " + (dir / "junk.viv").string() + ":"},
      {cull + "[sweep]\nc.step = [10, 0]\n", "s.toml:9: sweep.c.step: 0: a cull or an addition acts at step 1"},
      {cull + "[sweep]\nc.step = [1e300]\n", "s.toml:9: sweep.c.step: 1E300: step must be from 0 to 9007199254740992"},
      {adamAdd + "[sweep]\na.count = [1e12]\n", "s.toml:10: sweep.a.count: 1000000000000: count must be from 1 to"},
      {"[population]\nanimals = 1000000\nplants = 1000\n",
       "s.toml: the population's 1001000 creatures and the 0 animals the events add make 1001000, more than the "
       "limit of 1000000 creatures"},
      {"[population]\nplants = 950000\n" + adamAdd, "s.toml: the population's 950001 creatures and the 100000"},
  };
  for (const auto& [text, message] : made) {
    try {
      ReadStudyText(base + text, "s.toml", ".", {});
      ADD_FAILURE() << "no fault for: " << text;
    } catch (const EVivarion& e) {
      EXPECT_EQ(std::string(e.what()).rfind(message, 0), 0u) << e.what();
    }
  }
  fs::remove_all(dir);
  const TBadStudy bad[] = {
      {"[set]\nSunLight = 9007199254740993\n", "s.toml:4: set.SunLight: 9007199254740993 is too large"},
      {"[set]\nMaxFood = 9223372036854775807\n", "s.toml:4: set.MaxFood: 9223372036854775807 is too large"},
      {"results = \".\"\n", "s.toml:3: results: '.' is the study's folder or one above it"},
      {"results = \"\"\n", "s.toml:3: results: '' is the study's folder or one above it"},
      {"results = \"..\"\n", "s.toml:3: results: '..' is the study's folder or one above it"},
      {"results = \"a\\u0000b\"\n", "s.toml:3: results: holds a NUL character"},
      {"stpes = 5\n", "s.toml:3: stpes: unknown key"},
      {"[set]\nSunLight = -1\n", "s.toml:4: SunLight: -1 is out of range"},
      {"[population]\nanimls = 3\n", "s.toml:4: population.animls: unknown key (population takes animals"},
      {"[[event]]\ntype = \"set\"\nkey = \"\\u001b[31mX\\n\"\nstep = 5\nvalue = 1\n",
       "s.toml:5: \\x1b[31mX\\x0a: is not a settings key"},
      {"[set]\nSunLigth = 1\n", "s.toml:4: SunLigth: is not a settings key"},
      {"[sweep]\nBrownian = [1, 2]\n", "s.toml:4: Brownian: is not a settings key"},
      {"[sweep]\nMaxFood = [100, 150.5]\n", "s.toml:4: sweep.MaxFood: takes whole numbers only"},
      {"[[event]]\ntype = \"set\"\nkey = \"SunLight\"\nstep = 2000\nvalue = 1\n",
       "s.toml:3: event[1]: acts at step 2000, after the study's last step (1000)"},
      {"[[event]]\ntype = \"cull\"\nstep = 5\nfraction = 2\n", "s.toml:3: event[1]: the event"},
      {"[[event]]\ntype = \"flood\"\nstep = 5\n", "s.toml:4: event[1].type: 'flood' is not one of"},
      {"[[event]]\nname = \"s\"\ntype = \"cycle\"\nkey = \"SunLight\"\nlow = 0.5\nhigh = 1\nperiod = 100\n"
       "[sweep]\ns.periods = [10]\n",
       "s.toml:11: sweep.s.periods: 'periods' is not a field"},
      {"[sweep]\nSunLight = [0.5, -2]\n", "s.toml: sweep.SunLight = -2:"},
      {"seeds = [1, 1]\n", "s.toml:3: seeds: a seed is given twice"},
      {"steps = 5\n", "s.toml:3: Error while parsing key-value pair: cannot redefine existing integer 'steps'"}};
  for (const TBadStudy& b : bad) {
    try {
      ReadStudyText(base + b.Text, "s.toml", ".", {});
      ADD_FAILURE() << "no fault for: " << b.Text;
    } catch (const EVivarion& e) {
      EXPECT_EQ(std::string(e.what()).rfind(b.Message, 0), 0u) << e.what();
    }
  }
}

TEST(StudyFile, SweepsCrossOrZipIntoRunsWithTheirSettingsAndEvents) {
  const std::string text =
      "steps = 1000\nreplicates = 2\nfirst_seed = 10\n"
      "[[event]]\nname = \"season\"\ntype = \"cycle\"\nkey = \"SunLight\"\nlow = 0.5\n"
      "high = 1\nperiod = 100\n"
      "[sweep]\nMaxFood = {from = 100, to = 300, by = 100}\nseason.period = [200, 400]\n";
  const TStudy crossed = ReadStudyText(text, "s.toml", ".", {VIVARION_TEST_DATA "/../../VIVARION.ini", {2, 200}});
  const std::vector<TStudyRun> runs = StudyRuns(crossed);
  ASSERT_EQ(runs.size(), 12u);
  EXPECT_EQ(runs[0].Settings.MaxFood, 100);
  EXPECT_EQ(runs[0].Events[0].Period, 200);
  EXPECT_EQ(runs[3].Events[0].Period, 400);
  EXPECT_EQ(runs[3].Seed, 11u);
  EXPECT_EQ(runs[11].Settings.MaxFood, 300);
  EXPECT_EQ(runs[11].Folder, "runs/0012");
  EXPECT_EQ(crossed.Population.NumCreatures, 2);
  const TStudy zipped = ReadStudyText(
      "sweep_mode = \"zip\"\n" + text.substr(0, text.rfind("season")) + "season.period = [200, 400, 800]\n", "s.toml",
      ".", {VIVARION_TEST_DATA "/../../VIVARION.ini", {2, 200}});
  const std::vector<TStudyRun> zip = StudyRuns(zipped);
  ASSERT_EQ(zip.size(), 6u);
  EXPECT_EQ(zip[4].Settings.MaxFood, 300);
  EXPECT_EQ(zip[4].Events[0].Period, 800);
}

}  // namespace
}  // namespace viv
