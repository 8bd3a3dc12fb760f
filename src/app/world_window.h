#pragma once
// What the other windows (the observatory, information windows, the animal editor) ask of the
// window that shows the world: they see the world and the view through this and nothing else.
#include <cstdint>
#include <string>
#include <vector>

#include "app/branch_world.h"
#include "history/evolution_samples.h"
#include "history/run_samples.h"
#include "sim/simulation.h"

class QWidget;

namespace viv {

class TCreature;

class TWorldWindow {
 public:
  virtual ~TWorldWindow() = default;

  // The window itself: where the other windows place themselves and send the world's keys.
  virtual QWidget* Widget() = 0;
  // The world shown; whether it runs (the start panel is away).
  virtual const TSimulation& Shown() const = 0;
  virtual bool WorldRuns() const = 0;
  // The run's figures over time and the measures of evolution, as the window samples them.
  virtual const TRunGraphs& RunGraphs() const = 0;
  virtual const TEvolutionGraphs& EvolutionGraphs() const = 0;

  // Centres the view on a point of the world.
  virtual void CentreOn(float x, float y) = 0;
  // Puts an animal file's text (name: its file) into the world at the view's centre and
  // returns its serial; a bad text throws.
  virtual uint64_t PutAnimalAtCentre(const std::string& text, const std::string& name) = 0;
  // Rings a species (by name) or a taxon (by id; 0 for none) in the view.
  virtual void Outline(const std::string& species, uint64_t taxon) = 0;
  // Shows text under the overlay for a few seconds.
  virtual void ShowNotice(const std::string& text) = 0;

  // The creature the observatory's inspector follows, 0 for none.
  virtual uint64_t InspectedSerial() const = 0;
  virtual void ShowInspector(uint64_t serial) = 0;
  virtual void OpenInfoWindow(const TCreature& creature) = 0;
  virtual void EditCreature(uint64_t serial) = 0;
  virtual void SaveWorldDialog() = 0;
  virtual void OpenWorldDialog() = 0;

  // Time travel. The shown world's timeline (nullptr when it keeps none) and its bar's marks.
  virtual const TTimeline* ShownTimeline() const = 0;
  virtual std::vector<TTimelineMark> TimelineMarks() const = 0;
  // Puts the shown world (and the branch beside it) at step. Returns why it could not (steps
  // written with thousands separators), or empty: the caller shows it where it was asked.
  virtual std::string GoToStep(int64_t step) = 0;
  // Asks for a new branch's settings and starts it from the step shown.
  virtual void BranchHereDialog() = 0;
  // The branch stepped beside the one shown (nullptr: none), the shown one's name, and the
  // first step at which the two worlds differ (-1: none so far).
  virtual const TBranchWorld* ComparedBranch() const = 0;
  virtual std::string ShownBranchName() const = 0;
  virtual int64_t PartedAt() const = 0;
  // Shows the other branch (the one shown goes beside it); stops stepping the other.
  virtual void SwitchBranch() = 0;
  virtual void StopComparing() = 0;
};

}  // namespace viv
