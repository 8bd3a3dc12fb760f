#include "islands/study_over_mpi.h"

#include <sstream>

#include "cli/runner.h"
#include "config/thread_pool.h"
#include "sim/study_file.h"
#include "sim/study_run.h"
#include "world/population_file.h"

namespace viv {

namespace {

// Whether every rank is well; the first rank tells the first fault (each rank's in rank order).
bool EveryRankWell(const TArchipelago& a, const std::string& fault, std::ostream& err) {
  std::vector<std::string> texts(static_cast<size_t>(a.IslandsPerRank));
  texts[0] = fault.empty() ? std::string() : "!" + fault;
  uint64_t failed = 0;
  if (a.Rank == 0)
    for (const std::string& t : a.Gather(texts))
      if (!t.empty()) {
        if (!failed) err << "vivarion-islands: " << t.substr(1) << '\n';
        failed = 1;
      }
  if (a.Rank != 0) a.Gather(texts);
  return a.FromFirst(failed) == 0;
}

}  // namespace

int RunStudyOverMpi(const TIslandOptions& o, const TArchipelago& a, std::ostream& out, std::ostream& err) {
  std::string fault;
  TStudy study;
  std::vector<TStudyRun> runs;
  try {
    if (o.Run.Threads > 0) SetWorkerThreads(o.Run.Threads);
    std::ostringstream notes;  // the first rank's notes alone, not one per rank
    const TStudyDefaults defaults{RunSettingsFile(o.Run, a.Rank == 0 ? err : notes, "vivarion-islands"),
                                  ReadPopulation(o.Run.PopulationFile)};
    study = ReadStudyFile(o.Run.ExperimentFile, defaults);
    runs = StudyRuns(study);
    if (a.Rank == 0) PrepareStudyFolder(study);
  } catch (const std::exception& e) {
    fault = e.what();
  }
  // The folder is made before any rank writes into it.
  if (!EveryRankWell(a, fault, err)) return 1;
  try {
    TStudyOptions options;
    options.Jobs = o.Run.Jobs;
    options.Mine = [&](int32_t index) { return index % a.Ranks == a.Rank; };
    int32_t told = -1;
    if (a.Rank == 0)
      options.Progress = [&](const TStudyProgress& p) {
        if (p.RunsDone == told) return;
        told = p.RunsDone;
        err << "vivarion-islands: study " << study.Name << ": rank 0 has done " << p.RunsDone << " of its "
            << p.RunsTotal << " runs\n"
            << std::flush;
      };
    RunStudy(study, runs, options);
  } catch (const std::exception& e) {
    fault = e.what();
  }
  if (!EveryRankWell(a, fault, err)) return 1;
  if (a.Rank == 0) {
    try {
      out << WriteStudyTables(study, runs) << '\n';
    } catch (const std::exception& e) {
      err << "vivarion-islands: " << e.what() << '\n';
      fault = e.what();
    }
  }
  return a.FromFirst(fault.empty() ? 0 : 1) == 0 ? 0 : 1;
}

}  // namespace viv
