#include "world/fast/light_kernel.h"

#include <algorithm>
#include <cmath>

#include "world/fast/organ_actions.h"

namespace viv {

typedef double v8d __attribute__((vector_size(64)));
typedef float v8f __attribute__((vector_size(32)));
typedef int64_t v8l __attribute__((vector_size(64)));

#if defined(__x86_64__)
TLightCounts GatherBatchAvx512(const TLightScene& scene, float width, TLightBatch& batch);
// On x86-64 the compiler makes an AVX2 copy too, taken where the processor has AVX2.
#define VIV_PORTABLE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VIV_PORTABLE_CLONES
#endif

VIV_PORTABLE_CLONES TLightCounts GatherBatchPortable(const TLightScene& scene, float width, TLightBatch& batch) {
  v8f ex, ey, cosF, sinF;
  v8l viewer;
  for (int l = 0; l < LightLanes; ++l) {
    ex[l] = batch.X[l], ey[l] = batch.Y[l], cosF[l] = batch.CosD[l], sinF[l] = batch.SinD[l];
    viewer[l] = batch.Viewer[l];
  }
  const v8d cosD = __builtin_convertvector(cosF, v8d), sinD = __builtin_convertvector(sinF, v8d);
  const v8l active = viewer >= 0;
  const double w2 = static_cast<double>(width * width);
  const v8d zero = {};
  v8d red = zero, green = zero, blue = zero;
  TLightCounts counts;

  const int64_t n = static_cast<int64_t>(scene.X.size());
  for (int64_t j = 0; j < n; ++j) {
    const v8f dxf = scene.X[j] - ex, dyf = scene.Y[j] - ey;
    const v8d dx = __builtin_convertvector(dxf, v8d), dy = __builtin_convertvector(dyf, v8d);
    const v8d dot = dx * cosD + dy * sinD;
    const v8d len2 = dx * dx + dy * dy;
    // Conservative: only bearings well outside the cone are dropped here.
    const v8l candidate = active & (viewer != j) & (dot > 0) & ~(dot * dot <= LightCullCos2 * len2);
    int64_t any = 0;
    for (int l = 0; l < LightLanes; ++l) any |= candidate[l];
    if (any == 0) {
      ++counts.Culled;
      continue;
    }
    ++counts.Tested;
    v8d root;
    for (int l = 0; l < LightLanes; ++l) root[l] = __builtin_sqrt(len2[l]);
    const v8d d = __builtin_convertvector(__builtin_convertvector(root, v8f), v8d);
    const v8d weight = __builtin_convertvector(__builtin_convertvector(LightWeight / d, v8f), v8d);
    v8l inside = candidate & (dot * dot > LightSureCos2 * len2);
    const v8l band = candidate & ~inside;
    int64_t anyBand = 0;
    for (int l = 0; l < LightLanes; ++l) anyBand |= band[l];
    if (anyBand != 0) {
      const v8d ux = dx / d - cosD, uy = dy / d - sinD;
      inside |= band & ~(ux * ux + uy * uy >= w2);
    }
    const v8l seen = inside & (d != 0) & (weight < __builtin_inf());
    const v8d r = scene.Red[j] * weight, g = scene.Green[j] * weight, b = scene.Blue[j] * weight;
    red = __builtin_convertvector(__builtin_convertvector(red + (seen ? r : zero), v8f), v8d);
    green = __builtin_convertvector(__builtin_convertvector(green + (seen ? g : zero), v8f), v8d);
    blue = __builtin_convertvector(__builtin_convertvector(blue + (seen ? b : zero), v8f), v8d);
  }
  for (int l = 0; l < LightLanes; ++l) {
    batch.Red[l] = static_cast<float>(red[l]);
    batch.Green[l] = static_cast<float>(green[l]);
    batch.Blue[l] = static_cast<float>(blue[l]);
  }
  counts.Tested *= LightLanes;
  counts.Culled *= LightLanes;
  return counts;
}

void BuildLightCells(TLightScene& scene) {
  TLightCells& c = scene.Cells;
  const size_t n = scene.X.size();
  c.Start.clear();
  // Small scenes gain nothing; wide ones take the kernel's double-precision path anyway.
  if (n < 2048 || !(scene.Extent < 1e15f)) return;
  float lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  for (size_t j = 0; j < n; ++j) {
    if (!std::isfinite(scene.X[j]) || !std::isfinite(scene.Y[j])) continue;
    lo[0] = std::min(lo[0], scene.X[j]), hi[0] = std::max(hi[0], scene.X[j]);
    lo[1] = std::min(lo[1], scene.Y[j]), hi[1] = std::max(hi[1], scene.Y[j]);
  }
  if (!(lo[0] <= hi[0])) return;
  const int side = std::clamp(static_cast<int>(std::sqrt(static_cast<double>(n) / 64)), 1, 128);
  const double w = std::max(1e-30, (static_cast<double>(hi[0]) - lo[0]) / side);
  const double h = std::max(1e-30, (static_cast<double>(hi[1]) - lo[1]) / side);
  const int cells = side * side + 1;  // the last: creatures without a finite place
  std::vector<int32_t>& cellOf = c.CellOf;
  cellOf.resize(n);
  c.Start.assign(static_cast<size_t>(cells) + 1, 0);
  for (size_t j = 0; j < n; ++j) {
    int cell = cells - 1;
    if (std::isfinite(scene.X[j]) && std::isfinite(scene.Y[j])) {
      const int cx = std::min(side - 1, static_cast<int>((scene.X[j] - lo[0]) / w));
      const int cy = std::min(side - 1, static_cast<int>((scene.Y[j] - lo[1]) / h));
      cell = cx * side + cy;
    }
    cellOf[j] = cell;
    ++c.Start[cell + 1];
  }
  for (int k = 0; k < cells; ++k) c.Start[k + 1] += c.Start[k];
  c.Member.resize(n), c.X.resize(n), c.Y.resize(n);
  std::vector<int32_t>& fill = c.Fill;
  fill.assign(c.Start.begin(), c.Start.end() - 1);
  for (size_t j = 0; j < n; ++j) {
    const int32_t at = fill[cellOf[j]]++;
    c.Member[at] = static_cast<int32_t>(j), c.X[at] = scene.X[j], c.Y[at] = scene.Y[j];
  }
  // Each cell's circle: around the middle of its members' box, reaching a little past the
  // farthest corner (a cell the eyes cannot see must be certain).
  c.CX.assign(cells, 0), c.CY.assign(cells, 0), c.Reach.assign(cells, INFINITY);
  for (int k = 0; k + 1 < cells; ++k) {
    if (c.Start[k] == c.Start[k + 1]) continue;
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    for (int32_t m = c.Start[k]; m < c.Start[k + 1]; ++m) {
      x0 = std::min<double>(x0, c.X[m]), x1 = std::max<double>(x1, c.X[m]);
      y0 = std::min<double>(y0, c.Y[m]), y1 = std::max<double>(y1, c.Y[m]);
    }
    c.CX[k] = (x0 + x1) / 2, c.CY[k] = (y0 + y1) / 2;
    c.Reach[k] = std::hypot(x1 - x0, y1 - y0) / 2 * (1 + 1e-6) + 1e-6 * (1 + std::fabs(c.CX[k]) + std::fabs(c.CY[k]));
  }
}

TLightCounts GatherBatch(const TLightScene& scene, float width, TLightBatch& batch) {
#if defined(__x86_64__)
  static const bool avx512 = __builtin_cpu_supports("avx512f");
  if (avx512) return GatherBatchAvx512(scene, width, batch);
#endif
  return GatherBatchPortable(scene, width, batch);
}

void GatherOneByOne(const TLightScene& scene, float width, TLightBatch& batch) {
  const float w2 = width * width;
  const int64_t n = static_cast<int64_t>(scene.X.size());
  for (int l = 0; l < LightLanes; ++l) {
    float red = 0, green = 0, blue = 0, weight;
    for (int64_t j = 0; j < n && batch.Viewer[l] >= 0; ++j) {
      if (j == batch.Viewer[l]) continue;
      if (!LightFrom(scene.X[j], scene.Y[j], batch.X[l], batch.Y[l], batch.CosD[l], batch.SinD[l], w2, weight))
        continue;
      red = static_cast<float>(red + scene.Red[j] * weight);
      green = static_cast<float>(green + scene.Green[j] * weight);
      blue = static_cast<float>(blue + scene.Blue[j] * weight);
    }
    batch.Red[l] = red, batch.Green[l] = green, batch.Blue[l] = blue;
  }
}

}  // namespace viv
