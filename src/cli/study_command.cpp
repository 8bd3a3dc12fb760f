#include "cli/study_command.h"

#include <csignal>

#include <atomic>
#include <chrono>
#include <cstdio>

#include "cli/runner.h"
#include "config/duck.h"
#include "config/errors.h"
#include "config/files.h"
#include "config/thread_pool.h"
#include "sim/study_file.h"
#include "sim/study_run.h"
#include "world/population_file.h"
#ifdef VIVARION_WITH_VIEW
#include "view/study_charts.h"
#endif

namespace viv {

namespace {

// Ctrl+C (or a kill's SIGTERM) stops the runs at their next step with their checkpoints kept.
std::atomic<bool> interrupted{false};
extern "C" void StopStudy(int) { interrupted = true; }

std::string Clock(double seconds) {
  const auto s = static_cast<long long>(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  return text;
}

}  // namespace

int RunStudyCommand(const TRunnerOptions& o, std::ostream& out, std::ostream& err, bool terminal) {
  try {
    if (o.Threads > 0) SetWorkerThreads(o.Threads);
    const TStudyDefaults defaults{RunSettingsFile(o, err, "vivarion-cli"), ReadPopulation(o.PopulationFile)};
    const TStudy study = ReadStudyFile(o.ExperimentFile, defaults);
    const std::vector<TStudyRun> runs = StudyRuns(study);
    if (!o.PlotFile.empty()) CheckWritable(o.PlotFile);
#ifndef VIVARION_WITH_VIEW
    if (!o.PlotFile.empty()) throw EVivarion("this runner was built without pictures; --plot is not available");
#endif
    PrepareStudyFolder(study);

    const std::string name = PrintableText(study.Name);
    const auto start = std::chrono::steady_clock::now();
    int64_t firstSteps = -1;
    int32_t runsTold = -1;
    TStudyOptions options;
    options.Jobs = o.Jobs;
    options.Progress = [&](const TStudyProgress& p) {
      if (firstSteps < 0) firstSteps = p.StepsDone;  // runs finished before this start
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      const double rate = seconds > 0 ? static_cast<double>(p.StepsDone - firstSteps) / seconds : 0;
      const double percent =
          p.StepsTotal ? 100.0 * static_cast<double>(p.StepsDone) / static_cast<double>(p.StepsTotal) : 100;
      const std::string left =
          rate > 0 ? ", " + Clock(static_cast<double>(p.StepsTotal - p.StepsDone) / rate) + " left" : "";
      char line[200];
      std::snprintf(line, sizeof line, "study %s: %d of %d runs done, %.0f%% of the steps%s", name.c_str(), p.RunsDone,
                    p.RunsTotal, percent, left.c_str());
      // At a terminal the line is redrawn in place; in a log, a line as each run ends.
      if (terminal) err << '\r' << line << "\033[K" << std::flush;
      else if (p.RunsDone != runsTold) err << "vivarion-cli: " << line << '\n' << std::flush;
      runsTold = p.RunsDone;
    };
    options.Note = [&](const std::string& note) {
      if (terminal) err << "\r\033[K";
      err << "vivarion-cli: " << note << '\n' << std::flush;
    };
    options.Cancel = &interrupted;
    struct sigaction stop = {}, oldInt = {}, oldTerm = {};
    stop.sa_handler = StopStudy;
    sigaction(SIGINT, &stop, &oldInt);
    sigaction(SIGTERM, &stop, &oldTerm);
    const bool finished = RunStudy(study, runs, options);
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    if (terminal) err << "\r\033[K" << std::flush;
    if (!finished) {
      err << "vivarion-cli: study " << PrintableText(study.Name)
          << " stopped; its runs keep their checkpoints: run the same command again to go on\n";
      return 130;
    }
    out << WriteStudyTables(study, runs) << '\n';
#ifdef VIVARION_WITH_VIEW
    if (!o.PlotFile.empty()) WriteStudyChartsPng(SummariseStudy(study, runs), o.PlotFile);
#endif
    return 0;
  } catch (const std::exception& e) {
    if (terminal) err << "\r\033[K";
    err << "vivarion-cli: " << e.what() << '\n';
    return 1;
  }
}

}  // namespace viv
