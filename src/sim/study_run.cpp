#include "sim/study_run.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "config/errors.h"
#include "config/files.h"
#include "config/number_text.h"
#include "config/thread_pool.h"
#include "history/report_rows.h"
#include "history/tree_text.h"
#include "sim/row_file.h"
#include "sim/run_driver.h"
#include "sim/simulation.h"
#include "world/world_figures.h"

namespace viv {

namespace fs = std::filesystem;

namespace {

std::string In(const TStudy& study, const TStudyRun& run, const std::string& file) {
  return (fs::path(study.Folder) / run.Folder / file).string();
}

std::string Number(double v) { return ShortestText(v); }

// A run stopped because another failed: its checkpoint stays for the next start.
struct EStudyStopped {};

// What every run's thread shares.
struct TStudyShared {
  std::atomic<int64_t> steps{0};
  std::atomic<int32_t> runsDone{0};
  std::atomic<bool> stop{false};
  std::mutex mutex;  // of the fault and of the progress calls
  std::string fault;
  std::chrono::steady_clock::time_point lastProgress;
  TStudyProgress total;
};

void ReportProgress(TStudyShared& shared, const TStudyOptions& options, bool force) {
  if (!options.Progress) return;
  std::lock_guard<std::mutex> lock(shared.mutex);
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - shared.lastProgress < std::chrono::milliseconds(250)) return;
  shared.lastProgress = now;
  TStudyProgress p = shared.total;
  p.StepsDone = shared.steps.load();
  p.RunsDone = shared.runsDone.load();
  options.Progress(p);
}

void RunOne(const TStudy& study, const TStudyRun& run, TStudyShared& shared, const TStudyOptions& options) {
  const std::string checkpoint = In(study, run, "checkpoint.vivw");
  fs::create_directories(fs::path(study.Folder) / run.Folder);
  TSimulation sim;
  sim.StartUp(run.Settings, run.Seed);
  sim.SetPersistence(study.Persistence);
  int64_t resumedAt = -1;
  if (IsRegularFile(checkpoint)) {
    // The rules in force when it was saved: the run's, as its events had changed them.
    sim.LoadWorld(checkpoint);
    TSettings rules = sim.FileSettings();
    rules.FileName = run.Settings.FileName;
    sim.SetRules(rules);
    resumedAt = sim.StepCount();
    // Rows lost before the checkpoint (a file emptied by hand or by an older version's kill)
    // cannot be made again from it: the run starts over, so that its table stays whole.
    std::string missing = TRowFile::MissingRows(In(study, run, "stats.csv"), StatsHeader, resumedAt, study.Report);
    if (missing.empty())
      missing = TRowFile::MissingRows(In(study, run, "evolution.csv"), EvolutionHeader, resumedAt, study.Report);
    if (!missing.empty()) {
      if (options.Note) {
        std::lock_guard<std::mutex> lock(shared.mutex);
        options.Note(missing + "; the run starts again from step 0");
      }
      fs::remove(checkpoint);
      RunOne(study, run, shared, options);
      return;
    }
    shared.steps += resumedAt;
  } else {
    WriteFileAtomically(In(study, run, "settings.ini"), run.Settings.IniText(), false);
    sim.Populate(study.Width, study.Height, study.AnimalFiles, study.Population);
    sim.SetEvents(run.Events);
  }
  TRowFile stats(In(study, run, "stats.csv"), StatsHeader, resumedAt);
  TRowFile evolution(In(study, run, "evolution.csv"), EvolutionHeader, resumedAt);
  // The living animals by the file they descend from, a row per file at each report.
  std::optional<TRowFile> origins;
  if (study.Wants("origins")) origins.emplace(In(study, run, "origins.csv"), "step,origin,animals\n", resumedAt);
  TRunDriver driver(sim, TRunPlan{study.Report, study.Checkpoint, checkpoint, false});
  driver.RunTo(
      study.Steps,
      [&] {
        ++shared.steps;
        if (shared.stop || options.Cancelled()) throw EStudyStopped();
        if (sim.StepCount() % 256 == 0) ReportProgress(shared, options, false);
      },
      [&](const TRunReport& r) {
        stats.Write(r.StatsRow() + '\n');
        evolution.Write(r.EvolutionRow() + '\n');
        if (origins)
          for (const auto& [origin, animals] : AnimalsByOrigin(sim.Population()))
            origins->Write(std::to_string(r.Step) + ',' + CsvField(fs::path(origin).filename().string()) + ',' +
                           std::to_string(animals) + '\n');
      },
      true);
  TRunOutputs outputs;
  if (study.Wants("species"))
    outputs.SpeciesCsv = In(study, run, "species.csv"), outputs.Phylogeny = In(study, run, "phylogeny.nwk");
  if (study.Wants("taxa")) outputs.TaxaCsv = In(study, run, "taxa.csv"), outputs.TaxaTree = In(study, run, "taxa.nwk");
  if (study.Wants("world")) outputs.World = In(study, run, "world.vivw");
  if (study.Wants("animals")) {
    outputs.SpeciesFolder = In(study, run, "animals");
    fs::create_directories(outputs.SpeciesFolder);
  }
  WriteRunOutputs(sim, outputs);
  WriteFileAtomically(In(study, run, "done"),
                      "seed=" + std::to_string(run.Seed) + "\nprogram=vivarion " VIVARION_VERSION "\n", false);
  std::error_code ignored;
  fs::remove(checkpoint, ignored);
  ++shared.runsDone;
}

// The rows of a CSV file after its header, each without its line end.
std::vector<std::string> Rows(const std::string& file) {
  std::istringstream text(ReadRegularFile(file, uint64_t{1} << 32, "a table of rows"));
  std::vector<std::string> rows;
  std::string line;
  std::getline(text, line);
  while (std::getline(text, line))
    if (!line.empty()) rows.push_back(line);
  return rows;
}

std::vector<std::string> Fields(const std::string& row) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(row);
  while (std::getline(in, field, ',')) fields.push_back(field);
  if (!row.empty() && row.back() == ',') fields.emplace_back();
  return fields;
}

std::string HeaderLine(const char* header) {
  std::string h(header);
  if (!h.empty() && h.back() == '\n') h.pop_back();
  return h;
}

}  // namespace

bool StudyRunDone(const TStudy& study, const TStudyRun& run) { return IsRegularFile(In(study, run, "done")); }

void PrepareStudyFolder(const TStudy& study) {
  const std::string studyText = ReadRegularFile(study.File, uint64_t{1} << 24, "a study file");
  const fs::path folder(study.Folder);
  const std::string kept = (folder / "study.toml").string();
  // The program that made the results (each run's "done" names the one that finished it).
  const std::string program = (folder / "program.txt").string();
  std::error_code error;
  if (fs::exists(folder, error) && !fs::is_directory(folder, error))
    throw EVivarion(study.Folder + ": the study's results folder is a file");
  if (IsRegularFile(kept)) {
    if (ReadRegularFile(kept, uint64_t{1} << 24, "a study file") != studyText)
      throw EVivarion(study.Folder + ": holds the results of another study (its study.toml differs from " + study.File +
                      "); remove it or name another folder with results = \"...\"");
    if (!IsRegularFile(program)) WriteFileAtomically(program, "vivarion " VIVARION_VERSION "\n", false);
    return;
  }
  if (fs::exists(folder, error) && !fs::is_empty(folder, error))
    throw EVivarion(study.Folder + ": the folder is not empty and holds no study; name another with results = \"...\"");
  fs::create_directories(folder, error);
  if (error) throw EVivarion(study.Folder + ": cannot make the folder: " + error.message());
  WriteFileAtomically(kept, studyText, false);
  WriteFileAtomically(program, "vivarion " VIVARION_VERSION "\n", false);
}

bool RunStudy(const TStudy& study, const std::vector<TStudyRun>& runs, const TStudyOptions& options) {
  TStudyShared shared;
  std::vector<const TStudyRun*> todo;
  for (const TStudyRun& run : runs) {
    if (options.Mine && !options.Mine(run.Index)) continue;
    ++shared.total.RunsTotal;
    shared.total.StepsTotal += study.Steps;
    if (StudyRunDone(study, run)) {
      ++shared.runsDone;
      shared.steps += study.Steps;
    } else {
      todo.push_back(&run);
    }
  }
  // Worlds side by side each step on their own thread: the shared pool would only make them
  // take turns.
  const int32_t jobs = std::max<int32_t>(1, std::min<int32_t>(options.Jobs, static_cast<int32_t>(todo.size())));
  if (jobs > 1) SetWorkerThreads(1);
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t k = next++; k < todo.size() && !shared.stop && !options.Cancelled(); k = next++) {
      try {
        RunOne(study, *todo[k], shared, options);
      } catch (const EStudyStopped&) {
        return;
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(shared.mutex);
        if (shared.fault.empty()) shared.fault = (fs::path(study.Folder) / todo[k]->Folder).string() + ": " + e.what();
        shared.stop = true;
        return;
      }
      ReportProgress(shared, options, false);
    }
  };
  std::vector<std::thread> threads;
  for (int32_t t = 1; t < jobs; ++t) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();
  if (!shared.fault.empty()) throw EVivarion(shared.fault);
  ReportProgress(shared, options, true);
  return shared.runsDone.load() == shared.total.RunsTotal;
}

namespace {

// The rows of the finished runs: the tidy table's text, and per point and step each measure's
// values over the replicates.
struct TStudyRows {
  std::string Table;
  std::vector<std::string> Measures;
  std::map<std::pair<int32_t, int64_t>, std::vector<std::vector<double>>> Values;
};

TStudyRows ReadStudyRows(const TStudy& study, const std::vector<TStudyRun>& runs) {
  const std::vector<std::string> stats = Fields(HeaderLine(StatsHeader));
  const std::vector<std::string> evolution = Fields(HeaderLine(EvolutionHeader));
  TStudyRows rows;
  std::string header = "run,point";
  for (const TSweep& sweep : study.Sweeps) header += "," + sweep.Name;
  header += ",replicate,seed," + HeaderLine(StatsHeader);
  for (size_t k = 1; k < evolution.size(); ++k) header += "," + evolution[k];
  rows.Measures.assign(stats.begin() + 1, stats.end());
  rows.Measures.insert(rows.Measures.end(), evolution.begin() + 1, evolution.end());
  rows.Table = header + "\n";
  for (const TStudyRun& run : runs) {
    if (!StudyRunDone(study, run)) throw EVivarion(In(study, run, "") + ": the run has not finished");
    const std::vector<std::string> s = Rows(In(study, run, "stats.csv")), e = Rows(In(study, run, "evolution.csv"));
    if (s.size() != e.size()) throw EVivarion(In(study, run, "evolution.csv") + ": its rows do not match stats.csv's");
    std::string front = std::to_string(run.Index + 1) + "," + std::to_string(run.Point + 1);
    for (double v : run.Values) front += "," + Number(v);
    front += "," + std::to_string(run.Replicate + 1) + "," + std::to_string(run.Seed);
    for (size_t k = 0; k < s.size(); ++k) {
      const std::vector<std::string> sf = Fields(s[k]), ef = Fields(e[k]);
      if (sf.size() != stats.size() || ef.size() != evolution.size() || sf[0] != ef[0])
        throw EVivarion(In(study, run, "stats.csv") + ": row " + std::to_string(k + 2) + " does not match its table");
      rows.Table += front + "," + s[k];
      for (size_t f = 1; f < ef.size(); ++f) rows.Table += "," + ef[f];
      rows.Table += "\n";
      std::vector<double> values;
      for (size_t f = 1; f < sf.size(); ++f) values.push_back(std::strtod(sf[f].c_str(), nullptr));
      for (size_t f = 1; f < ef.size(); ++f) values.push_back(std::strtod(ef[f].c_str(), nullptr));
      rows.Values[{run.Point, std::stoll(sf[0])}].push_back(std::move(values));
    }
  }
  return rows;
}

// Mean and the sample's standard deviation (the spread a replicate is expected to show; 0 for one).
std::pair<double, double> MeanAndSd(const std::vector<std::vector<double>>& rows, size_t m) {
  double sum = 0;
  for (const auto& r : rows) sum += r[m];
  const double mean = sum / static_cast<double>(rows.size());
  double squares = 0;
  for (const auto& r : rows) squares += (r[m] - mean) * (r[m] - mean);
  return {mean, rows.size() > 1 ? std::sqrt(squares / static_cast<double>(rows.size() - 1)) : 0.0};
}

}  // namespace

std::string WriteStudyTables(const TStudy& study, const std::vector<TStudyRun>& runs) {
  const TStudyRows rows = ReadStudyRows(study, runs);
  std::string tableFile = (fs::path(study.Folder) / "results.csv").string();
  WriteFileAtomically(tableFile, rows.Table, false);

  std::string summary = "point";
  for (const TSweep& sweep : study.Sweeps) summary += "," + sweep.Name;
  summary += ",step,runs";
  for (const std::string& m : rows.Measures) summary += "," + m + "_mean," + m + "_sd";
  summary += "\n";
  std::map<int32_t, const TStudyRun*> pointRuns;
  for (const TStudyRun& run : runs) pointRuns.emplace(run.Point, &run);
  for (const auto& [key, values] : rows.Values) {
    summary += std::to_string(key.first + 1);
    for (double v : pointRuns[key.first]->Values) summary += "," + Number(v);
    summary += "," + std::to_string(key.second) + "," + std::to_string(values.size());
    for (size_t m = 0; m < rows.Measures.size(); ++m) {
      const auto [mean, sd] = MeanAndSd(values, m);
      summary += "," + Number(mean) + "," + Number(sd);
    }
    summary += "\n";
  }
  WriteFileAtomically((fs::path(study.Folder) / "summary.csv").string(), summary, false);
  return tableFile;
}

TStudySummary SummariseStudy(const TStudy& study, const std::vector<TStudyRun>& runs) {
  const TStudyRows rows = ReadStudyRows(study, runs);
  TStudySummary summary;
  summary.Measures = rows.Measures;
  std::map<int32_t, size_t> index;
  for (const TStudyRun& run : runs) {
    if (index.count(run.Point)) continue;
    index[run.Point] = summary.Points.size();
    TStudyPoint& p = summary.Points.emplace_back();
    for (size_t k = 0; k < study.Sweeps.size(); ++k)
      p.Label += (k ? ", " : "") + study.Sweeps[k].Name + "=" + Number(run.Values[k]);
    if (p.Label.empty()) p.Label = "all runs";
    p.Mean.resize(rows.Measures.size());
    p.Sd.resize(rows.Measures.size());
  }
  for (const auto& [key, values] : rows.Values) {
    TStudyPoint& p = summary.Points[index[key.first]];
    p.Steps.push_back(key.second);
    for (size_t m = 0; m < rows.Measures.size(); ++m) {
      const auto [mean, sd] = MeanAndSd(values, m);
      p.Mean[m].push_back(mean);
      p.Sd[m].push_back(sd);
    }
  }
  return summary;
}

}  // namespace viv
