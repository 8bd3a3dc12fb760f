// Any text as a study file: a fault naming the file, the line and the key, or runs whose
// settings and events a world takes.
#include <string>

#include "sim/simulation.h"
#include "sim/study_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const viv::TStudy study = viv::ReadStudyText(text, "fuzz.toml", ".", {"", {2, 50}});
    const std::vector<viv::TStudyRun> runs = viv::StudyRuns(study);
    if (runs.empty()) return 0;
    viv::TSimulation sim;
    sim.StartUp(runs.front().Settings, runs.front().Seed);
    sim.Populate(study.Width, study.Height, {}, {2, 50});
    sim.SetEvents(runs.front().Events);
  } catch (const std::exception&) {
  }
  return 0;
}
