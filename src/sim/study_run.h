#pragma once
// Runs a study's runs, several at a time, each into a folder of its own under the study's
// results (its settings, its rows of --stats and --evolution, its checkpoint and the files it
// was asked for), and gathers them into one tidy table and a summary per sweep point. A study
// stopped half-way goes on where it stopped: finished runs are kept, the others resume from
// their checkpoints, and the tables come out the same.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/study_file.h"

namespace viv {

struct TStudyProgress {
  int64_t StepsDone = 0, StepsTotal = 0;
  int32_t RunsDone = 0, RunsTotal = 0;
};

struct TStudyOptions {
  int32_t Jobs = 1;  // runs at a time, each on a thread of its own
  // Which runs this process runs (by index); all when empty. The islands give each rank its share.
  std::function<bool(int32_t)> Mine;
  // Called now and then from the runs' threads, one call at a time.
  std::function<void(const TStudyProgress&)> Progress;
  // Called from the runs' threads, one call at a time, with what the user should know (a run
  // that starts over).
  std::function<void(const std::string&)> Note;
  // Set (by a signal handler or another thread) to stop the runs at their next step, each
  // keeping its checkpoint, so that the study goes on from there when it is run again.
  const std::atomic<bool>* Cancel = nullptr;
  bool Cancelled() const { return Cancel != nullptr && Cancel->load(); }
};

// Makes the study's results folder and keeps a copy of the study file in it ("study.toml"); a
// folder that holds another study's results is refused (EVivarion naming it), so that a
// changed study never mixes with the runs of the old one.
void PrepareStudyFolder(const TStudy& study);

// Runs the runs (those options.Mine takes), options.Jobs at a time. The first fault stops the
// others at their next step (their checkpoints kept) and is thrown, naming the run's folder.
// Returns false when options.Cancel stopped it before every run had finished.
bool RunStudy(const TStudy& study, const std::vector<TStudyRun>& runs, const TStudyOptions& options);

// Whether a run has finished (its folder holds all it writes).
bool StudyRunDone(const TStudy& study, const TStudyRun& run);

// Writes "results.csv" (a row per run and report: run, point, the swept values, replicate,
// seed, then the columns of --stats and --evolution) and "summary.csv" (per point and step, the
// mean and standard deviation over the replicates of each measure), each atomically, from the
// finished runs' files. Returns the table's file.
std::string WriteStudyTables(const TStudy& study, const std::vector<TStudyRun>& runs);

// The summary of a finished study, for its charts: each point's mean and spread of every
// measure at each report.
struct TStudyPoint {
  std::string Label;  // "SunLight=0.5, MaxFood=300", or "all runs" without sweeps
  std::vector<int64_t> Steps;
  std::vector<std::vector<double>> Mean, Sd;  // [measure][report]
};
struct TStudySummary {
  std::vector<std::string> Measures;
  std::vector<TStudyPoint> Points;
};
TStudySummary SummariseStudy(const TStudy& study, const std::vector<TStudyRun>& runs);

}  // namespace viv
