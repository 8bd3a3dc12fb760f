// Time travel in the window: the shown world's timeline, going to a step, branches from the
// step shown and the branch stepped beside the shown one.
#include <algorithm>
#include <cctype>

#include "app/branch_dialog.h"
#include "app/main_window.h"
#include "config/files.h"
#include "sim/timeline_file.h"

namespace viv {
namespace {

// Keeps the samples up to step: a world gone back has not yet lived what came after.
template <class Samples>
void DropAfter(Samples& samples, int64_t step) {
  samples.erase(std::find_if(samples.begin(), samples.end(), [&](const auto& s) { return s.Step > step; }),
                samples.end());
}

TSettings WithOverrides(TSettings rules, const std::map<std::string, double>& overrides) {
  for (const auto& [key, value] : overrides) rules.Set(key, value);
  return rules;
}

// Steps in a message as the window writes them everywhere: "37,929".
std::string GroupedNumbers(const std::string& text) {
  std::string out;
  for (size_t k = 0; k < text.size();) {
    size_t end = k;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    // Only whole numbers standing alone: not parts of names, paths or decimals.
    auto partOfWord = [](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '/';
    };
    const bool alone = (k == 0 || !partOfWord(text[k - 1])) &&
                       (end == text.size() || !partOfWord(text[end]) || (text[end] == '.' && end + 1 == text.size()));
    if (end == k || !alone) {
      out.append(text, k, std::max(end, k + 1) - k);
      k = std::max(end, k + 1);
      continue;
    }
    for (size_t d = k; d < end; ++d) {
      out += text[d];
      if (end - d > 1 && (end - d - 1) % 3 == 0) out += ',';
    }
    k = end;
  }
  return out;
}

}  // namespace

void TfrmVivarion::StartTimeline(const std::string& worldFile) {
  Other.reset();
  BranchName = "the original";
  Overrides.clear();
  PartedAtStep = -1;
  BranchesMade = 1;
  FilmStarts.clear();
  MarksAhead.clear();
  Timeline.emplace();
  const std::string saved = worldFile.empty() ? std::string() : TimelineFileFor(worldFile);
  if (saved.empty() || !IsRegularFile(saved)) {
    Timeline->Note(Sim);
    return;
  }
  // A saved timeline belongs to the world under the rules it was saved with.
  const TSettings mine = Sim.Rules();
  TSettings theirs = Sim.FileSettings();
  theirs.FileName = mine.FileName;
  Sim.SetRules(theirs);
  try {
    Timeline = LoadTimeline(saved, Sim);
  } catch (const std::exception& e) {
    ShowNotice(std::string("The timeline was not read: ") + e.what());
    Timeline->Note(Sim);
  }
  Sim.SetRules(mine);
}

void TfrmVivarion::StepBesides() {
  if (Timeline) Timeline->Note(Sim);
  if (!Other) return;
  Other->Sim.Step();
  if (Other->Timeline) Other->Timeline->Note(Other->Sim);
  const int64_t step = Other->Sim.StepCount();
  if (step % EvolutionEvery == 0 && Other->Evolution.Wants(step))
    Other->Evolution.Sample(step, Other->Sim.EvolutionReport(true), Other->Sim.Taxa());
  if (PartedAtStep < 0 && Sim.Hash() != Other->Sim.Hash()) PartedAtStep = Sim.StepCount();
}

std::string TfrmVivarion::GoToStep(int64_t step) {
  if (!Timeline || !WorldStarted) return {};
  std::string failed;
  try {
    Timeline->Note(Sim);  // a change made since the last step is the world's
    Timeline->Rewind(Sim, step);
    DropAfter(Graphs.Samples, step);
    DropAfter(Evolution.Samples, step);
    if (Other) {
      Other->Timeline->Note(Other->Sim);
      if (Other->Timeline->Reaches(step)) {
        Other->Timeline->Rewind(Other->Sim, step);
        DropAfter(Other->Graphs.Samples, step);
        DropAfter(Other->Evolution.Samples, step);
      } else {
        ShowNotice("The branch beside cannot go to step " + std::to_string(step) + ": comparing stopped");
        Other.reset();
      }
    }
    if (PartedAtStep > step) PartedAtStep = -1;
  } catch (const std::exception& e) {
    failed = GroupedNumbers(e.what());
  }
  NeedsRedraw = true;
  return failed;
}

void TfrmVivarion::TravelBy(int64_t steps) {
  if (!Timeline || !WorldStarted) return;
  if (steps < 0) {
    if (steps == -1) Paused = true;
    if (const std::string failed = GoToStep(std::max(Sim.StepCount() + steps, Timeline->First())); !failed.empty())
      ShowNotice(failed);
    return;
  }
  // Forward is the world's own course from here: the same world the timeline saw, if nothing
  // was changed by hand on the way.
  if (steps == 1) Paused = true;
  try {
    for (int64_t k = 0; k < steps; ++k) {
      StepWorld();
      Graphs.Sample(Population, Sim.StepCount());
    }
  } catch (const std::exception& e) {
    ReportError(e);
  }
  NeedsRedraw = true;
}

void TfrmVivarion::BranchHereDialog() {
  if (!Timeline || !WorldStarted) return;
  TBranchDialog dialog(this, Sim.Rules(), Sim.StepCount());
  if (dialog.exec() != QDialog::Accepted) return;
  try {
    BranchHere(dialog.Overrides());
  } catch (const std::exception& e) {
    ReportError(e);
  }
}

void TfrmVivarion::BranchHere(const std::map<std::string, double>& overrides) {
  if (!Timeline || !WorldStarted) return;
  const TSettings branchRules = WithOverrides(Sim.Rules(), overrides);  // a bad value throws here
  Timeline->Note(Sim);
  // The world as it is goes beside, with its whole timeline; the shown world becomes the branch.
  auto original = std::make_unique<TBranchWorld>();
  original->Name = BranchName;
  original->Overrides = Overrides;
  original->Sim.CreatureLimit = Sim.CreatureLimit;
  original->Sim.SetPasses(Population.Passes);
  original->Sim.LoadWorldBody(Sim.WorldBody(), "the original branch");
  original->Sim.SetRules(Sim.Rules());
  original->Timeline = *Timeline;
  original->Timeline->Follow(original->Sim);
  original->Graphs = Graphs;
  original->Evolution = Evolution;
  Timeline = Timeline->Branch(Sim);
  for (const auto& [key, value] : overrides) Overrides[key] = value;
  const std::string differences = SettingsDifferences(Sim.Rules(), branchRules);
  Sim.SetRules(branchRules);
  BranchName =
      "branch " + std::to_string(++BranchesMade) + (differences.empty() ? " (a control)" : " (" + differences + ")");
  Other = std::move(original);
  PartedAtStep = -1;
  ShowNotice("A new branch from step " + std::to_string(Sim.StepCount()) + ": " + BranchName + "; " + Other->Name +
             " goes on beside it (V shows it)");
}

void TfrmVivarion::SwitchBranch() {
  if (!Other || !Timeline || !Other->Timeline) return;
  try {
    Timeline->Note(Sim);
    Other->Timeline->Note(Other->Sim);
    // The worlds change places through their bytes: creatures belong to the world they live in.
    const std::string shown = Sim.WorldBody(), beside = Other->Sim.WorldBody();
    const TSettings shownRules = Sim.Rules(), besideRules = Other->Sim.Rules();
    Sim.LoadWorldBody(beside, Other->Name);
    Sim.SetRules(besideRules);
    Other->Sim.LoadWorldBody(shown, BranchName);
    Other->Sim.SetRules(shownRules);
    std::swap(Timeline, Other->Timeline);
    Timeline->Follow(Sim);
    Other->Timeline->Follow(Other->Sim);
    std::swap(Graphs, Other->Graphs);
    std::swap(Evolution, Other->Evolution);
    std::swap(Overrides, Other->Overrides);
    std::swap(BranchName, Other->Name);
    MarksAhead.clear();
    ShowNotice("Shown: " + BranchName + "; beside it: " + Other->Name);
  } catch (const std::exception& e) {
    ReportError(e);
  }
  NeedsRedraw = true;
}

void TfrmVivarion::StopComparing() {
  Other.reset();
  PartedAtStep = -1;
  NeedsRedraw = true;
}

std::vector<TTimelineMark> TfrmVivarion::TimelineMarks() const {
  std::vector<TTimelineMark> marks;
  if (!Timeline) return marks;
  const int64_t first = Timeline->First(), last = Timeline->Last();
  auto mark = [&](int64_t step, TTimelineMark::TKind kind, const std::string& text) {
    if (step >= first && step <= last) marks.push_back({step, kind, text});
  };
  for (int64_t s : Timeline->Seams())
    mark(s, TTimelineMark::Seam, "changed by hand (rules, a creature held or put in)");
  // Gone back, the world does not know its future: the marks seen at the furthest step serve
  // (those of a future forgotten since left out).
  if (Sim.StepCount() < last) {
    for (const TTimelineMark& m : MarksAhead) mark(m.Step, m.Kind, m.Text);
    return marks;
  }
  const size_t own = marks.size();
  for (const TWorldEvent& e : Sim.Events()) mark(e.Step, TTimelineMark::Event, EventText(e));
  const auto fewest = std::min_element(Graphs.Samples.begin(), Graphs.Samples.end(),
                                       [](const TRunSample& a, const TRunSample& b) { return a.Animals < b.Animals; });
  if (fewest != Graphs.Samples.end())
    mark(fewest->Step, TTimelineMark::Fewest, std::to_string(fewest->Animals) + " animals, the fewest");
  for (const TTaxon& t : Sim.Taxa().Taxa) {
    if (!t.Persistent) continue;
    mark(t.FirstStep, TTimelineMark::Founded, "taxon " + t.Label + " founded");
    if (t.Alive == 0) mark(t.LastStep, TTimelineMark::Extinct, "taxon " + t.Label + " extinct");
  }
  for (int64_t s : FilmStarts) mark(s, TTimelineMark::Film, "a film started");
  MarksAhead.assign(marks.begin() + static_cast<std::ptrdiff_t>(own), marks.end());
  return marks;
}

}  // namespace viv
