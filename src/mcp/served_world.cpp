#include "mcp/served_world.h"

#include <algorithm>
#include <cctype>

#include "config/errors.h"
#include "config/files.h"
#include "mcp/toolbox.h"
#include "sim/timeline_file.h"
#include "sim/world_file.h"

namespace viv {

namespace {
// Thrown from a run's step to stop it there (the step is whole: the world is one of the run's).
struct TStopRun {};
}  // namespace

TServedWorld::TServedWorld() = default;

uint64_t TServedWorld::Make(const TSettings& rules, std::optional<uint64_t> seed, int32_t width, int32_t height,
                            const std::vector<std::string>& animalFiles, const TPopulationCounts& counts) {
  const uint64_t used = sim_->StartUp(rules, seed);
  sim_->Populate(width, height, animalFiles, counts);
  timeline_.Note(*sim_);
  SampleChart();
  return used;
}

void TServedWorld::Load(const std::string& file, const std::optional<TSettings>& rules) {
  sim_->LoadWorld(file);
  sim_->SetRules(rules ? *rules : sim_->FileSettings());
  const std::string saved = TimelineFileFor(file);
  if (IsRegularFile(saved)) timeline_ = LoadTimeline(saved, *sim_);
  else timeline_.Note(*sim_);
  SampleChart();
}

void TServedWorld::Save(const std::string& file, bool withTimeline) {
  timeline_.Note(*sim_);
  sim_->SaveWorld(file);
  if (withTimeline) SaveTimeline(TimelineFileFor(file), timeline_, *sim_);
}

void TServedWorld::Run(int64_t last, int64_t report, const std::function<bool()>& afterStep,
                       const std::function<void(const TRunReport&)>& onReport) {
  ForgetUndone();
  timeline_.Note(*sim_);  // a change made since the last step is the world's too
  TRunDriver driver(*sim_, TRunPlan{report, 0, "", false});
  try {
    driver.RunTo(
        last,
        [&] {
          timeline_.Note(*sim_);
          SampleChart();
          if (!afterStep()) throw TStopRun{};
        },
        [&](const TRunReport& r) {
          reportSteps_.push_back(r.Step);
          onReport(r);
        },
        false);
  } catch (const TStopRun&) {
  }
}

TRunReport TServedWorld::ReportNow() {
  ForgetUndone();
  TRunReport r = TakeRunReport(*sim_, true);
  reportSteps_.push_back(r.Step);
  return r;
}

void TServedWorld::Rewind(int64_t step, const std::function<bool()>& keepGoing) {
  timeline_.Note(*sim_);
  int64_t k = 0;
  timeline_.Rewind(*sim_, step, [&](int64_t s) {
    if (++k % 64 == 0 && !keepGoing()) throw ETool("the rewind was stopped; the world is at step " + std::to_string(s));
    return std::binary_search(reportSteps_.begin(), reportSteps_.end(), s);
  });
  chart_.DropAfter(sim_->StepCount());
}

std::unique_ptr<TServedWorld> TServedWorld::Branch(const TSettings& rules) {
  timeline_.Note(*sim_);
  auto w = std::make_unique<TServedWorld>();
  w->sim_->CreatureLimit = sim_->CreatureLimit;
  w->sim_->SetPasses(sim_->Population().Passes);
  w->sim_->LoadWorldBody(sim_->WorldBody(), "the branch");
  w->sim_->SetRules(sim_->Rules());
  w->timeline_ = timeline_.Branch(*w->sim_);
  w->reportSteps_ = reportSteps_;
  w->chart_ = chart_;
  w->ForgetUndone();
  w->sim_->SetRules(rules);
  return w;
}

void TServedWorld::ForgetUndone() {
  const int64_t now = sim_->StepCount();
  while (!reportSteps_.empty() && reportSteps_.back() > now) reportSteps_.pop_back();
  chart_.DropAfter(now);
}

void TServedWorld::SampleChart() {
  const int64_t step = sim_->StepCount();
  if (step % ChartEvery == 0 && (chart_.Samples.empty() || chart_.Samples.back().Step < step))
    chart_.Sample(sim_->Population(), step);
}

namespace {

bool WellFormedName(const std::string& name) {
  if (name.empty() || name.size() > 64) return false;
  return std::all_of(name.begin(), name.end(),
                     [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '-' || c == '.'; });
}

std::string Names(const std::map<std::string, std::unique_ptr<TServedWorld>>& worlds) {
  std::string names;
  for (const auto& [name, _] : worlds) names += (names.empty() ? "" : ", ") + name;
  return names.empty() ? "none" : names;
}

}  // namespace

TServedWorld& TWorldShelf::Get(const std::string& name) {
  const auto at = worlds_.find(name);
  if (at == worlds_.end()) throw ETool("no world is called '" + name + "' (the worlds held: " + Names(worlds_) + ")");
  return *at->second;
}

void TWorldShelf::CheckRoom(const std::string& name) const {
  if (!WellFormedName(name))
    throw ETool("'" + name + "' cannot name a world: use 1 to 64 letters, digits, '_', '-' or '.'");
  if (worlds_.count(name) != 0)
    throw ETool("a world is already called '" + name + "': close it first or choose another name");
  if (worlds_.size() >= most_)
    throw ETool("the server holds " + std::to_string(worlds_.size()) + " worlds, its most (--max-worlds " +
                std::to_string(most_) + "): close one first");
}

void TWorldShelf::Put(const std::string& name, std::unique_ptr<TServedWorld> world) {
  CheckRoom(name);
  worlds_[name] = std::move(world);
}

void TWorldShelf::Close(const std::string& name) {
  Get(name);
  worlds_.erase(name);
}

}  // namespace viv
