// The eye kernel against the plain scalar sums, on scenes built to sit on the edges of the
// cones, where a sloppy shortcut would show.
#include <cmath>
#include <cstring>

#include "test_support.h"
#include "world/fast/light_kernel.h"
#include "world/fast/organ_actions.h"

namespace viv {
namespace {

using LightKernel = CleanWorld;

// The bearing at which the chord test flips, for a unit direction.
const double EdgeAngle = 2 * std::asin(0.5235988 / 2);

// Both vector kernels, with the scene in cells and without, against the plain sums.
void Compare(TLightScene scene, TLightBatch batch) {
  TLightBatch plain = batch, portable = batch, celled = batch;
  GatherOneByOne(scene, EyeWidth, plain);
  GatherBatchPortable(scene, EyeWidth, portable);
  GatherBatch(scene, EyeWidth, batch);
  BuildLightCells(scene);
  EXPECT_EQ(scene.Cells.Built(), scene.X.size() >= 2048 && scene.Extent < 1e15f);
  GatherBatch(scene, EyeWidth, celled);
  for (int l = 0; l < LightLanes; ++l) {
    ASSERT_EQ(std::memcmp(&celled.Red[l], &plain.Red[l], sizeof(float)), 0) << "in cells, lane " << l;
    ASSERT_EQ(std::memcmp(&celled.Green[l], &plain.Green[l], sizeof(float)), 0) << "in cells, lane " << l;
    ASSERT_EQ(std::memcmp(&celled.Blue[l], &plain.Blue[l], sizeof(float)), 0) << "in cells, lane " << l;
  }
  for (int l = 0; l < LightLanes; ++l) {
    ASSERT_EQ(std::memcmp(&portable.Red[l], &plain.Red[l], sizeof(float)), 0) << "portable lane " << l;
    ASSERT_EQ(std::memcmp(&portable.Green[l], &plain.Green[l], sizeof(float)), 0) << "portable lane " << l;
    ASSERT_EQ(std::memcmp(&portable.Blue[l], &plain.Blue[l], sizeof(float)), 0) << "portable lane " << l;
    ASSERT_EQ(std::memcmp(&batch.Red[l], &plain.Red[l], sizeof(float)), 0) << "lane " << l;
    ASSERT_EQ(std::memcmp(&batch.Green[l], &plain.Green[l], sizeof(float)), 0) << "lane " << l;
    ASSERT_EQ(std::memcmp(&batch.Blue[l], &plain.Blue[l], sizeof(float)), 0) << "lane " << l;
  }
}

TEST_F(LightKernel, SumsEqualThePlainOnesOnTheConeEdges) {
  for (int trial = 0; trial < 150; ++trial) {
    TLightBatch batch{};
    for (int l = 0; l < LightLanes; ++l) {
      const double a = Random.Real() * 6.283185307179586;
      batch.X[l] = static_cast<float>((Random.Real() - 0.5) * 200);
      batch.Y[l] = static_cast<float>((Random.Real() - 0.5) * 200);
      batch.CosD[l] = static_cast<float>(std::cos(a));
      batch.SinD[l] = static_cast<float>(std::sin(a));
      batch.Viewer[l] = l == 7 ? -1 : l;
    }
    TLightScene scene;
    const int n = 3000;
    scene.Resize(n);
    for (int j = 0; j < n; ++j) {
      // Most creatures near the edge of some eye's cone, the rest anywhere; a few right on an eye.
      const int l = Random.Int(LightLanes);
      const double base = std::atan2(batch.SinD[l], batch.CosD[l]);
      const double side = Random.Int(2) ? 1 : -1;
      const double angle = base + side * (EdgeAngle + (Random.Real() - 0.5) * 1e-5 * Random.Int(3));
      const double r = Random.Int(10) == 0 ? Random.Real() * 1e-3 : Random.Real() * 5000;
      const bool nearOrigin = Random.Int(20) == 0;  // tiny coordinates give tiny distances
      scene.X[j] = static_cast<float>(batch.X[l] + r * std::cos(angle));
      scene.Y[j] = static_cast<float>(batch.Y[l] + r * std::sin(angle));
      if (Random.Int(50) == 0) scene.X[j] = batch.X[l], scene.Y[j] = batch.Y[l];
      if (nearOrigin) {
        batch.X[l] = 0, batch.Y[l] = 0;
        scene.X[j] = static_cast<float>(1e-21 * std::cos(angle)),
        scene.Y[j] = static_cast<float>(1e-21 * std::sin(angle));
      }
      scene.Red[j] = Random.Int(256), scene.Green[j] = Random.Int(256), scene.Blue[j] = Random.Int(256);
      scene.Extent = std::max({scene.Extent, std::fabs(scene.X[j]), std::fabs(scene.Y[j])});
    }
    Compare(scene, batch);
    if (HasFatalFailure()) FAIL() << "trial " << trial;
  }
}

// Eyes far from a crowded patch, their cone edges swept across it in small steps: each cell
// of the patch is then a small target near an edge, so a cell passed over that some eye in
// fact sees (a cone test too narrow by even a hundredth of a radian) changes a sum.
TEST_F(LightKernel, CellsPassedOverHoldNothingAnEyeSees) {
  TLightScene scene;
  const int n = 4096;
  scene.Resize(n);
  for (int j = 0; j < n; ++j) {
    scene.X[j] = static_cast<float>((Random.Real() - 0.5) * 100);
    scene.Y[j] = static_cast<float>((Random.Real() - 0.5) * 100);
    scene.Red[j] = Random.Int(256), scene.Green[j] = Random.Int(256), scene.Blue[j] = Random.Int(256);
    scene.Extent = std::max({scene.Extent, std::fabs(scene.X[j]), std::fabs(scene.Y[j])});
  }
  scene.X[77] = NAN;  // a creature without a place goes to a cell of its own, which every batch visits
  const double half = std::acos(std::sqrt(0.7446));  // about the cone's half-angle
  for (int trial = 0; trial < 40; ++trial) {
    TLightBatch batch{};
    const double from = Random.Real() * 6.283185307179586, distance = 2000 + Random.Real() * 4000;
    const double side = trial % 2 ? 1 : -1;
    for (int l = 0; l < LightLanes; ++l) {
      // The eye sits at bearing `from` from the patch; it looks back past it by about the
      // half-angle, so that its cone's edge crosses the patch (about 0.03 radians wide).
      const double look = from + 3.141592653589793 + side * (half + (l - 3.5) * 0.005 + (Random.Real() - 0.5) * 0.004);
      batch.X[l] = static_cast<float>(distance * std::cos(from));
      batch.Y[l] = static_cast<float>(distance * std::sin(from));
      batch.CosD[l] = static_cast<float>(std::cos(look));
      batch.SinD[l] = static_cast<float>(std::sin(look));
      batch.Viewer[l] = n + l;
    }
    Compare(scene, batch);
    if (HasFatalFailure()) FAIL() << "trial " << trial;
  }
}

TEST_F(LightKernel, FarFlungScenesTakeTheWidePath) {
  TLightBatch batch{};
  for (int l = 0; l < LightLanes; ++l) {
    batch.X[l] = l * 1e18f, batch.Y[l] = -l * 3e17f;
    batch.CosD[l] = 1, batch.SinD[l] = 0, batch.Viewer[l] = 1000 + l;
  }
  TLightScene scene;
  scene.Resize(500);
  for (int j = 0; j < 500; ++j) {
    scene.X[j] = static_cast<float>((Random.Real() - 0.3) * 2e19);
    scene.Y[j] = static_cast<float>((Random.Real() - 0.5) * 2e19);
    scene.Red[j] = 255, scene.Green[j] = j % 256, scene.Blue[j] = 7;
    scene.Extent = std::max({scene.Extent, std::fabs(scene.X[j]), std::fabs(scene.Y[j])});
  }
  Compare(scene, batch);
}

// Organ directions from the heading's and the organ's own cosines give the library's floats,
// or ask for the library: over headings from tiny to huge, and for the moves built on them.
TEST_F(LightKernel, OrganDirectionsAreTheLibrarysOrDeclined) {
  Random.Seed(11);
  int declined = 0, tried = 0;
  for (int k = 0; k < 200000; ++k) {
    const float scale = std::ldexp(1.0f, static_cast<int>(Random.Int(40)) - 20);
    const float h = static_cast<float>((Random.Real() - 0.5) * scale),
                phi = static_cast<float>(Random.Real() * 7 - 3.5);
    THeading heading;
    heading.Set(h);
    TSinCos organ;
    float c, s;
    const bool usual = std::fabs(h) < 1000;  // beyond, a float heading is too coarse for the shortcut
    tried += usual;
    if (heading.EyeDirection(organ, phi, c, s)) {
      const float d = phi + h;
      ASSERT_EQ(c, static_cast<float>(std::cos(static_cast<double>(d)))) << h << " " << phi;
      ASSERT_EQ(s, static_cast<float>(std::sin(static_cast<double>(d)))) << h << " " << phi;
    } else {
      declined += usual;
    }
    const TDirection dir = heading.Of(organ, phi);
    const double a = static_cast<double>(phi) + h, factor = (Random.Real() - 0.5) * 1e4;
    const float base = static_cast<float>((Random.Real() - 0.5) * 2000);
    float moved;
    if (dir.Ok && SureFloat(base + dir.Cos * factor, DirectionError * std::fabs(factor) + 1e-12, moved)) {
      ASSERT_EQ(std::bit_cast<uint32_t>(moved),
                std::bit_cast<uint32_t>(static_cast<float>(base + std::cos(a) * factor)));
    }
  }
  EXPECT_LT(declined, tried / 1000);  // the library is the exception
  float out;
  EXPECT_FALSE(SureFloat(1e-300, 1e-290, out));  // +0 or -0: not certain
  EXPECT_FALSE(SureFloat(NAN, 0, out));
}

}  // namespace
}  // namespace viv
