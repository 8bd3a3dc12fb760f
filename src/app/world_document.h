#pragma once
// The world the window shows and everything that belongs to it, with no widget: the simulation,
// its timeline and the branch stepped beside it, the keys the shown branch holds of its own,
// the figures and measures sampled over the run and the steps where films began. The windows
// read it and ask it to act; it tells them through the listeners: a line for the overlay, and
// that the world changed (to be drawn again).
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/branch_world.h"
#include "history/evolution_samples.h"
#include "history/run_samples.h"
#include "sim/simulation.h"
#include "sim/timeline.h"

namespace viv {

class TWorldDocument {
 public:
  // The measures of evolution are sampled every EvolutionEvery steps of the world, as the
  // runner's --report would take them.
  static constexpr int64_t EvolutionEvery = 1000;
  static bool ReportedAt(int64_t step) { return step % EvolutionEvery == 0; }

  // notice: a line for the overlay; changed: the world changed, to be drawn again.
  void Listen(std::function<void(const std::string&)> notice, std::function<void()> changed);

  TSimulation& Sim() { return sim_; }
  const TSimulation& Sim() const { return sim_; }
  const TWorld& Population() const { return sim_.Population(); }
  // Whether a world was started (Go, or a world opened): there is a world to keep and to travel in.
  bool Started() const { return started_; }
  const TRunGraphs& Graphs() const { return graphs_; }
  const TEvolutionGraphs& Evolution() const { return evolution_; }

  // A world now in the simulation (seeded, or read from worldFile, whose timeline is read from
  // beside it when one was saved there): its samples and timeline start afresh.
  void Begin(const std::string& worldFile);
  // One step of the world, with the branch beside it, the timelines noted and a sample of
  // evolution when one is due.
  void Step();
  // The run's figures of the shown world and of the branch beside it, at their steps.
  void SampleGraphs();
  // Keeps the world, and its timeline beside it (or removes a timeline an earlier world left).
  void Keep(const std::string& fileName);
  // Puts the keys read from the settings file in force, each branch keeping its own.
  void PutRulesInForce(const TSettings& read);
  // The step shown now is where a film began.
  void FilmStarted() { filmStarts_.push_back(sim_.StepCount()); }

  // Time travel. The timeline (nullptr when no world keeps one) and its bar's marks.
  const TTimeline* Timeline() const { return timeline_ ? &*timeline_ : nullptr; }
  std::vector<TTimelineMark> TimelineMarks() const;
  // Puts the shown world and the branch beside it at step, the samples as they were recorded up
  // to it. Returns why it could not (steps written with thousands separators), or empty.
  std::string GoToStep(int64_t step);
  // A new branch from the step shown under these keys changed: the world as it was goes beside.
  // A bad value throws, and nothing changes.
  void BranchHere(const std::map<std::string, double>& overrides);
  // The shown branch and the one beside change places; a failure throws.
  void SwitchBranch();
  void StopComparing();
  const TBranchWorld* Other() const { return other_.get(); }
  const std::string& BranchName() const { return branchName_; }
  // The first step at which the two branches differ, -1 while they do not.
  int64_t PartedAt() const { return partedAt_; }

 private:
  void Notice(const std::string& text) const;
  void Changed() const;
  void StartTimeline(const std::string& worldFile);

  TSimulation sim_;
  bool started_ = false;
  TRunGraphs graphs_;
  TEvolutionGraphs evolution_;
  std::optional<TTimeline> timeline_;
  std::unique_ptr<TBranchWorld> other_;
  std::string branchName_ = "the original";
  std::map<std::string, double> overrides_;
  int64_t partedAt_ = -1;
  int branchesMade_ = 1;
  std::vector<int64_t> filmStarts_;
  // The world's marks as seen at the furthest step reached, so that a world gone back still
  // shows what lies ahead of it.
  mutable std::vector<TTimelineMark> marksAhead_;
  std::function<void(const std::string&)> notice_;
  std::function<void()> changed_;
};

}  // namespace viv
