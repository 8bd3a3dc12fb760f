#pragma once
// The buffers of the fast sensing pass, kept from step to step so that a world of steady
// size allocates nothing.
#include <atomic>
#include <vector>

#include "world/fast/light_kernel.h"
#include "world/fast/mouth_index.h"

namespace viv {

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
  std::atomic<int64_t> PairsTested{0}, PairsCulled{0};
};

}  // namespace viv
