// The tools that give pictures and run studies: picture, chart, run_study.
#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "config/files.h"
#include "mcp/base64.h"
#include "mcp/served_world.h"
#include "mcp/toolbox.h"
#include "sim/study_file.h"
#include "sim/study_run.h"
#include "view/frame_png.h"
#include "view/run_charts.h"
#include "view/world_film.h"
#include "world/population_file.h"

namespace viv {

namespace {

TJson Png(const std::string& bytes) { return {{"type", "image"}, {"data", Base64(bytes)}, {"mimeType", "image/png"}}; }

TToolResult Picture(const TJson& a, TCall& call) {
  const TServedWorld& world = call.Worlds.Get(WorldName(a));
  TShotView shot;
  if (a.contains("centre")) shot.Centre = std::make_pair(a["centre"][0].get<float>(), a["centre"][1].get<float>());
  shot.Zoom = a.value("zoom", 0.2f);
  shot.Caption = a.value("caption", true);
  const std::string follow = a.value("follow", "");
  if (follow == "largest") {
    shot.FollowLargest = true;
  } else if (!follow.empty()) {
    char* end = nullptr;
    shot.FollowSerial = std::strtoull(follow.c_str(), &end, 10);
    if (*end != '\0' || shot.FollowSerial == 0)
      throw ETool("picture: follow takes \"largest\" or a creature's serial, not '" + Shown(follow) + "'");
    if (world.Sim().Population().FindSerial(shot.FollowSerial) == nullptr)
      throw ETool("picture: no living creature has serial " + follow);
  }
  const int32_t width = a.value("width", 800), height = a.value("height", 600);
  TViewKeeper keeper(shot);
  const TView view = keeper.ViewOf(world.Sim().Population(), width, height);
  TToolResult result;
  result.Pictures.push_back(Png(FramePngBytes(world.Sim().Population(), view, world.Sim().StepCount(), shot.Caption)));
  result.Structured = {{"step", world.Sim().StepCount()}, {"width", width}, {"height", height}, {"zoom", shot.Zoom}};
  return result;
}

TToolResult Chart(const TJson& a, TCall& call) {
  const TServedWorld& world = call.Worlds.Get(WorldName(a));
  const auto& samples = world.ChartSamples();
  if (samples.size() < 2) throw ETool("chart: the world has not run far enough for a chart (a point every 100 steps)");
  const int width = a.value("width", 1000), height = a.value("height", 900);
  TToolResult result;
  result.Pictures.push_back(Png(RunChartsPngBytes(samples, width, height)));
  result.Structured = {{"points", samples.size()}, {"from", samples.front().Step}, {"to", samples.back().Step}};
  return result;
}

// The first lines of a text file (a study's tables), for the answer.
std::string Head(const std::string& file, int lines) {
  std::ifstream in(file);
  std::string line, text;
  for (int k = 0; k < lines && std::getline(in, line); ++k) text += line + '\n';
  return text;
}

TToolResult RunStudyTool(const TJson& a, TCall& call) {
  const std::string file = a["file"];
  CheckInputFile(file, "a study file");
  const TStudy study = ReadStudyFile(file, {call.DefaultSettingsFile, ReadPopulation("")});
  const std::vector<TStudyRun> runs = StudyRuns(study);
  PrepareStudyFolder(study);
  std::atomic<bool> stop{false}, finished{false};
  std::mutex told;
  std::vector<std::string> notes;
  TStudyOptions options;
  options.Jobs = a.value("jobs", 1);
  options.Cancel = &stop;
  auto last = std::chrono::steady_clock::now();
  options.Progress = [&](const TStudyProgress& p) {
    if (std::chrono::steady_clock::now() - last < std::chrono::milliseconds(250) && p.RunsDone < p.RunsTotal) return;
    last = std::chrono::steady_clock::now();
    call.Progress(static_cast<double>(p.StepsDone), static_cast<double>(p.StepsTotal),
                  std::to_string(p.RunsDone) + " of " + std::to_string(p.RunsTotal) + " runs done");
  };
  options.Note = [&](const std::string& note) {
    const std::lock_guard<std::mutex> hold(told);
    notes.push_back(note);
  };
  // Cancellation and the time bound are watched beside the runs, which stop at their next step.
  std::thread watch([&] {
    while (!finished) {
      if (call.Cancelled() || std::chrono::steady_clock::now() >= call.Deadline) stop = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  bool done = false;
  try {
    done = RunStudy(study, runs, options);
  } catch (...) {
    finished = true;
    watch.join();
    throw;
  }
  finished = true;
  watch.join();
  TToolResult result;
  result.Structured = {{"study", study.Name}, {"folder", study.Folder}, {"runs", runs.size()}, {"notes", notes}};
  if (!done) {
    int32_t finishedRuns = 0;
    for (const TStudyRun& run : runs) finishedRuns += StudyRunDone(study, run) ? 1 : 0;
    result.Structured["runs_done"] = finishedRuns;
    result.Structured["stopped"] = std::string(call.Cancelled() ? "cancelled" : "the call's time bound was reached") +
                                   "; run_study again goes on from the runs' checkpoints";
    return result;
  }
  const std::string table = WriteStudyTables(study, runs);
  const std::string summary = study.Folder + "/summary.csv";
  result.Structured["results"] = table;
  result.Structured["summary_file"] = summary;
  result.Structured["summary"] = Head(summary, a.value("summary_lines", 200));
  return result;
}

}  // namespace

void AddPictureTools(TToolbox& box) {
  const TJson name = WorldNameSchema();
  const TJson pixels = WholeSchema("pixels", 16, 4096);
  box.push_back({"picture",
                 "A PNG picture of a world as the window shows it: centred on a point or following a creature "
                 "(a serial, or \"largest\"), at a zoom (pixels per world unit).",
                 ObjectSchema({{"name", name},
                               {"centre",
                                {{"type", "array"},
                                 {"description", "[x, y]: the world point at the middle (default the origin)"},
                                 {"items", {{"type", "number"}, {"minimum", -1e9}, {"maximum", 1e9}}},
                                 {"minItems", 2},
                                 {"maxItems", 2}}},
                               {"zoom",
                                {{"type", "number"},
                                 {"minimum", 0.001},
                                 {"maximum", 100},
                                 {"description", "pixels per world unit (default 0.2)"}}},
                               {"follow", TextSchema("\"largest\", or a creature's serial, to centre on")},
                               {"width", pixels},
                               {"height", pixels},
                               {"caption", FlagSchema("the line of step and counts (default true)")}},
                              {"name"}),
                 Picture});
  box.push_back(
      {"chart", "A PNG chart of a world's figures over its run: animals, plants, species; biomass; diversity.",
       ObjectSchema(
           {{"name", name}, {"width", WholeSchema("pixels", 200, 4096)}, {"height", WholeSchema("pixels", 200, 4096)}},
           {"name"}),
       Chart});
  box.push_back(
      {"run_study",
       "Run a study file (TOML; the resource vivarion://study-format says how to write one) with progress; "
       "gives the summary table and the results folder. A stopped study goes on where it stopped.",
       ObjectSchema({{"file", TextSchema("the study file")},
                     {"jobs", WholeSchema("runs at a time (default 1)", 1, 256)},
                     {"summary_lines", WholeSchema("lines of summary.csv in the answer (default 200)", 1, 100'000)}},
                    {"file"}),
       RunStudyTool});
}

}  // namespace viv
