#include "cli/time_travel.h"

#include "cli/runner.h"
#include "config/data_files.h"
#include "config/errors.h"
#include "config/files.h"
#include "sim/timeline_file.h"

namespace viv {

std::optional<TTimeline> RunTimeline(const TRunnerOptions& o) {
  if (!o.At && !o.SaveTimeline && o.BranchSettingsFile.empty()) return std::nullopt;
  return TTimeline(o.KeyframeEvery);
}

void TravelLoadedWorld(const TRunnerOptions& o, TSimulation& sim, std::optional<TTimeline>& timeline,
                       std::ostream& err) {
  if (timeline) {
    // The timeline was made under the world's own rules: under them it is checked and replayed.
    const TSettings fileRules = sim.Rules();
    TSettings worldRules = sim.FileSettings();
    worldRules.FileName = fileRules.FileName;
    sim.SetRules(worldRules);
    const std::string saved = TimelineFileFor(o.LoadWorldFile);
    if (IsRegularFile(saved)) {
      timeline = LoadTimeline(saved, sim);
    } else {
      timeline->Note(sim);
    }
    if (o.At && *o.At != sim.StepCount()) {
      if (timeline->Reaches(*o.At)) {
        timeline->Rewind(sim, *o.At);
      } else if (*o.At > sim.StepCount()) {
        while (sim.StepCount() < *o.At) {
          sim.Step();
          timeline->Note(sim);
        }
      } else if (!IsRegularFile(saved)) {
        throw EVivarion("--at " + std::to_string(*o.At) + ": " + o.LoadWorldFile + " is at step " +
                        std::to_string(sim.StepCount()) + ", and no timeline was saved beside it (" + saved +
                        ") to go back with");
      } else {
        timeline->Rewind(sim, *o.At);  // refused with the reason
      }
    }
    sim.SetRules(fileRules);
  }
  if (const std::string note = SettleLoadedSettings(o, sim); !note.empty()) err << "vivarion-cli: " << note << '\n';
  if (!o.BranchSettingsFile.empty()) {
    CheckSettingsFile(o.BranchSettingsFile);
    TSettings branch;
    branch.Open(o.BranchSettingsFile);
    const std::string changes = SettingsDifferences(sim.Rules(), branch);
    err << "vivarion-cli: a branch from step " << sim.StepCount() << ": "
        << (changes.empty() ? "no setting differs" : changes) << '\n';
    sim.SetRules(branch);
  }
}

}  // namespace viv
