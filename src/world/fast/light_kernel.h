#pragma once
// The light of every eye at once. Eyes are taken in batches of eight that look the same
// way from nearby places; the eight sums are built side by side in vector lanes, each
// still adding the creatures it sees in list order, so every sum is bit for bit the one
// the plain pass computes. A cheap, conservative test of the whole batch skips the
// creatures that none of its eyes can see.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace viv {

constexpr int LightLanes = 8;

// The cone's half-angle is about 30.35 degrees (cos^2 about 0.7446). A creature whose bearing
// has cos^2 below LightCullCos2 is surely outside, one above LightSureCos2 surely inside;
// only bearings in between need the exact chord test with its divisions. The margins are far
// wider than the rounding of either computation.
constexpr double LightCullCos2 = 0.743;
constexpr double LightSureCos2 = 0.746;

// The population in square cells, so that a batch can pass over whole cells that none of its
// eyes can see. Members of a cell are in list order; creatures without a finite place are in
// a last cell that every batch visits.
struct TLightCells {
  std::vector<int32_t> Start;         // per cell, its first member; one more at the end
  std::vector<int32_t> Member;        // list indices, cell after cell
  std::vector<float> X, Y;            // the members' places, in the same order
  std::vector<double> CX, CY, Reach;  // per cell: centre and a radius that holds its members
  std::vector<int32_t> CellOf, Fill;  // scratch of the sorting, kept so that steps allocate nothing
  bool Built() const { return !Start.empty(); }
};

// Positions and colour bytes of the population, in list order.
struct TLightScene {
  std::vector<float> X, Y;
  float Extent = 0;  // the largest |X| or |Y|
  std::vector<double> Red, Green, Blue;
  TLightCells Cells;  // optional: without them every batch visits every creature
  void Resize(size_t n) { X.resize(n), Y.resize(n), Red.resize(n), Green.resize(n), Blue.resize(n); }
};

// Sorts the scene's creatures into about n / 64 cells (none for small scenes).
void BuildLightCells(TLightScene& scene);

// One batch: up to eight eyes (unused lanes have Viewer -1 and see nothing).
struct TLightBatch {
  float X[LightLanes], Y[LightLanes], CosD[LightLanes], SinD[LightLanes];
  int32_t Viewer[LightLanes];
  float Red[LightLanes], Green[LightLanes], Blue[LightLanes];  // results
};

struct TLightCounts {
  int64_t Tested = 0;  // eye-creature pairs tested exactly
  int64_t Culled = 0;  // pairs proved invisible by the batch test
};

// Fills the results of a batch. width is the eye's cone width (its square is compared).
// Uses AVX-512 where the processor has it, else GatherBatchPortable.
TLightCounts GatherBatch(const TLightScene& scene, float width, TLightBatch& batch);
// The same in portable vector code, for processors without AVX-512.
TLightCounts GatherBatchPortable(const TLightScene& scene, float width, TLightBatch& batch);

// The same sums computed one eye at a time with the plain scalar test (for benchmarks and
// tests); lanes without a viewer see nothing, as in GatherBatch.
void GatherOneByOne(const TLightScene& scene, float width, TLightBatch& batch);

}  // namespace viv
