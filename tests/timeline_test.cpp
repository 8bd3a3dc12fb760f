// The timeline: a world rewound to any earlier step and run on again meets the original run's
// hash at every later step, with a timeline thinned to its budget, saved and loaded, and across
// changes by hand; branches; bad steps and bad files are refused with the world kept.
#include <gtest/gtest.h>
#include <unistd.h>
#include <xxhash.h>

#include <cstring>
#include <filesystem>

#include "config/errors.h"
#include "config/files.h"
#include "config/thread_pool.h"
#include "sim/timeline.h"
#include "sim/timeline_file.h"
#include "support/scenes.h"

namespace viv {
namespace {

// Steps the world to last, noting each step in the timeline; the hashes from its step on.
std::vector<uint64_t> RunNoting(TSimulation& sim, TTimeline& timeline, int64_t last) {
  timeline.Note(sim);
  std::vector<uint64_t> hashes{sim.Hash()};
  while (sim.StepCount() < last) {
    sim.Step();
    timeline.Note(sim);
    hashes.push_back(sim.Hash());
  }
  return hashes;
}

TEST(Timeline, ARewoundWorldRunsOnThroughTheSameStates) {
  for (int threads : {1, 2}) {
    SetWorkerThreads(threads);
    TSimulation sim;
    sim.StartUp(ShippedSettings(), 9);
    sim.Populate(800, 600, {}, {4, 300});
    TWorldEvent dim;
    dim.Kind = TEventKind::Set, dim.Step = 450, dim.Key = "SunLight", dim.To = 0.5;
    sim.SetEvents({dim});
    TTimeline timeline(100);
    const std::vector<uint64_t> hashes = RunNoting(sim, timeline, 1200);
    EXPECT_EQ(timeline.Keyframes().size(), 13u);
    for (int64_t to : {1199, 37, 450, 451, 0, 1000}) {
      timeline.Rewind(sim, to);
      ASSERT_EQ(sim.Hash(), hashes[to]) << "at " << to << ", threads " << threads;
      for (int64_t step = to + 1; step <= std::min<int64_t>(to + 300, 1200); ++step) {
        sim.Step();
        timeline.Note(sim);
        ASSERT_EQ(sim.Hash(), hashes[step]) << "from " << to << " at " << step << ", threads " << threads;
      }
    }
    // Beyond what the world has reached, or before the first keyframe: refused, the world kept.
    const uint64_t before = sim.Hash();
    EXPECT_THROW(timeline.Rewind(sim, 1201), EVivarion);
    EXPECT_THROW(timeline.Rewind(sim, -1), EVivarion);
    EXPECT_EQ(sim.Hash(), before);
  }
  SetWorkerThreads(0);
}

TEST(Timeline, AThinnedTimelineKeepsItsBudgetAndStillReachesEveryStep) {
  TSimulation sim;
  sim.StartUp(ShippedSettings(), 4);
  sim.Populate(800, 600, {}, {3, 300});
  TTimeline measure(50);
  measure.Note(sim);
  const uint64_t frame = measure.Bytes();
  TTimeline timeline(50, frame * 8);
  const std::vector<uint64_t> hashes = RunNoting(sim, timeline, 2000);
  EXPECT_LE(timeline.Bytes(), frame * 8 + frame / 2);
  const std::vector<int64_t> kept = timeline.Keyframes();
  EXPECT_EQ(kept.front(), 0) << "the timeline's beginning stays";
  EXPECT_EQ(kept.back(), 2000) << "the newest keyframe stays";
  EXPECT_LT(kept.size(), 12u);
  for (int64_t to : {3, 777, 1500, 1999}) {
    timeline.Rewind(sim, to);
    EXPECT_EQ(sim.Hash(), hashes[to]) << to;
  }
}

// Rewinds to each step and checks the hash, and that a few steps on are the run's too.
void ExpectReplays(TSimulation& sim, TTimeline& timeline, const std::vector<uint64_t>& hashes,
                   const std::vector<int64_t>& steps) {
  for (int64_t to : steps) {
    timeline.Rewind(sim, to);
    ASSERT_EQ(sim.Hash(), hashes[to]) << "at " << to;
    for (int k = 0; k < 5 && sim.StepCount() + 1 < static_cast<int64_t>(hashes.size()); ++k) {
      sim.Step();
      timeline.Note(sim);
      ASSERT_EQ(sim.Hash(), hashes[sim.StepCount()]) << "from " << to;
    }
  }
}

TEST(Timeline, SavedWithItsWorldItReplaysTheSameStepsAndRefusesBadFiles) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("vivarion-timeline-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string world = (dir / "w.vivw").string(), file = TimelineFileFor(world);
  EXPECT_EQ(file, (dir / "w.vivt").string());
  TSimulation sim;
  sim.StartUp(ShippedSettings(), 21);
  sim.Populate(800, 600, {}, {4, 300});
  TTimeline timeline(100);
  const std::vector<uint64_t> hashes = RunNoting(sim, timeline, 900);
  sim.SaveWorld(world);
  SaveTimeline(file, timeline, sim);

  for (int threads : {1, 2}) {
    SetWorkerThreads(threads);
    TSimulation again;
    again.StartUp(ShippedSettings(), 1);
    again.LoadWorld(world);
    TTimeline loaded = LoadTimeline(file, again);
    EXPECT_EQ(loaded.Keyframes(), timeline.Keyframes());
    ExpectReplays(again, loaded, hashes, {5, 450, 899, 0});
  }
  SetWorkerThreads(0);

  // Another world (the same one a step on) is refused; so are damaged bytes, and bytes forged
  // under a good checksum: the world is kept.
  sim.Step();
  EXPECT_THROW(
      try { LoadTimeline(file, sim); } catch (const EVivarion& e) {
        EXPECT_NE(std::string(e.what()).find("belongs to another world"), std::string::npos) << e.what();
        throw;
      },
      EVivarion);
  TSimulation at900;
  at900.StartUp(ShippedSettings(), 1);
  at900.LoadWorld(world);
  std::string bytes = ReadRegularFile(file, 1 << 30, "a timeline file");
  std::string flipped = bytes;
  flipped[bytes.size() / 2] ^= 0x10;
  WriteFileAtomically(file, flipped, false);
  EXPECT_THROW(LoadTimeline(file, at900), EVivarion);
  EXPECT_THROW(LoadTimeline(world, at900), EVivarion) << "a world file is no timeline";
  // The first keyframe's packed bytes start after the header (8 + 4 + 4 + 5 x 8 + 8) and the
  // keyframe's own fields (4 x 8).
  // Bytes changed under a good checksum: the message names the file and the fault.
  auto forge = [&](const std::string& from, size_t at, uint64_t value, size_t size = 8) {
    std::string forged = from;
    std::memcpy(forged.data() + at, &value, size);
    const uint64_t sum = XXH64(forged.data(), forged.size() - 8, 0);
    std::memcpy(forged.data() + forged.size() - 8, &sum, 8);
    WriteFileAtomically(file, forged, false);
  };
  auto refused = [&](const std::string& fault) {
    try {
      TTimeline damaged = LoadTimeline(file, at900);
      damaged.Rewind(at900, 10);
      ADD_FAILURE() << "not refused: " << fault;
    } catch (const EVivarion& e) {
      EXPECT_EQ(std::string(e.what()).rfind(file + ": ", 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find(fault), std::string::npos) << e.what();
    }
    EXPECT_EQ(at900.Hash(), hashes[900]) << "the running world is kept";
  };
  forge(bytes, 64 + 32 + 20, static_cast<uint8_t>(bytes[64 + 32 + 20] ^ 0x5a), 1);
  refused("the keyframe of step 0");
  forge(bytes, 24, UINT64_MAX);  // the memory budget
  refused("a memory budget of 18446744073709551615 bytes");
  forge(bytes, 80, uint64_t{1} << 30);  // the first keyframe's unpacked size
  refused("the keyframe of step 0 claims 1073741824 bytes");
  // Another world's keyframes under this world's step and hash.
  TSimulation other;
  other.StartUp(ShippedSettings(), 22);
  other.Populate(800, 600, {}, {4, 300});
  TTimeline otherLine(100);
  RunNoting(other, otherLine, 900);
  SaveTimeline(file, otherLine, other);
  forge(ReadRegularFile(file, 1 << 30, "a timeline file"), 48, at900.Hash());
  refused("its keyframes do not lead to this world");
  fs::remove_all(dir);
}

TEST(Timeline, ChangesByHandAreSeamsAndBranchesGoTheirOwnWay) {
  TSimulation sim;
  sim.StartUp(ShippedSettings(), 5);
  sim.Populate(800, 600, {}, {4, 300});
  TTimeline timeline(100);
  std::vector<uint64_t> hashes = RunNoting(sim, timeline, 300);
  // A creature held for 20 steps from 300, then the rules changed at 400: the world is the
  // hand's, and replaying reaches every step but those of the hold.
  sim.Hold(sim.Population().List.front()->Serial);
  for (int k = 0; k < 20; ++k) {
    sim.Step();
    timeline.Note(sim);
    hashes.push_back(sim.Hash());
  }
  sim.Hold(0);
  for (int k = 0; k < 80; ++k) {
    sim.Step();
    timeline.Note(sim);
    hashes.push_back(sim.Hash());
  }
  TSettings dim = sim.Rules();
  dim.SunLight /= 2;
  sim.SetRules(dim);
  const std::vector<uint64_t> tail = RunNoting(sim, timeline, 600);
  hashes.insert(hashes.end(), tail.begin() + 1, tail.end());
  EXPECT_FALSE(timeline.Reaches(310));
  EXPECT_TRUE(timeline.Reaches(320));
  EXPECT_THROW(timeline.Rewind(sim, 310), EVivarion);
  ExpectReplays(sim, timeline, hashes, {290, 320, 321, 390, 401, 550});

  // A branch from 350 with the rules unchanged stays its parent (until the parent's change at
  // 400); with other rules it parts from it at its first step; the parent's timeline is untouched.
  for (bool changed : {false, true}) {
    timeline.Rewind(sim, 350);
    TSimulation branch;
    branch.StartUp(sim.Rules(), 1);
    branch.LoadWorldBody(sim.WorldBody(), "the branch");
    branch.SetRules(sim.Rules());
    TTimeline branchLine = timeline.Branch(branch);
    if (changed) {
      TSettings other = branch.Rules();
      other.Brown *= 2;
      branch.SetRules(other);
    }
    for (int64_t step = 351; step < 400; ++step) {
      branch.Step();
      branchLine.Note(branch);
      ASSERT_EQ(branch.Hash() == hashes[step], !changed) << step;
    }
    branchLine.Rewind(branch, 360);
    EXPECT_EQ(branch.Hash() == hashes[360], !changed);
    branchLine.Rewind(branch, 340);
    EXPECT_EQ(branch.Hash(), hashes[340]) << "before the branch, its parent's past";
    EXPECT_EQ(timeline.Last(), 600);
  }
  ExpectReplays(sim, timeline, hashes, {450, 599});
}

}  // namespace
}  // namespace viv
