#include "cli/time_travel.h"

#include "cli/runner.h"
#include "config/data_files.h"
#include "config/errors.h"
#include "config/files.h"
#include "sim/run_driver.h"
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
    // The steps passed on the way take the reports this run's --report would have taken, so
    // that the rows after --at are those of a run that went straight on.
    // (A report follows a step: the world's start at step 0 took none.)
    auto reportedAt = [&](int64_t step) { return o.Report > 0 && step > 0 && step % o.Report == 0; };
    if (o.At && *o.At != sim.StepCount()) {
      if (timeline->Reaches(*o.At)) {
        timeline->Rewind(sim, *o.At, reportedAt);
      } else if (*o.At > sim.StepCount()) {
        while (sim.StepCount() < *o.At) {
          sim.Step();
          if (reportedAt(sim.StepCount())) TakeRunReport(sim, true);
          timeline->Note(sim);
        }
      } else if (!IsRegularFile(saved)) {
        throw EVivarion("--at " + std::to_string(*o.At) + ": " + o.LoadWorldFile + " is at step " +
                        std::to_string(sim.StepCount()) + ", and no timeline was saved beside it (" + saved +
                        ") to go back with");
      } else {
        timeline->Rewind(sim, *o.At, reportedAt);  // refused with the reason
      }
    }
    sim.SetRules(fileRules);
  }
  if (const std::string note = SettleLoadedSettings(o, sim); !note.empty()) err << "vivarion-cli: " << note << '\n';
  if (!o.BranchSettingsFile.empty()) {
    CheckSettingsFile(o.BranchSettingsFile);
    TSettings branch = sim.Rules();
    branch.ReadOver(o.BranchSettingsFile);
    if (const std::string note = UnknownKeysNote(branch); !note.empty()) err << "vivarion-cli: " << note << '\n';
    const std::string changes = SettingsDifferences(sim.Rules(), branch);
    err << "vivarion-cli: a branch from step " << sim.StepCount() << ": "
        << (changes.empty() ? "no setting differs" : changes) << '\n';
    sim.SetRules(branch);
  }
}

}  // namespace viv
