#pragma once
// A study: one file (TOML) that describes a grid of settings, seeds and scheduled events, and
// the runs it expands to. Read and checked in full before any run starts: a fault gives one
// line naming the file, the line and the key.
#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "sim/world_events.h"
#include "world/population_file.h"

namespace viv {

// What a program finds for itself when the study does not say.
struct TStudyDefaults {
  std::string SettingsFile;  // the settings file found, the base of the study's settings
  TPopulationCounts Population;
};

// One swept name (a settings key, or "EVENT.FIELD" of a named event) and its values.
struct TSweep {
  std::string Name;
  std::vector<double> Values;
};

struct TStudy {
  std::string File;    // the study file
  std::string Name;    // its name (the file's stem unless it says)
  std::string Folder;  // where its results go
  TSettings Settings;  // the base settings with the study's own values
  TPopulationCounts Population;
  std::vector<std::string> AnimalFiles;
  int32_t Width = 800, Height = 600;
  int64_t Steps = 0, Report = 0, Checkpoint = 0, Persistence = 5000;
  std::vector<uint64_t> Seeds;
  bool Zip = false;  // sweeps taken together, point by point, instead of crossed
  std::vector<TSweep> Sweeps;
  std::vector<TWorldEvent> Events;
  std::vector<std::string> EventNames;  // of each event, empty when it has none
  // Files each run writes at its end besides its rows: "taxa", "species", "animals", "world".
  std::vector<std::string> Outputs;
  bool Wants(const std::string& output) const;
};

// One run of a study: a point of the sweeps and a seed.
struct TStudyRun {
  int32_t Index = 0;  // from 0, in the order of points, then seeds
  int32_t Point = 0;  // the sweep point, from 0
  int32_t Replicate = 0;
  uint64_t Seed = 0;
  std::vector<double> Values;  // the swept values, in the order of the sweeps
  TSettings Settings;
  std::vector<TWorldEvent> Events;
  std::string Folder;  // the run's folder in the study's results: "runs/0007"
};

// Reads and checks a study file. Relative names in it are of its folder. Throws EVivarion
// "FILE:LINE: KEY: the fault" for the first fault found.
TStudy ReadStudyFile(const std::string& file, const TStudyDefaults& defaults);
// The same from text (name: for messages; folder: what relative names are of).
TStudy ReadStudyText(const std::string& text, const std::string& name, const std::string& folder,
                     const TStudyDefaults& defaults);

// Every run of the study, each with its settings and events checked (EVivarion naming the
// first run and fault, before any runs).
std::vector<TStudyRun> StudyRuns(const TStudy& study);

}  // namespace viv
