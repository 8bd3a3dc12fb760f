// What films cost: a frame of the shipped world at 1280x720 drawn, and encoded; and the
// shipped world stepped with and without a film of a frame every 100 steps.
#include <benchmark/benchmark.h>

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "config/thread_pool.h"
#include "film/film_encoder.h"
#include "sim/simulation.h"
#include "support/inside.h"
#include "view/frame.h"
#include "view/frame_png.h"
#include "view/world_film.h"

namespace viv {
namespace {

const std::string FilmFile = "/tmp/vivarion-bench-film.mp4";

TSimulation& ShippedWorld(TSimulation& sim) {
  sim.LoadWorld(std::string(VIV_BENCH_DIR) + "/seed3-60k.vivw");
  sim.SetRules(sim.FileSettings());
  return sim;
}

// range(0): 0 draws a frame, 1 encodes one (30 frames of the world 100 steps apart, in turn).
void BM_FilmFrame(benchmark::State& state) {
  EnsureGuiApplication();
  SetWorkerThreads(1);
  TSimulation sim;
  ShippedWorld(sim);
  TView view;
  view.WindowWidth = 1280, view.WindowHeight = 720;
  TFrameStatus status;
  std::vector<QImage> frames;
  for (int k = 0; k < 30; ++k) {
    for (int s = 0; s < 100; ++s) sim.Step();
    frames.emplace_back(1280, 720, QImage::Format_RGB32);
    DrawFrame(sim.Population(), view, status, frames.back());
  }
  if (state.range(0) == 0) {
    for (auto _ : state) DrawFrame(sim.Population(), view, status, frames[0]);
  } else {
    TFilmEncoder film(FilmFile, 1280, 720, 30);
    size_t k = 0;
    for (auto _ : state) {
      const QImage& f = frames[k++ % frames.size()];
      film.AddFrame(f.constBits(), f.width(), f.height(), static_cast<int32_t>(f.bytesPerLine()));
    }
    film.Finish();
    state.counters["bytes/frame"] = static_cast<double>(std::filesystem::file_size(FilmFile)) / state.iterations();
    std::filesystem::remove(FilmFile);
  }
  SetWorkerThreads(0);
}
BENCHMARK(BM_FilmFrame)->ArgNames({"encode"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The shipped world's steps a second, range(0): without a film, or with a 1280x720 frame
// every 100 steps, as vivarion-cli --film F --film-every 100 --film-size 1280x720 makes it.
void BM_FilmedWorld(benchmark::State& state) {
  EnsureGuiApplication();
  SetWorkerThreads(1);
  TSimulation sim;
  ShippedWorld(sim);
  std::unique_ptr<TWorldFilm> film;
  if (state.range(0) != 0) film = std::make_unique<TWorldFilm>(FilmFile, 1280, 720, 30, 100, TShotView());
  for (auto _ : state) {
    sim.Step();
    if (film) film->Shoot(sim.Population(), sim.StepCount());
  }
  if (film) film->Finish();
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  std::filesystem::remove(FilmFile);
  SetWorkerThreads(0);
}
BENCHMARK(BM_FilmedWorld)
    ->ArgNames({"film"})
    ->Arg(0)
    ->Arg(1)
    ->Iterations(5000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace
}  // namespace viv
