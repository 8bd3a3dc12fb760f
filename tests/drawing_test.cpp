#include <cmath>
#include <numbers>

#include "draw/logo_canvas.h"
#include "parts/brain.h"
#include "parts/engine.h"
#include "parts/eye.h"
#include "parts/mouth.h"
#include "test_support.h"
#include "world/world.h"

namespace viv {
namespace {

using Drawing = CleanWorld;

TEST_F(Drawing, TheTurtleRoundsHalvesToEven) {
  TRecordingCanvas canvas;
  TLogoCanvas turtle(canvas);
  struct Row {
    float x, y;
    const char* call;
  } rows[] = {{2.5f, 3.5f, "MoveTo 2 4"}, {-2.5f, 0.5f, "MoveTo -2 0"}, {1.49f, 1.51f, "MoveTo 1 2"}};
  for (const Row& r : rows) {
    turtle.MoveTo(r.x, r.y);
    EXPECT_EQ(canvas.Calls.back(), r.call);
  }
}

TEST_F(Drawing, ANewTurtleGoesNowhereUntilItHasAHeading) {
  TRecordingCanvas canvas;
  TLogoCanvas turtle(canvas);
  EXPECT_EQ(turtle.Scale, 1);
  turtle.Forward(10);
  turtle.Jump(10);
  EXPECT_EQ(turtle.PosX, 0);
  EXPECT_EQ(turtle.PosY, 0);
  turtle.SetHeading(0);
  turtle.Turn(static_cast<float>(std::numbers::pi / 2));
  EXPECT_NEAR(turtle.DirX, 0, 1e-7);
  EXPECT_NEAR(turtle.DirY, 1, 1e-7);
  turtle.Turn(0.7f);
  turtle.Turn(-0.7f);
  EXPECT_NEAR(turtle.DirY, 1, 1e-6);
  turtle.Reset(0, 0, 0, 0.2f);
  turtle.Forward(10);
  EXPECT_FLOAT_EQ(turtle.PosX, 2);
  EXPECT_EQ(canvas.Calls.back(), "LineTo 2 0");
}

TEST_F(Drawing, CirclesGiveTheLowerRightCornerFirst) {
  TRecordingCanvas canvas;
  TLogoCanvas turtle(canvas);
  turtle.Reset(100, 50, 0, 0.2f);
  turtle.Circle(40);
  EXPECT_EQ(canvas.Calls.back().substr(0, 22), "Ellipse 108 58 92 42 p");
  turtle.Circle(0);
  EXPECT_EQ(canvas.Calls.back().substr(0, 26), "Ellipse 100 50 100 50 pen ");
}

TEST_F(Drawing, PopStatusRestoresTheStateButNotTheCurrentPoint) {
  TRecordingCanvas canvas;
  TLogoCanvas turtle(canvas);
  turtle.Reset(10, 20, 0.3f, 2);
  canvas.PenColor = 1;
  canvas.BrushColor = 2;
  turtle.PushStatus();
  canvas.PenColor = 3;
  canvas.BrushColor = 4;
  turtle.Reset(50, 60, 1, 0.5f);
  turtle.PopStatus();
  EXPECT_EQ(turtle.PosX, 10);
  EXPECT_EQ(turtle.PosY, 20);
  EXPECT_EQ(turtle.Scale, 2);
  EXPECT_EQ(turtle.DirX, static_cast<float>(std::cos(0.3f)));
  EXPECT_EQ(canvas.PenColor, 1u);
  EXPECT_EQ(canvas.BrushColor, 2u);
  turtle.Forward(0);
  EXPECT_EQ(canvas.Calls.back(), "LineTo 10 20");
  EXPECT_EQ(canvas.Calls[canvas.Calls.size() - 2], "MoveTo 50 60");  // the line starts where Reset left it
  EXPECT_THROW(turtle.PopStatus(), EListError);
}

TEST_F(Drawing, APlantIsOneCircle) {
  TRecordingCanvas canvas;
  TLogoCanvas turtle(canvas);
  TCreature* plant = TCreature::CreateFood(World);
  turtle.Reset(50, 50, 0, 1);
  plant->Draw(turtle);
  ASSERT_EQ(canvas.Calls.size(), 2u);  // Reset's move and the body
  EXPECT_EQ(canvas.Calls[1],
            "Ellipse 60 60 40 40 pen " + std::to_string(0x02B0B0B0) + " brush " + std::to_string(0x200A000));
  delete plant;
}

TEST_F(Drawing, OrgansDrawAtTheirPlacesAndLeaveTheStackAsItWas) {
  TRecordingCanvas canvas;
  TLogoCanvas turtle(canvas);
  TCreature* adam = CreateAdam(World);
  turtle.Reset(400, 300, 0, 0.2f);
  adam->Draw(turtle);
  EXPECT_TRUE(turtle.StatusList.empty());
  EXPECT_EQ(turtle.PosX, 400);
  EXPECT_EQ(turtle.Scale, 0.2f);
  EXPECT_EQ(canvas.PenColor, 0x02B0B0B0u);
  EXPECT_EQ(canvas.BrushColor, 0x02005050u);
  // Body, brain and two eyes are ellipses; the eye is 1.44 px, the brain 0.664 px.
  EXPECT_EQ(canvas.Count("Ellipse"), 4);
  EXPECT_EQ(canvas.Calls[1].substr(0, 23), "Ellipse 408 308 392 292");
  EXPECT_EQ(canvas.Calls[3].substr(0, 23), "Ellipse 401 301 399 299");  // brain, 0.664 px
  // Two mouths of three strokes, three engines of seven.
  EXPECT_EQ(canvas.Count("LineTo"), 2 * 3 + 3 * 7);
  for (TPart* p : adam->Parts.Items)
    if (p->Kind() == TPartKind::Engine) {
      EXPECT_EQ(static_cast<TEngine*>(p)->FlapAngle, static_cast<float>(3 * std::numbers::pi / 16));
    }
  delete adam;
}

TEST_F(Drawing, AnEyeCircleScalesWithZoomAndBody) {
  TRecordingCanvas canvas;
  TLogoCanvas turtle(canvas);
  TCreature c;
  c.Radius = 40;
  c.Parts.Add(new TEye(&c, "E", 0));
  turtle.Reset(100, 100, 0, 0.2f);
  c.Draw(turtle);
  // The eye sits on the rim, 8 px right, radius 0.18 x 40 x 0.2 = 1.44 px.
  EXPECT_EQ(canvas.Calls.back().substr(0, 23), "Ellipse 109 101 107 99 ");
}

TEST_F(Drawing, AMouthIsThreeStrokesOfAnOpenRectangle) {
  TRecordingCanvas canvas;
  TLogoCanvas turtle(canvas);
  TCreature c;
  c.Radius = 100;
  c.Parts.Add(new TMouth(&c, "M", 0));
  turtle.Reset(500, 500, 0, 1);
  c.Draw(turtle);
  // Size 0.2 at radius 100: the sides run 20 px outward, 13.3 px apart.
  std::vector<std::string> tail(canvas.Calls.end() - 4, canvas.Calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"MoveTo 600 493", "LineTo 620 493", "LineTo 620 507", "LineTo 600 507"}));
}

TEST_F(Drawing, AnEngineStoresItsFlapAngle) {
  TRecordingCanvas canvas;
  TLogoCanvas turtle(canvas);
  TCreature c;
  c.Radius = 40;
  TEngine* e = static_cast<TEngine*>(c.Parts.Add(new TEngine(&c, "E", 0, 0, "")));
  e->Phase = 15 * std::numbers::pi;  // sin(phase / 30) = 1
  turtle.Reset(100, 100, 0, 1);
  c.Draw(turtle);
  EXPECT_FLOAT_EQ(e->FlapAngle, static_cast<float>(3 * std::numbers::pi / 8));
  e->Segments = 0;
  canvas.Calls.clear();
  c.Draw(turtle);
  EXPECT_EQ(canvas.Count("LineTo"), 1);
}

}  // namespace
}  // namespace viv
