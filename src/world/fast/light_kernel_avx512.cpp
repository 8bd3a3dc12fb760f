// The eye kernel with AVX-512: one lane per eye of the batch, in double precision, every
// operation the one the plain pass performs, so that the sums are bit for bit the same.
// First a cheap pass over the whole population notes, without branching, the creatures
// that some eye of the batch may see; then only those are worked out exactly, in order.
// Only x86-64 has it (the browser's build does without).
#if defined(__x86_64__)
// GCC 12's own AVX-512 conversion intrinsics start from an undefined register and warn about it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include <cmath>
#include <vector>

#include "world/fast/light_kernel.h"
#include "world/fast/organ_actions.h"

namespace viv {

namespace {

// Per thread: the creatures a batch may see and which of its eyes may see them.
struct TCandidates {
  std::vector<int32_t> Index;
  std::vector<uint8_t> Lanes;
  std::vector<uint64_t> Seen;        // with cells: a bit per creature that some eye may see
  std::vector<uint8_t> LanesByList;  // with cells: its lanes, by list index
};

// A cell is passed over when its circle lies wholly outside every eye's cone widened by a
// thousandth of a radian: far more than the rounding of the single-precision test, so that
// no creature that test would keep is ever in a cell passed over.
const double CellCone = std::acos(std::sqrt(LightCullCos2)) + 1e-3;
const double CellCos = std::cos(CellCone), CellSin = std::sin(CellCone);
// A cell whose circle lies wholly inside every eye's cone narrowed to the surely-seen bearings
// (less a thousandth of a radian) needs no test of its members: all of them are candidates of
// every eye, in front of it, and the exact work decides them as it would after the test.
const double InnerCone = std::acos(std::sqrt(LightSureCos2)) - 1e-3;
const double InnerCos = std::cos(InnerCone), InnerSin = std::sin(InnerCone);
const double InnerSinInv2 = 1 / (InnerSin * InnerSin);

thread_local TCandidates candidates;

#define VIV_AVX512 __attribute__((target("avx512f,avx512dq,avx512vl"), always_inline)) inline

// The conservative single-precision test of two creatures at once against the batch's eight
// cones: the first creature in the low half of the vectors, the second in the high half.
struct TConeTest {
  __m512 X, Y, Cos, Sin;
  __m512i Viewer;
  __mmask16 Active;
};

VIV_AVX512 __m512 Twice(__m256 v) { return _mm512_insertf32x8(_mm512_castps256_ps512(v), v, 1); }
VIV_AVX512 __m512 Pair(float a, float b) { return _mm512_insertf32x8(_mm512_set1_ps(a), _mm256_set1_ps(b), 1); }

VIV_AVX512 TConeTest MakeConeTest(const TLightBatch& batch, __mmask8 active) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(batch.Viewer));
  return {Twice(_mm256_loadu_ps(batch.X)),
          Twice(_mm256_loadu_ps(batch.Y)),
          Twice(_mm256_loadu_ps(batch.CosD)),
          Twice(_mm256_loadu_ps(batch.SinD)),
          _mm512_inserti64x4(_mm512_castsi256_si512(v), v, 1),
          static_cast<__mmask16>(active | active << 8)};
}

// The lanes whose eyes may see the creatures a and b (list indices) at (ax, ay) and (bx, by).
VIV_AVX512 __mmask16 ConeLanes(const TConeTest& t, float ax, float ay, int32_t a, float bx, float by, int32_t b) {
  const __m512 dx = _mm512_sub_ps(Pair(ax, bx), t.X), dy = _mm512_sub_ps(Pair(ay, by), t.Y);
  const __m512 dot = _mm512_add_ps(_mm512_mul_ps(dx, t.Cos), _mm512_mul_ps(dy, t.Sin));
  const __m512 len2 = _mm512_add_ps(_mm512_mul_ps(dx, dx), _mm512_mul_ps(dy, dy));
  const __m512i jj = _mm512_inserti64x4(_mm512_set1_epi32(a), _mm256_set1_epi32(b), 1);
  // Squares of tiny distances lose their precision in single precision: such pairs always go
  // on to the exact test.
  const __mmask16 tiny = _mm512_cmp_ps_mask(len2, _mm512_set1_ps(1e-30f), _CMP_LT_OQ);
  const __m512 cull = _mm512_set1_ps(static_cast<float>(LightCullCos2));
  return t.Active & _mm512_cmpneq_epi32_mask(t.Viewer, jj) & _mm512_cmp_ps_mask(dot, _mm512_setzero_ps(), _CMP_GT_OQ) &
         (tiny | _mm512_cmp_ps_mask(_mm512_mul_ps(dot, dot), _mm512_mul_ps(cull, len2), _CMP_NLE_UQ));
}

}  // namespace

__attribute__((target("avx512f,avx512dq,avx512vl"))) TLightCounts GatherBatchAvx512(const TLightScene& scene,
                                                                                    float width, TLightBatch& batch) {
  const __m256 ex = _mm256_loadu_ps(batch.X), ey = _mm256_loadu_ps(batch.Y);
  const __m512d cosD = _mm512_cvtps_pd(_mm256_loadu_ps(batch.CosD));
  const __m512d sinD = _mm512_cvtps_pd(_mm256_loadu_ps(batch.SinD));
  const __m512i viewer = _mm512_cvtepi32_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(batch.Viewer)));
  const __mmask8 active = _mm512_cmpge_epi64_mask(viewer, _mm512_setzero_si512());
  const __m512d w2 = _mm512_set1_pd(static_cast<double>(width * width));
  const __m512d cull = _mm512_set1_pd(LightCullCos2), sure = _mm512_set1_pd(LightSureCos2);
  const __m512d zero = _mm512_setzero_pd(), weightOf = _mm512_set1_pd(LightWeight);
  const __m512d infinity = _mm512_set1_pd(INFINITY);

  const int64_t n = static_cast<int64_t>(scene.X.size());
  TCandidates& c = candidates;
  if (static_cast<int64_t>(c.Index.size()) < n + 1) c.Index.resize(n + 1), c.Lanes.resize(n + 1);

  // Phase 1: the conservative test of every creature against all eight cones, two
  // creatures at a time in single precision (the margin of the test dwarfs its rounding;
  // scenes too wide for squares in single precision take the double-precision test).
  int64_t found = 0;
  int32_t* const index = c.Index.data();     // plain pointers: the stores must not make the
  uint8_t* const laneSets = c.Lanes.data();  // compiler reload the vectors at every creature
  auto note = [&](int64_t j, unsigned lanes) {
    index[found] = static_cast<int32_t>(j);
    laneSets[found] = static_cast<uint8_t>(lanes);
    found += lanes != 0;
  };
  int64_t j = 0;
  if (scene.Cells.Built()) {
    // By cells: only the cells some eye may see are tested, member by member; the members
    // found are gathered in list order through a bitmap, so phase 2 is as without cells.
    const TLightCells& cells = scene.Cells;
    const size_t words = static_cast<size_t>(n + 63) / 64;
    if (c.Seen.size() < words) c.Seen.assign(words, 0);
    if (static_cast<int64_t>(c.LanesByList.size()) < n) c.LanesByList.resize(n);
    uint64_t* const seen = c.Seen.data();
    uint8_t* const lanesByList = c.LanesByList.data();
    const __m512d exd = _mm512_cvtps_pd(ex), eyd = _mm512_cvtps_pd(ey);
    const __m512d coneCos = _mm512_set1_pd(CellCos), coneSin = _mm512_set1_pd(CellSin);
    const __m512d innerCos = _mm512_set1_pd(InnerCos), innerSin = _mm512_set1_pd(InnerSin);
    const __m512d innerSinInv2 = _mm512_set1_pd(InnerSinInv2);
    const TConeTest test = MakeConeTest(batch, active);
    auto mark = [&](int64_t k, unsigned lanes) {
      lanesByList[k] = static_cast<uint8_t>(lanes);
      seen[k >> 6] |= static_cast<uint64_t>(lanes != 0) << (k & 63);
    };
    const int cellCount = static_cast<int>(cells.Start.size()) - 1;
    for (int cell = 0; cell < cellCount; ++cell) {
      const int32_t first = cells.Start[cell], last = cells.Start[cell + 1];
      if (first == last) continue;
      const __m512d vx = _mm512_sub_pd(_mm512_set1_pd(cells.CX[cell]), exd);
      const __m512d vy = _mm512_sub_pd(_mm512_set1_pd(cells.CY[cell]), eyd);
      const __m512d reach = _mm512_set1_pd(cells.Reach[cell]);
      const __m512d l2 = _mm512_add_pd(_mm512_mul_pd(vx, vx), _mm512_mul_pd(vy, vy));
      const __m512d r2 = _mm512_mul_pd(reach, reach);
      const __m512d dot = _mm512_add_pd(_mm512_mul_pd(vx, cosD), _mm512_mul_pd(vy, sinD));
      // An eye in the circle may see all of it; else the circle subtends asin(reach / L)
      // about its centre, and is seen when dot / L >= cos(cone + that angle).
      const __m512d side = _mm512_sqrt_pd(_mm512_sub_pd(l2, r2));
      const __m512d bound = _mm512_sub_pd(_mm512_mul_pd(coneCos, side), _mm512_mul_pd(coneSin, reach));
      const __mmask8 visible =
          active & (_mm512_cmp_pd_mask(l2, r2, _CMP_NGT_UQ) | _mm512_cmp_pd_mask(dot, bound, _CMP_NLT_UQ));
      if (!visible) continue;
      // Wholly inside a cone: the circle subtends less than the cone (reach < L sin(cone)) and
      // its far edge is within it (dot / L >= cos(cone - asin(reach / L))).
      const __m512d inner = _mm512_add_pd(_mm512_mul_pd(innerCos, side), _mm512_mul_pd(innerSin, reach));
      const __mmask8 full = active & _mm512_cmp_pd_mask(_mm512_mul_pd(r2, innerSinInv2), l2, _CMP_LT_OQ) &
                            _mm512_cmp_pd_mask(dot, inner, _CMP_GE_OQ);
      if (full == active) {
        for (int32_t m = first; m < last; ++m) mark(cells.Member[m], active);
        continue;
      }
      int32_t m = first;
      for (; m + 2 <= last; m += 2) {
        const int32_t a = cells.Member[m], b = cells.Member[m + 1];
        const __mmask16 lanes = ConeLanes(test, cells.X[m], cells.Y[m], a, cells.X[m + 1], cells.Y[m + 1], b);
        mark(a, lanes & 0xFF);
        mark(b, lanes >> 8);
      }
      if (m < last) {
        const int32_t a = cells.Member[m];
        mark(a, ConeLanes(test, cells.X[m], cells.Y[m], a, cells.X[m], cells.Y[m], a) & 0xFF);
      }
    }
    for (size_t w = 0; w < words; ++w) {
      for (uint64_t bits = seen[w]; bits != 0; bits &= bits - 1) {
        const int64_t k = static_cast<int64_t>(w * 64) + __builtin_ctzll(bits);
        index[found] = static_cast<int32_t>(k);
        laneSets[found++] = lanesByList[k];
      }
      seen[w] = 0;
    }
    j = n;  // all done
  } else if (scene.Extent < 1e15f) {
    const TConeTest test = MakeConeTest(batch, active);
    for (; j + 2 <= n; j += 2) {
      const __mmask16 lanes = ConeLanes(test, scene.X[j], scene.Y[j], static_cast<int32_t>(j), scene.X[j + 1],
                                        scene.Y[j + 1], static_cast<int32_t>(j + 1));
      note(j, lanes & 0xFF);
      note(j + 1, lanes >> 8);
    }
  }
  for (; j < n; ++j) {
    const __m512d dx = _mm512_cvtps_pd(_mm256_sub_ps(_mm256_set1_ps(scene.X[j]), ex));
    const __m512d dy = _mm512_cvtps_pd(_mm256_sub_ps(_mm256_set1_ps(scene.Y[j]), ey));
    const __m512d dot = _mm512_add_pd(_mm512_mul_pd(dx, cosD), _mm512_mul_pd(dy, sinD));
    const __m512d len2 = _mm512_add_pd(_mm512_mul_pd(dx, dx), _mm512_mul_pd(dy, dy));
    note(j, active & _mm512_cmpneq_epi64_mask(viewer, _mm512_set1_epi64(j)) &
                _mm512_cmp_pd_mask(dot, zero, _CMP_GT_OQ) &
                _mm512_cmp_pd_mask(_mm512_mul_pd(dot, dot), _mm512_mul_pd(cull, len2), _CMP_NLE_UQ));
  }

  // Phase 2: the exact sums over the candidates, in list order.
  __m512d red = zero, green = zero, blue = zero;
  for (int64_t k = 0; k < found; ++k) {
    j = index[k];
    const __mmask8 lanes = laneSets[k];
    const __m512d dx = _mm512_cvtps_pd(_mm256_sub_ps(_mm256_set1_ps(scene.X[j]), ex));
    const __m512d dy = _mm512_cvtps_pd(_mm256_sub_ps(_mm256_set1_ps(scene.Y[j]), ey));
    // Fused where it changes nothing: squares of floats and colour bytes times float weights
    // are exact in double, so a fused multiply-add rounds once, as the separate operations do;
    // the cone product only meets the wide margins.
    const __m512d dot = _mm512_fmadd_pd(dx, cosD, _mm512_mul_pd(dy, sinD));
    const __m512d len2 = _mm512_fmadd_pd(dx, dx, _mm512_mul_pd(dy, dy));
    const __m512d d = _mm512_cvtps_pd(_mm512_cvtpd_ps(_mm512_sqrt_pd(len2)));
    const __m512d weight = _mm512_cvtps_pd(_mm512_cvtpd_ps(_mm512_div_pd(weightOf, d)));
    __mmask8 inside = lanes & _mm512_cmp_pd_mask(_mm512_mul_pd(dot, dot), _mm512_mul_pd(sure, len2), _CMP_GT_OQ);
    const __mmask8 band = lanes & ~inside;
    if (band) {
      const __m512d ux = _mm512_sub_pd(_mm512_div_pd(dx, d), cosD);
      const __m512d uy = _mm512_sub_pd(_mm512_div_pd(dy, d), sinD);
      const __m512d chord = _mm512_add_pd(_mm512_mul_pd(ux, ux), _mm512_mul_pd(uy, uy));
      inside |= band & _mm512_cmp_pd_mask(chord, w2, _CMP_NGE_UQ);
    }
    // A creature at the eye (d = +0) has an infinite weight, so one test drops it too.
    const __mmask8 seen = inside & _mm512_cmp_pd_mask(weight, infinity, _CMP_LT_OQ);
    red = _mm512_cvtps_pd(_mm512_cvtpd_ps(_mm512_mask3_fmadd_pd(_mm512_set1_pd(scene.Red[j]), weight, red, seen)));
    green =
        _mm512_cvtps_pd(_mm512_cvtpd_ps(_mm512_mask3_fmadd_pd(_mm512_set1_pd(scene.Green[j]), weight, green, seen)));
    blue = _mm512_cvtps_pd(_mm512_cvtpd_ps(_mm512_mask3_fmadd_pd(_mm512_set1_pd(scene.Blue[j]), weight, blue, seen)));
  }
  _mm256_storeu_ps(batch.Red, _mm512_cvtpd_ps(red));
  _mm256_storeu_ps(batch.Green, _mm512_cvtpd_ps(green));
  _mm256_storeu_ps(batch.Blue, _mm512_cvtpd_ps(blue));
  return {found * LightLanes, (n - found) * LightLanes};
}

}  // namespace viv

#endif  // __x86_64__
