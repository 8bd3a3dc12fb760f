// The eye kernel with AVX-512: one lane per eye of the batch, in double precision, every
// operation the one the plain pass performs, so that the sums are bit for bit the same.
#include <immintrin.h>

#include <cmath>

#include "world/light_kernel.h"
#include "world/sensing.h"

namespace viv {

__attribute__((target("avx512f"))) TLightCounts GatherBatchAvx512(const TLightScene& scene, float width,
                                                                   TLightBatch& batch) {
  const __m256 ex = _mm256_loadu_ps(batch.X), ey = _mm256_loadu_ps(batch.Y);
  const __m512d cosD = _mm512_cvtps_pd(_mm256_loadu_ps(batch.CosD));
  const __m512d sinD = _mm512_cvtps_pd(_mm256_loadu_ps(batch.SinD));
  const __m512i viewer = _mm512_cvtepi32_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(batch.Viewer)));
  const __mmask8 active = _mm512_cmpge_epi64_mask(viewer, _mm512_setzero_si512());
  const __m512d w2 = _mm512_set1_pd(static_cast<double>(width * width));
  const __m512d cull = _mm512_set1_pd(LightCullCos2), sure = _mm512_set1_pd(LightSureCos2);
  const __m512d zero = _mm512_setzero_pd(), weightOf = _mm512_set1_pd(LightWeight);
  const __m512d infinity = _mm512_set1_pd(INFINITY);
  __m512d red = zero, green = zero, blue = zero;
  alignas(32) float lone[3][LightLanes] = {};
  int64_t tested = 0, culled = 0;

  const int64_t n = static_cast<int64_t>(scene.X.size());
  for (int64_t j = 0; j < n; ++j) {
    const __m512d dx = _mm512_cvtps_pd(_mm256_sub_ps(_mm256_set1_ps(scene.X[j]), ex));
    const __m512d dy = _mm512_cvtps_pd(_mm256_sub_ps(_mm256_set1_ps(scene.Y[j]), ey));
    const __m512d dot = _mm512_add_pd(_mm512_mul_pd(dx, cosD), _mm512_mul_pd(dy, sinD));
    const __m512d len2 = _mm512_add_pd(_mm512_mul_pd(dx, dx), _mm512_mul_pd(dy, dy));
    const __m512d dot2 = _mm512_mul_pd(dot, dot);
    __mmask8 candidate = active & _mm512_cmpneq_epi64_mask(viewer, _mm512_set1_epi64(j)) &
                         _mm512_cmp_pd_mask(dot, zero, _CMP_GT_OQ) &
                         _mm512_cmp_pd_mask(dot2, _mm512_mul_pd(cull, len2), _CMP_NLE_UQ);
    if (!candidate) {
      ++culled;
      continue;
    }
    ++tested;
    if (__builtin_popcount(candidate) <= 2) {
      // One or two eyes: the scalar test, lane by lane, is cheaper than a full vector.
      do {
        const int l = __builtin_ctz(candidate);
        candidate &= candidate - 1;
        float weight;
        if (LightFrom(scene.X[j], scene.Y[j], batch.X[l], batch.Y[l], batch.CosD[l], batch.SinD[l], width * width,
                      weight)) {
          lone[0][l] = static_cast<float>(lone[0][l] + scene.Red[j] * weight);
          lone[1][l] = static_cast<float>(lone[1][l] + scene.Green[j] * weight);
          lone[2][l] = static_cast<float>(lone[2][l] + scene.Blue[j] * weight);
        }
      } while (candidate);
      continue;
    }
    // Lanes hold their sums in the vectors or in lone[], whichever was used last.
    red = _mm512_cvtps_pd(_mm256_loadu_ps(lone[0]));
    green = _mm512_cvtps_pd(_mm256_loadu_ps(lone[1]));
    blue = _mm512_cvtps_pd(_mm256_loadu_ps(lone[2]));
    const __m512d d = _mm512_cvtps_pd(_mm512_cvtpd_ps(_mm512_sqrt_pd(len2)));
    const __m512d weight = _mm512_cvtps_pd(_mm512_cvtpd_ps(_mm512_div_pd(weightOf, d)));
    __mmask8 inside = candidate & _mm512_cmp_pd_mask(dot2, _mm512_mul_pd(sure, len2), _CMP_GT_OQ);
    const __mmask8 band = candidate & ~inside;
    if (band) {
      const __m512d ux = _mm512_sub_pd(_mm512_div_pd(dx, d), cosD);
      const __m512d uy = _mm512_sub_pd(_mm512_div_pd(dy, d), sinD);
      const __m512d chord = _mm512_add_pd(_mm512_mul_pd(ux, ux), _mm512_mul_pd(uy, uy));
      inside |= band & _mm512_cmp_pd_mask(chord, w2, _CMP_NGE_UQ);
    }
    const __mmask8 seen = inside & _mm512_cmp_pd_mask(d, zero, _CMP_NEQ_UQ) &
                          _mm512_cmp_pd_mask(weight, infinity, _CMP_LT_OQ);
    if (!seen) continue;
    _mm256_storeu_ps(lone[0], _mm512_cvtpd_ps(
        _mm512_mask_add_pd(red, seen, red, _mm512_mul_pd(_mm512_set1_pd(scene.Red[j]), weight))));
    _mm256_storeu_ps(lone[1], _mm512_cvtpd_ps(
        _mm512_mask_add_pd(green, seen, green, _mm512_mul_pd(_mm512_set1_pd(scene.Green[j]), weight))));
    _mm256_storeu_ps(lone[2], _mm512_cvtpd_ps(
        _mm512_mask_add_pd(blue, seen, blue, _mm512_mul_pd(_mm512_set1_pd(scene.Blue[j]), weight))));
  }
  for (int l = 0; l < LightLanes; ++l) batch.Red[l] = lone[0][l], batch.Green[l] = lone[1][l], batch.Blue[l] = lone[2][l];
  return {tested * LightLanes, culled * LightLanes};
}

}  // namespace viv
