// The sensing and actuation pass in its fast form, giving the same world as the plain
// pass bit for bit: all eyes gather their light first, in parallel (light depends only on
// positions and colours, which the pass does not change); mouths find their victims
// through an index of the discs; formulas run from their compiled form. Engines, bites
// and updates keep their order.
#include "world/fast/sensing_fast.h"

#include <algorithm>
#include <cmath>

#include "config/thread_pool.h"
#include "creature/world_context.h"
#include "parts/eye.h"
#include "parts/mouth.h"
#include "rules/diet.h"
#include "world/fast/organ_actions.h"

namespace viv {

namespace {

void SnapshotScene(const std::vector<TCreature*>& list, TLightScene& scene) {
  scene.Resize(list.size());
  scene.Extent = 0;
  for (size_t j = 0; j < list.size(); ++j) {
    const TCreature* o = list[j];
    scene.Extent = std::max({scene.Extent, std::fabs(o->X), std::fabs(o->Y)});
    scene.X[j] = o->X;
    scene.Y[j] = o->Y;
    scene.Red[j] = o->Color & 255;
    scene.Green[j] = (o->Color >> 8) & 255;
    scene.Blue[j] = (o->Color >> 16) & 255;
  }
  BuildLightCells(scene);
}

constexpr int Sectors = 16;

// v rounded down into 0..top; NaN (from positions pushed to infinity) gives 0.
uint32_t Bucket(double v, double top) { return v >= 0 ? static_cast<uint32_t>(std::min(v, top)) : 0; }

// A measure of the angle of (x, y) that grows with it from 0 to 4 around the circle: enough
// to sort directions, at the cost of a division.
double DiamondAngle(double x, double y) {
  if (y >= 0) return x >= 0 ? y / (x + y) : 1 - x / (y - x);
  return x < 0 ? 2 - y / (-x - y) : 3 + x / (x - y);
}

void CollectEyes(const std::vector<TCreature*>& list, std::vector<THeading>& headings,
                 std::vector<TFastSensing::EyeRef>& eyes) {
  eyes.clear();
  headings.resize(list.size());
  float lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  for (size_t i = 0; i < list.size(); ++i) {
    TCreature* k = list[i];
    if (k->Parts.Items.empty()) continue;
    headings[i].Set(k->Heading);
    for (TPart* part : k->Parts.Items) {
      if (part->Kind() != TPartKind::Eye) continue;
      float cosD, sinD;
      if (!headings[i].EyeDirection(part->PhiTrig, part->Phi, cosD, sinD)) {
        const float d = part->Phi + k->Heading;
        cosD = static_cast<float>(std::cos(static_cast<double>(d)));
        sinD = static_cast<float>(std::sin(static_cast<double>(d)));
      }
      eyes.push_back({static_cast<TEye*>(part), static_cast<int32_t>(i), k->X, k->Y, cosD, sinD, 0});
      lo[0] = std::min(lo[0], k->X), hi[0] = std::max(hi[0], k->X);
      lo[1] = std::min(lo[1], k->Y), hi[1] = std::max(hi[1], k->Y);
    }
  }
  // Direction sectors, then places over the eyes' extent in Morton order, so that the eyes
  // of a batch look the same way from nearby.
  const double sx = 1023 / std::max(1.0, static_cast<double>(hi[0]) - lo[0]);
  const double sy = 1023 / std::max(1.0, static_cast<double>(hi[1]) - lo[1]);
  for (auto& e : eyes) {
    const double angle = DiamondAngle(e.CosD, e.SinD);
    // NOLINTNEXTLINE(bugprone-integer-division): a quarter of the sectors, a whole number
    const uint32_t sector = Bucket(angle * (Sectors / 4), Sectors - 1);
    const uint32_t cx = Bucket((e.X - lo[0]) * sx, 1023);
    const uint32_t cy = Bucket((e.Y - lo[1]) * sy, 1023);
    uint32_t morton = 0;
    for (int bit = 0; bit < 10; ++bit) morton |= ((cx >> bit) & 1) << (2 * bit) | ((cy >> bit) & 1) << (2 * bit + 1);
    e.Key = sector << 20 | morton;
  }
  std::sort(eyes.begin(), eyes.end(), [](const auto& a, const auto& b) { return a.Key < b.Key; });
}

}  // namespace

void TFastSensing::GatherAllLight(const std::vector<TCreature*>& list) {
  TFastSensing& f = *this;
  SnapshotScene(list, f.Scene);
  CollectEyes(list, f.Headings, f.Eyes);
  const size_t batches = (f.Eyes.size() + LightLanes - 1) / LightLanes;
  f.Batches.resize(batches);
  // Two references only: the work item stays small enough to need no allocation.
  WorkerPool().ParallelFor(static_cast<int64_t>(batches), [&f, &list](int64_t b) {
    TLightBatch& batch = f.Batches[b];
    const size_t first = static_cast<size_t>(b) * LightLanes;
    for (int l = 0; l < LightLanes; ++l) {
      const size_t e = first + l;
      if (e < f.Eyes.size()) {
        const auto& eye = f.Eyes[e];
        batch.X[l] = eye.X, batch.Y[l] = eye.Y, batch.CosD[l] = eye.CosD, batch.SinD[l] = eye.SinD;
        batch.Viewer[l] = eye.Viewer;
      } else {
        batch.X[l] = batch.Y[l] = batch.CosD[l] = batch.SinD[l] = 0;
        batch.Viewer[l] = -1;
      }
    }
    const TLightCounts counts = GatherBatch(f.Scene, EyeWidth, batch);
    f.PairsTested += counts.Tested;
    f.PairsCulled += counts.Culled;
    // Eyes tuned to their owners' diet: the world's rule, the same for every eye.
    const double sightDiet = list.front()->World->Rules.SightDiet;
    for (int l = 0; l < LightLanes && first + l < f.Eyes.size(); ++l) {
      const uint32_t owner = list[static_cast<size_t>(batch.Viewer[l])]->Color;
      const float green = sightDiet != 0 ? DietTunedGreen(owner, batch.Red[l], batch.Green[l], batch.Blue[l], sightDiet)
                                         : batch.Green[l];
      f.Eyes[first + l].Eye->SetColors(batch.Red[l], green, batch.Blue[l]);
    }
  });
}

void TFastSensing::SenseAndAct(const std::vector<TCreature*>& list) {
  GatherAllLight(list);
  TFastSensing& f = *this;
  bool indexed = false;
  for (size_t i = 0; i < list.size(); ++i) {
    TCreature& k = *list[i];
    for (TPart* part : k.Parts.Items) {
      if (part->Kind() != TPartKind::Mouth) {
        if (part->Kind() != TPartKind::Eye) ActAlone(k, *part, &f.Headings[i]);
      } else {
        if (!indexed) {
          f.Mouths.Build(list);
          indexed = true;
        }
        auto* mouth = static_cast<TMouth*>(part);
        float qx, qy;
        MouthReach(k, *mouth, qx, qy, &f.Headings[i]);
        Bite(k, *mouth, f.Mouths.CreatureAt(qx, qy));
        f.Mouths.NoteGrowth(static_cast<int32_t>(i));  // the eater may have grown
      }
    }
  }
  for (TCreature* k : list) UpdateParts(*k, false);
}

}  // namespace viv
