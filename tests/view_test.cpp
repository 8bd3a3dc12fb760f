#include <gtest/gtest.h>

#include <unistd.h>
#include <QGuiApplication>

#include <cmath>

#include "config/settings.h"
#include "creature/grid.h"
#include "view/frame.h"
#include "view/frame_png.h"

namespace viv {
namespace {

class View : public ::testing::Test {
 protected:
  void SetUp() override { EnsureGuiApplication(); }
  TWorld world;
  TWorldContext& World = world.Context;
  TView view;  // 800 x 600, zoom 0.2
  QImage Render(int w = 800, int h = 600) {
    QImage image(w, h, QImage::Format_RGB32);
    TFrameStatus status;
    status.StepCount = 1999;
    status.StepsPerSecond = 12.6;
    DrawFrame(world, view, status, image);
    return image;
  }
  static bool HasColour(const QImage& image, QRect area, QRgb colour) {
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
    return false;
  }
};

TEST_F(View, AnEmptyWorldIsBlackWithTheOverlay) {
  QImage image = Render();
  EXPECT_EQ(image.pixel(400, 300) & 0xFFFFFF, 0u);
  EXPECT_TRUE(HasColour(image, QRect(0, 0, 120, 70), qRgb(255, 255, 255)));        // overlay
  EXPECT_TRUE(HasColour(image, QRect(0, 584, 400, 16), qRgb(255, 255, 255)));      // footer
  EXPECT_FALSE(HasColour(image, QRect(0, 584, 800, 16), qRgb(0x50, 0xB0, 0xFF)));  // no placeholder address
  EXPECT_FALSE(HasColour(image, QRect(100, 100, 600, 400), qRgb(255, 255, 255)));
}

TEST_F(View, LightPatchesShowFaintlyWhereTheRulesSetThem) {
  World.Rules.LightPatches = 2, World.Rules.PatchRadius = 100, World.Rules.PatchDistance = 500;
  const QImage image = Render();  // zoom 0.2: the patches at (300, 300) and (500, 300), radius 20
  for (int x : {300, 500}) {
    const QRgb centre = image.pixel(x, 300);
    EXPECT_GT(qRed(centre), 0);
    EXPECT_LT(qRed(centre), 64);  // faint: creatures stand out against it
  }
  EXPECT_EQ(image.pixel(400, 300) & 0xFFFFFF, 0u);
}

TEST_F(View, TheFooterNeverOverlapsAndNoticesFollowTheOverlay) {
  QImage narrow = Render(400, 300);
  EXPECT_TRUE(HasColour(narrow, QRect(0, 284, 400, 16), qRgb(255, 255, 255)));
  // Notices and the news that no animal lives, in pale yellow below the five lines.
  world.Add(TCreature::CreateFood(World));
  QImage image(800, 600, QImage::Format_RGB32);
  TFrameStatus status;
  status.StepCount = 5000;
  DrawFrame(world, view, status, image);
  // Text is smoothed: look for yellowish pixels, red and green alike and well above blue.
  auto yellowish = [&](QRect area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) {
        const QRgb p = image.pixel(x, y);
        if (qRed(p) > 120 && qRed(p) == qGreen(p) && qBlue(p) < qRed(p) - 40) return true;
      }
    return false;
  };
  EXPECT_FALSE(yellowish(QRect(0, 72, 400, 40)));
  status.SayWhenNoAnimals = true;
  status.Notices = {"Saved 3 species"};
  DrawFrame(world, view, status, image);
  EXPECT_TRUE(yellowish(QRect(0, 74, 400, 14)));
  EXPECT_TRUE(yellowish(QRect(0, 88, 400, 14)));
  EXPECT_FALSE(yellowish(QRect(0, 102, 400, 14)));
  // A paused world says so first, and its rate reads 0 whatever it was.
  status.Paused = true;
  status.StepsPerSecond = 2500;
  DrawFrame(world, view, status, image);
  EXPECT_TRUE(yellowish(QRect(0, 102, 400, 14)));
  QImage still(800, 600, QImage::Format_RGB32);
  status.StepsPerSecond = 0;
  DrawFrame(world, view, status, still);
  EXPECT_EQ(image, still);
}

TEST_F(View, TheTransformPutsWorldPointsWhereExpected) {
  TScreenPoint p = WorldToScreen(view, 100, 50, 0);
  EXPECT_EQ(p.X, 420);
  EXPECT_EQ(p.Y, 310);
  view.ScrollX = -100, view.ScrollY = -50;
  p = WorldToScreen(view, 100, 50, 1);
  EXPECT_EQ(p.X, 400);
  EXPECT_EQ(p.Y, 300);
  EXPECT_EQ(p.A, 1);
}

TEST_F(View, ScreenToWorldInvertsWorldToScreen) {
  for (float rotation : {0.0f, 0.1f, -0.7f, 1.5707964f, 3.0f, 12.5f}) {
    view.Rotation = rotation;
    view.Zoom = 0.37f;
    view.ScrollX = 31, view.ScrollY = -17;
    for (float x : {-300.0f, 0.0f, 123.5f})
      for (float y : {-80.0f, 0.0f, 410.25f}) {
        TScreenPoint s = WorldToScreen(view, x, y, 0.5f);
        TScreenPoint w = ScreenToWorld(view, s.X, s.Y, s.A);
        EXPECT_NEAR(w.X, x, 1e-3) << rotation;
        EXPECT_NEAR(w.Y, y, 1e-3) << rotation;
        EXPECT_NEAR(w.A, 0.5f, 1e-6);
      }
  }
}

TEST_F(View, ACreatureIsDrawnAtItsScreenPoint) {
  TCreature* plant = world.Add(TCreature::CreateFood(World));
  plant->X = 100, plant->Y = 50;
  QImage image = Render();
  EXPECT_EQ(image.pixel(420, 310) & 0xFFFFFF, qRgb(0, 160, 0) & 0xFFFFFF);
  EXPECT_EQ(image.pixel(440, 310) & 0xFFFFFF, 0u);
}

TEST_F(View, CentresOnTheEdgeOrOutsideAreNotDrawn) {
  // Zoom 1 and no scroll: world x -400 maps to column 0.
  view.Zoom = 1;
  TCreature* edge = world.Add(TCreature::CreateFood(World));
  edge->X = -400, edge->Y = 0;
  TCreature* inside = world.Add(TCreature::CreateFood(World));
  inside->X = -399, inside->Y = 100;
  QImage image = Render();
  EXPECT_FALSE(HasColour(image, QRect(0, 290, 12, 20), qRgb(0, 160, 0)));
  EXPECT_TRUE(HasColour(image, QRect(0, 390, 12, 20), qRgb(0, 160, 0)));
}

TEST_F(View, ThePngOfTheRunnerIsTheFrame) {
  world.Add(CreateAdam(World));
  const std::string file = ::testing::TempDir() + "vivarion-view-test-" + std::to_string(getpid()) + ".png";
  WriteFramePng(world, 320, 240, 5000, file);
  QImage image(QString::fromStdString(file));
  ASSERT_EQ(image.width(), 320);
  EXPECT_TRUE(HasColour(image, QRect(155, 115, 10, 10), qRgb(80, 80, 0)));  // ADAM's body
  // A line of step and counts at the top, and none of the window's overlay or keys below it.
  const QRgb white = qRgb(255, 255, 255);
  EXPECT_TRUE(HasColour(image, QRect(0, 0, 320, 16), white));
  EXPECT_FALSE(HasColour(image, QRect(0, 18, 320, 60), white));
  EXPECT_FALSE(HasColour(image, QRect(0, 222, 320, 18), white));
  WriteFramePng(world, 320, 240, 5000, file, false);  // --no-caption: the world alone
  EXPECT_FALSE(HasColour(QImage(QString::fromStdString(file)), QRect(0, 0, 320, 16), white));
  std::remove(file.c_str());
}

}  // namespace
}  // namespace viv
