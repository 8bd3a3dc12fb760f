#pragma once
// The fast sensing and actuation pass over a population, with its buffers kept from step to
// step so that a world of steady size allocates nothing.
#include <atomic>
#include <vector>

#include "world/fast/light_kernel.h"
#include "world/fast/mouth_index.h"
#include "world/fast/organ_directions.h"

namespace viv {

class TCreature;
class TEye;

struct TFastSensing {
  struct EyeRef {
    TEye* Eye;
    int32_t Viewer;
    float X, Y, CosD, SinD;
    uint32_t Key;  // direction sector and coarse place, so that batches look alike
  };
  TLightScene Scene;
  std::vector<EyeRef> Eyes;
  std::vector<TLightBatch> Batches;
  TMouthIndex Mouths;
  std::vector<THeading> Headings;  // per creature of the list, those with organs
  std::atomic<int64_t> PairsTested{0}, PairsCulled{0};

  // Every eye's light at once, in parallel batches on the worker pool.
  void GatherAllLight(const std::vector<TCreature*>& list);
  // The whole pass: light, then engines and bites in list order, then the organs' updates.
  void SenseAndAct(const std::vector<TCreature*>& list);
};

}  // namespace viv
