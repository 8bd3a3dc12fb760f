#include "app/world_document.h"

#include <algorithm>
#include <cctype>

#include "config/files.h"
#include "sim/timeline_file.h"

namespace viv {
namespace {

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

void TWorldDocument::Listen(std::function<void(const std::string&)> notice, std::function<void()> changed) {
  notice_ = std::move(notice);
  changed_ = std::move(changed);
}

void TWorldDocument::Notice(const std::string& text) const {
  if (notice_) notice_(text);
}

void TWorldDocument::Changed() const {
  if (changed_) changed_();
}

void TWorldDocument::Begin(const std::string& worldFile) {
  started_ = true;
  evolution_ = TEvolutionGraphs();
  graphs_ = TRunGraphs();
  StartTimeline(worldFile);
  Changed();
}

void TWorldDocument::StartTimeline(const std::string& worldFile) {
  other_.reset();
  branchName_ = "the original";
  overrides_.clear();
  partedAt_ = -1;
  branchesMade_ = 1;
  filmStarts_.clear();
  marksAhead_.clear();
  timeline_.emplace();
  const std::string saved = worldFile.empty() ? std::string() : TimelineFileFor(worldFile);
  if (saved.empty() || !IsRegularFile(saved)) {
    timeline_->Note(sim_);
    return;
  }
  // A saved timeline belongs to the world under the rules it was saved with.
  const TSettings mine = sim_.Rules();
  TSettings theirs = sim_.FileSettings();
  theirs.FileName = mine.FileName;
  sim_.SetRules(theirs);
  try {
    timeline_ = LoadTimeline(saved, sim_);
  } catch (const std::exception& e) {
    Notice(std::string("The timeline was not read: ") + e.what());
    timeline_->Note(sim_);
  }
  sim_.SetRules(mine);
}

void TWorldDocument::Step() {
  // A step's report comes before its keyframe, so that a keyframe holds the counts the report
  // restarted and going back gives the reports of a straight run.
  auto step = [](TSimulation& sim, TEvolutionGraphs& evolution, std::optional<TTimeline>& timeline) {
    sim.Step();
    const int64_t at = sim.StepCount();
    if (ReportedAt(at) && evolution.Wants(at)) evolution.Sample(at, sim.EvolutionReport(true), sim.Taxa());
    if (timeline) timeline->Note(sim);
  };
  step(sim_, evolution_, timeline_);
  if (!other_) return;
  step(other_->Sim, other_->Evolution, other_->Timeline);
  if (partedAt_ < 0 && sim_.Hash() != other_->Sim.Hash()) partedAt_ = sim_.StepCount();
}

void TWorldDocument::SampleGraphs() {
  if (started_) graphs_.Sample(sim_.Population(), sim_.StepCount());
  if (other_) other_->Graphs.Sample(other_->Sim.Population(), other_->Sim.StepCount());
}

void TWorldDocument::Keep(const std::string& fileName) {
  sim_.SaveWorld(fileName);
  const std::string timeline = TimelineFileFor(fileName);
  if (timeline_) {
    timeline_->Note(sim_);
    SaveTimeline(timeline, *timeline_, sim_);
  } else {
    std::remove(timeline.c_str());
  }
}

void TWorldDocument::PutRulesInForce(const TSettings& read) {
  if (other_) other_->Sim.SetRules(WithOverrides(read, other_->Overrides));
  sim_.SetRules(WithOverrides(read, overrides_));
}

std::string TWorldDocument::GoToStep(int64_t step) {
  if (!timeline_ || !started_) return {};
  std::string failed;
  try {
    timeline_->Note(sim_);  // a change made since the last step is the world's
    timeline_->Rewind(sim_, step, ReportedAt);
    graphs_.DropAfter(step);
    evolution_.DropAfter(step);
    if (other_) {
      other_->Timeline->Note(other_->Sim);
      if (other_->Timeline->Reaches(step)) {
        other_->Timeline->Rewind(other_->Sim, step, ReportedAt);
        other_->Graphs.DropAfter(step);
        other_->Evolution.DropAfter(step);
      } else {
        Notice("The branch beside cannot go to step " + std::to_string(step) + ": comparing stopped");
        other_.reset();
      }
    }
    if (partedAt_ > step) partedAt_ = -1;
  } catch (const std::exception& e) {
    failed = GroupedNumbers(e.what());
  }
  Changed();
  return failed;
}

void TWorldDocument::BranchHere(const std::map<std::string, double>& overrides) {
  if (!timeline_ || !started_) return;
  const TSettings branchRules = WithOverrides(sim_.Rules(), overrides);  // a bad value throws here
  timeline_->Note(sim_);
  // The world as it is goes beside, with its whole timeline; the shown world becomes the branch.
  auto original = std::make_unique<TBranchWorld>();
  original->Name = branchName_;
  original->Overrides = overrides_;
  original->Sim.CreatureLimit = sim_.CreatureLimit;
  original->Sim.SetPasses(sim_.Population().Passes);
  original->Sim.LoadWorldBody(sim_.WorldBody(), "the original branch");
  original->Sim.SetRules(sim_.Rules());
  original->Timeline = *timeline_;
  original->Timeline->Follow(original->Sim);
  original->Graphs = graphs_;
  original->Evolution = evolution_;
  timeline_ = timeline_->Branch(sim_);
  for (const auto& [key, value] : overrides) overrides_[key] = value;
  const std::string differences = SettingsDifferences(sim_.Rules(), branchRules);
  sim_.SetRules(branchRules);
  branchName_ =
      "branch " + std::to_string(++branchesMade_) + (differences.empty() ? " (a control)" : " (" + differences + ")");
  other_ = std::move(original);
  partedAt_ = -1;
  Notice("A new branch from step " + std::to_string(sim_.StepCount()) + ": " + branchName_ + "; " + other_->Name +
         " goes on beside it (V shows it)");
  Changed();
}

void TWorldDocument::SwitchBranch() {
  if (!other_ || !timeline_ || !other_->Timeline) return;
  timeline_->Note(sim_);
  other_->Timeline->Note(other_->Sim);
  // The worlds change places through their bytes: creatures belong to the world they live in.
  const std::string shown = sim_.WorldBody(), beside = other_->Sim.WorldBody();
  const TSettings shownRules = sim_.Rules(), besideRules = other_->Sim.Rules();
  sim_.LoadWorldBody(beside, other_->Name);
  sim_.SetRules(besideRules);
  other_->Sim.LoadWorldBody(shown, branchName_);
  other_->Sim.SetRules(shownRules);
  std::swap(timeline_, other_->Timeline);
  timeline_->Follow(sim_);
  other_->Timeline->Follow(other_->Sim);
  std::swap(graphs_, other_->Graphs);
  std::swap(evolution_, other_->Evolution);
  std::swap(overrides_, other_->Overrides);
  std::swap(branchName_, other_->Name);
  marksAhead_.clear();
  Notice("Shown: " + branchName_ + "; beside it: " + other_->Name);
  Changed();
}

void TWorldDocument::StopComparing() {
  other_.reset();
  partedAt_ = -1;
  Changed();
}

std::vector<TTimelineMark> TWorldDocument::TimelineMarks() const {
  std::vector<TTimelineMark> marks;
  if (!timeline_) return marks;
  const int64_t first = timeline_->First(), last = timeline_->Last();
  auto mark = [&](int64_t step, TTimelineMark::TKind kind, const std::string& text) {
    if (step >= first && step <= last) marks.push_back({step, kind, text});
  };
  for (int64_t s : timeline_->Seams())
    mark(s, TTimelineMark::Seam, "changed by hand (rules, a creature held or put in)");
  // Gone back, the world does not know its future: the marks seen at the furthest step serve
  // (those of a future forgotten since left out).
  if (sim_.StepCount() < last) {
    for (const TTimelineMark& m : marksAhead_) mark(m.Step, m.Kind, m.Text);
    return marks;
  }
  const size_t own = marks.size();
  for (const TWorldEvent& e : sim_.Events()) mark(e.Step, TTimelineMark::Event, EventText(e));
  const auto fewest = std::min_element(graphs_.Samples.begin(), graphs_.Samples.end(),
                                       [](const TRunSample& a, const TRunSample& b) { return a.Animals < b.Animals; });
  if (fewest != graphs_.Samples.end())
    mark(fewest->Step, TTimelineMark::Fewest, std::to_string(fewest->Animals) + " animals, the fewest");
  for (const TTaxon& t : sim_.Taxa().Taxa) {
    if (!t.Persistent) continue;
    mark(t.FirstStep, TTimelineMark::Founded, "taxon " + t.Label + " founded");
    if (t.Alive == 0) mark(t.LastStep, TTimelineMark::Extinct, "taxon " + t.Label + " extinct");
  }
  for (int64_t s : filmStarts_) mark(s, TTimelineMark::Film, "a film started");
  marksAhead_.assign(marks.begin() + static_cast<std::ptrdiff_t>(own), marks.end());
  return marks;
}

}  // namespace viv
