#pragma once
// The worlds the agents' server holds by name: each a simulation with its timeline (so that it
// can be rewound and branched), the evolution rows of its reports and the samples of its chart.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/run_samples.h"
#include "sim/run_driver.h"
#include "sim/simulation.h"
#include "sim/timeline.h"

namespace viv {

class TServedWorld {
 public:
  // Keyframes every this many steps, kept within this many bytes (a held world's memory bound).
  static constexpr int64_t KeyframeSpacing = 1000;
  static constexpr uint64_t TimelineBudget = uint64_t{64} << 20;
  // The chart's figures are sampled at every multiple of this step.
  static constexpr int64_t ChartEvery = 100;

  TServedWorld();
  // A new world as the runner makes it: the rules, the seed, a window of width x height, the
  // animal files (none: the built-in founder) and the counts.
  // Returns the seed used (none given: VIVARION_SEED or the clock's).
  uint64_t Make(const TSettings& rules, std::optional<uint64_t> seed, int32_t width, int32_t height,
                const std::vector<std::string>& animalFiles, const TPopulationCounts& counts);
  // A world file's world, under the rules saved with it unless rules are given; its timeline
  // from beside it when one was saved there.
  void Load(const std::string& file, const std::optional<TSettings>& rules);
  // The world file, and its timeline beside it when asked.
  void Save(const std::string& file, bool withTimeline);

  // Steps on to last, a report at every multiple of report (0: none) as the runner takes them;
  // onReport is called at each, with the world at its step; afterStep after each step, which
  // returns false to stop there (the world is then a whole step of the run).
  void Run(int64_t last, int64_t report, const std::function<bool()>& afterStep,
           const std::function<void(const TRunReport&)>& onReport);
  // A report now (the counts since the last restart from here), kept with the world's reports.
  TRunReport ReportNow();
  // Back (or forward, within what the world has reached) to step; reportedAt-aware, so that the
  // reports after it are those of the run that went straight on. keepGoing is asked now and then.
  void Rewind(int64_t step, const std::function<bool()>& keepGoing);
  // A world going on apart from this one's step, under rules.
  std::unique_ptr<TServedWorld> Branch(const TSettings& rules);
  // Rules from the next step on.
  void SetRules(const TSettings& rules) { sim_->SetRules(rules); }
  // The changes by hand pass through here so that the timeline keeps a seam after them.
  TSimulation& Sim() { return *sim_; }
  const TSimulation& Sim() const { return *sim_; }
  void NoteChange() { timeline_.Note(*sim_); }

  const TTimeline& Timeline() const { return timeline_; }
  const std::vector<TRunSample>& ChartSamples() const { return chart_.Samples; }

 private:
  std::unique_ptr<TSimulation> sim_ = std::make_unique<TSimulation>();
  TTimeline timeline_{KeyframeSpacing, TimelineBudget};
  std::vector<int64_t> reportSteps_;  // the steps of the reports taken, in order
  TRunGraphs chart_;
  // The world goes on from its step: reports and samples of a future it was rewound from go.
  void ForgetUndone();
  void SampleChart();
};

// The worlds held, by name, and how many may be.
class TWorldShelf {
 public:
  explicit TWorldShelf(size_t most) : most_(most) {}
  // The world of that name, else ETool naming the worlds held.
  TServedWorld& Get(const std::string& name);
  // Checks that a world may be added under name (a free, well-formed name; room on the shelf).
  void CheckRoom(const std::string& name) const;
  void Put(const std::string& name, std::unique_ptr<TServedWorld> world);
  void Close(const std::string& name);
  const std::map<std::string, std::unique_ptr<TServedWorld>>& All() const { return worlds_; }
  size_t Most() const { return most_; }

 private:
  size_t most_;
  std::map<std::string, std::unique_ptr<TServedWorld>> worlds_;
};

}  // namespace viv
