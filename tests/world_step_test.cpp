#include <cmath>

#include "creature/grid.h"
#include "parts/brain.h"
#include "parts/engine.h"
#include "parts/eye.h"
#include "parts/mouth.h"
#include "rules/diet.h"
#include "test_support.h"
#include "world/world.h"

namespace viv {
namespace {

class WorldStep : public CleanWorld {
 protected:
  TWorld& world = Population;
  TCreature* Put(TCreature* c, float x, float y, float radius) {
    c->X = x, c->Y = y;
    c->Radius = radius;
    world.Add(c);
    World.Grid.Add(c, x, y);
    return c;
  }
  TCreature* Body(float x, float y, float radius) { return Put(new TCreature(World), x, y, radius); }
};

TEST_F(WorldStep, ItemsAndCreatureAt) {
  TCreature* a = Body(0, 0, 10);
  TCreature* b = Body(5, 0, 10);
  EXPECT_EQ(world.Items(1), b);
  EXPECT_THROW(world.Items(2), EListError);
  EXPECT_EQ(world.CreatureAt(3, 0), a);  // overlapping: the earlier one
  EXPECT_EQ(world.CreatureAt(14, 0), b);
  EXPECT_EQ(world.CreatureAt(15, 0), nullptr);  // on the rim: outside
  EXPECT_EQ(world.CreatureAt(100, 100), nullptr);
}

TEST_F(WorldStep, AnEmptyWorldStepsWithoutEffect) {
  world.WorldStep();
  EXPECT_EQ(world.Count(), 0);
}

TEST_F(WorldStep, OverlappingBodiesArePushedApart) {
  TCreature* a = Body(-30, 0, 40);
  TCreature* b = Body(30, 0, 40);
  world.Collide(a, b);
  EXPECT_EQ(a->VX, 0);
  EXPECT_EQ(b->VX, 0);
  EXPECT_NEAR(b->X - a->X, 80.6, 0.01);
  EXPECT_NEAR(a->X, -30 - 10.3, 0.01);
  EXPECT_NEAR(b->X, 30 + 10.3, 0.01);
  EXPECT_EQ(a->Y, 0);
}

TEST_F(WorldStep, CollisionsMergeVelocitiesByEnergy) {
  TCreature* a = Body(0, 0, 30);
  TCreature* b = Body(35, 0, 10);
  a->VX = 1;
  b->VX = -9;
  world.Collide(a, b);
  const float w = 900.0f / 1000, u = static_cast<float>(1.0 - w);
  EXPECT_EQ(a->VX, static_cast<float>(static_cast<double>(w) * 1 + static_cast<double>(u) * -9));
  EXPECT_EQ(a->VX, b->VX);
  EXPECT_LT(a->X, 0);
  EXPECT_GT(b->X, 35);
  EXPECT_NEAR(b->X - a->X, 40 + 0.35, 1e-3);
}

TEST_F(WorldStep, HugeAndTinyBodiesAreWeighedSoundly) {
  // Energies that overflow only when added as floats are weighed in double precision.
  TCreature* a = Body(0, 0, 1.5e19f);
  TCreature* b = Body(1e19f, 0, 1.5e19f);
  a->VX = 1;
  b->VX = 3;
  ASSERT_FALSE(std::isfinite(a->Energy() + b->Energy()));
  world.Collide(a, b);
  const double ea = 1.5e19f * 1.5e19f;
  const float w = static_cast<float>(ea / (ea + ea));
  EXPECT_EQ(a->VX, static_cast<float>(static_cast<double>(w) * 1 + static_cast<double>(1.0f - w) * 3));
  // Two bodies whose energies underflow to 0 share their velocity in equal halves.
  TCreature* c = Body(100, 100, 1e-30f);
  TCreature* d = Body(100, 100 + 1e-30f, 1e-30f);
  c->VX = 2;
  ASSERT_EQ(c->Energy(), 0);
  world.Collide(c, d);
  EXPECT_EQ(c->VX, 1);
  EXPECT_EQ(d->VX, 1);
  EXPECT_TRUE(c->IsFinite() && d->IsFinite());
}

TEST_F(WorldStep, PlantsSproutOneAStepUpToTheFloor) {
  Body(0, 0, 40)->MaxEnergy = 1e9;  // an animal at rest that neither divides nor dies
  const int draws = CountDraws(Random, [&] { world.WorldStep(); });
  EXPECT_EQ(world.Count(), 1);  // PlantFloor absent: nothing sprouts and nothing is drawn
  Settings.PlantFloor = 3;
  EXPECT_EQ(CountDraws(Random, [&] { world.WorldStep(); }), draws + 2);
  for (int i = 0; i < 5; ++i) world.WorldStep();
  ASSERT_EQ(world.Count(), 4);
  for (int i = 1; i < 4; ++i) {
    const TCreature* plant = world.Items(i);
    EXPECT_TRUE(plant->Vegetable);
    EXPECT_LE(std::fabs(plant->X), 200);
    EXPECT_LE(std::fabs(plant->Y), 150);
  }
}

// Light patches: a plant off them gets the shade's light, the seasons take them in turn, each
// patch pulls the creatures nearest to it, and the plant floor sprouts plants on them.
TEST_F(WorldStep, LightFallsOnPatchesThatHoldTheirCreatures) {
  Settings.SunLight = 1, Settings.Gravity = 0.001, Settings.PlantFloor = 3;
  Settings.LightPatches = 2, Settings.PatchRadius = 50, Settings.PatchDistance = 500;  // (500, 0), (-500, 0)
  Settings.SeasonLength = 100, Settings.SeasonDepth = 0.5, Settings.PatchShade = 0.1;
  TCreature* lit = Put(TCreature::CreateFood(World), 480, 0, 10);
  TCreature* dark = Put(TCreature::CreateFood(World), 100, 300, 10);
  world.CurrentStep = 25;  // a quarter of the year: the first patch's light is 1.5, the second's 0.5
  world.WorldStep();
  EXPECT_NEAR(lit->Energy(), 100 + 1.5 / 0.2, 1e-3);
  EXPECT_NEAR(dark->Energy(), 100 + 0.1 / 0.2, 1e-3);
  EXPECT_FLOAT_EQ(lit->VX, 0.02f);  // both pulled toward the first patch, the nearer one
  EXPECT_FLOAT_EQ(dark->VX, 0.4f);
  EXPECT_FLOAT_EQ(dark->VY, -0.3f);
  ASSERT_EQ(world.Count(), 3);
  const TCreature* sprout = world.Items(2);
  EXPECT_LE(std::hypot(std::fabs(sprout->X) - 500, sprout->Y), 50.001);
  world.CurrentStep = 75;  // three quarters: the second patch's turn, the first's light 0.5
  const float before = lit->Energy();
  world.WorldStep();
  EXPECT_GT(lit->Energy() - before, 0);
  EXPECT_LE(lit->Energy() - before, 0.5 / 0.2 + 1e-3);
}

// KindPatches: each plant kind has light on its own patch only, and the floor of each kind sows
// it there.
TEST_F(WorldStep, EachPlantKindGrowsAndIsSownOnItsOwnPatch) {
  Settings.SunLight = 1, Settings.PlantColors = 2, Settings.KindFloor = 2, Settings.KindPatches = 1;
  Settings.LightPatches = 2, Settings.PatchRadius = 50, Settings.PatchDistance = 500, Settings.PatchShade = 0.1;
  TCreature* home = Put(TCreature::CreateFood(World), 480, 0, 10);
  TCreature* astray = Put(TCreature::CreateFood(World), 480, 10, 10);
  TCreature* away = Put(TCreature::CreateFood(World), -480, 0, 10);
  home->Color = PlantColor(0, 2), astray->Color = away->Color = PlantColor(1, 2);
  world.WorldStep();
  EXPECT_NEAR(home->Energy(), 100 + 1 / 0.2, 1e-3);
  EXPECT_NEAR(astray->Energy(), 100 + 0.1 / 0.2, 1e-3);  // the other kind's patch is shade to it
  EXPECT_NEAR(away->Energy(), 100 + 1 / 0.2, 1e-3);
  ASSERT_EQ(world.Count(), 4);  // the first kind had one plant of two: one sprouts, on its patch
  const TCreature* sprout = world.Items(3);
  EXPECT_EQ(NearestPlantKind(sprout->Color, 2), 0);
  EXPECT_LE(std::hypot(sprout->X - 500, sprout->Y), 50.001);
}

TEST_F(WorldStep, BirthsAndDeathsAreReportedWithTheirSerialsNamesAndCauses) {
  Settings.MinEnergy = 50;
  Settings.MaxFood = 1000;
  TCreature* parent = Put(CreateAdam(World), 0, 0, 50);                // energy 2500 > 2000: divides
  TCreature* starving = Put(TCreature::CreateFood(World), 500, 0, 5);  // energy 25 < 50
  TCreature* broken = Put(TCreature::CreateFood(World), -500, 0, 10);
  broken->VX = INFINITY;  // its own step makes it non-finite
  const uint64_t parentSerial = parent->Serial, starvingSerial = starving->Serial, brokenSerial = broken->Serial;
  world.CurrentStep = 7;
  starving->BirthStep = 3;
  world.WorldStep();
  ASSERT_EQ(world.Births.size(), 1u);
  const TBirth& birth = world.Births[0];
  EXPECT_EQ(birth.Parent, parentSerial);
  const TCreature* child = world.List.back();
  EXPECT_EQ(birth.Child, child->Serial);
  EXPECT_EQ(child->ParentSerial, parentSerial);
  EXPECT_EQ(child->BirthStep, 7);
  EXPECT_EQ(birth.ParentName, "ADAM");
  EXPECT_EQ(birth.ChildName, child->Name);
  EXPECT_NE(child->Name, "ADAM");  // every division of an animal renames the child
  ASSERT_EQ(world.Deaths.size(), 2u);
  // From the last creature down: the broken plant, then the starving one.
  EXPECT_EQ(world.Deaths[0].Serial, brokenSerial);
  EXPECT_EQ(world.Deaths[0].Cause, TDeathCause::NotFinite);
  EXPECT_EQ(world.Deaths[1].Serial, starvingSerial);
  EXPECT_EQ(world.Deaths[1].Cause, TDeathCause::Energy);
  EXPECT_EQ(world.Deaths[1].Age, 4);
  world.WorldStep();  // the next step starts its own lists
  EXPECT_TRUE(world.Deaths.empty());
}

TEST_F(WorldStep, TouchingDiscsAreUntouchedAndCoincidentCentresStay) {
  TCreature* a = Body(0, 0, 10);
  TCreature* b = Body(20, 0, 10);
  a->VX = 5;
  world.Collide(a, b);
  EXPECT_EQ(a->VX, 5);
  EXPECT_EQ(b->X, 20);
  TCreature* c = Body(100, 100, 10);
  TCreature* d = Body(100, 100, 10);
  c->VX = 2;
  world.Collide(c, d);
  EXPECT_EQ(c->VX, 1);
  EXPECT_EQ(d->VX, 1);
  EXPECT_EQ(c->X, 100);
  EXPECT_EQ(d->X, 100);
}

TEST_F(WorldStep, AnEyeSeesAPlantAheadAndNothingBehind) {
  TCreature* viewer = Body(0, 0, 10);
  TEye* eye = static_cast<TEye*>(viewer->Parts.Add(new TEye(viewer, "E", 0)));
  Put(TCreature::CreateFood(World), 100, 0, 10);
  float r, g, b;
  world.GatherLight(0, 0, 0, 0, 0.5235988f, r, g, b);
  EXPECT_EQ(r, 0);
  EXPECT_FLOAT_EQ(g, 0.08f);
  EXPECT_EQ(b, 0);
  world.GatherLight(0, 0, 0, 3.14159f, 0.5235988f, r, g, b);
  EXPECT_EQ(g, 0);
  world.SenseAndAct();
  EXPECT_FLOAT_EQ(eye->Green, 0.08f);
  // A creature at the eye itself adds nothing; alone, an eye sees black.
  Put(TCreature::CreateFood(World), 0, 0, 10);
  world.GatherLight(0, 0, 0, 0, 0.5235988f, r, g, b);
  EXPECT_FLOAT_EQ(g, 0.08f);
  world.GatherLight(1, 100, 0, 0, 0.5235988f, r, g, b);
  EXPECT_EQ(g, 0);
}

TEST_F(WorldStep, TheConeEdgeIsExclusive) {
  Body(0, 0, 10);
  // At 30.35 degrees either side the chord equals the width: seen inside, not beyond.
  const double half = 2 * std::asin(0.5235988 / 2);
  Put(TCreature::CreateFood(World), static_cast<float>(100 * std::cos(half - 0.001)),
      static_cast<float>(100 * std::sin(half - 0.001)), 10);
  Put(TCreature::CreateFood(World), static_cast<float>(100 * std::cos(half + 0.001)),
      static_cast<float>(100 * std::sin(half + 0.001)), 10);
  float r, g, b;
  world.GatherLight(0, 0, 0, 0, 0.5235988f, r, g, b);
  EXPECT_FLOAT_EQ(g, 0.08f);
}

TEST_F(WorldStep, AMouthBitesTheCreatureAtItsReach) {
  TCreature* eater = Body(0, 0, std::sqrt(2000.0f));
  TMouth* mouth = static_cast<TMouth*>(eater->Parts.Add(new TMouth(eater, "M", 0)));
  TCreature* victim = Body(eater->Radius * 1.14f + 20, 0, 30);
  world.SenseAndAct();
  EXPECT_FLOAT_EQ(eater->Energy(), 2002);
  EXPECT_FLOAT_EQ(victim->Energy(), 898);
  EXPECT_NEAR(mouth->Intake, 500.0 * 2 / 2002, 1e-4);
  victim->X = 1000;
  world.SenseAndAct();
  EXPECT_EQ(mouth->Intake, 0);
}

TEST_F(WorldStep, AVictimWithLessThanABiteGivesAll) {
  TCreature* eater = Body(0, 0, 100);
  eater->Parts.Add(new TMouth(eater, "M", 0));
  eater->Parts.Add(new TMouth(eater, "M2", 0));
  TCreature* victim = Body(114 + 1, 0, 2);
  world.SenseAndAct();
  EXPECT_EQ(victim->Radius, 0);
  EXPECT_FLOAT_EQ(eater->Energy(), 10004);
}

TEST_F(WorldStep, EnginesPushWithThePowerOfThePreviousStep) {
  TCreature* c = Body(0, 0, 10);
  TBrain* brain = static_cast<TBrain*>(c->Parts.Add(new TBrain(c, "B", 0, 0, 0, 100, "")));
  TEngine* engine = static_cast<TEngine*>(c->Parts.Add(new TEngine(c, "E", 3.1415927f, 0, "B.0*1")));
  world.SenseAndAct();
  EXPECT_EQ(c->VX, 0);  // power was 0 during this pass
  EXPECT_EQ(engine->Power, 100);
  EXPECT_EQ(brain->Value, 100);
  world.SenseAndAct();
  EXPECT_FLOAT_EQ(c->VX, 0.7f);  // an engine at the back drives along the heading
  EXPECT_NEAR(c->VY, 0, 1e-6);
  c->Radius = 0;  // no energy: no thrust
  world.SenseAndAct();
  EXPECT_FLOAT_EQ(c->VX, 0.7f);
}

TEST_F(WorldStep, DeathsAndBirthsFollowMinEnergyAndMaxFood) {
  Settings.MinEnergy = 50;
  Settings.MaxFood = 3;
  TCreature* dying = Body(0, 0, 7);                     // 49 < 50
  TCreature* living = Body(1000, 0, std::sqrt(50.0f));  // about MinEnergy: lives
  living->MaxEnergy = 1000;
  TCreature* plantA = Put(TCreature::CreateFood(World), 2000, 0, 13);  // 169 > 160
  TCreature* plantB = Put(TCreature::CreateFood(World), 3000, 0, 13);
  world.DeathsAndBirths();
  // The count (4) is at MaxFood or above, so both plants are capped; the weak one dies.
  EXPECT_EQ(world.Count(), 3);
  EXPECT_EQ(world.Items(0), living);
  EXPECT_EQ(plantB->Energy(), 160);
  EXPECT_EQ(plantA->Energy(), 160);
  (void)dying;
}

TEST_F(WorldStep, NewbornsCountTowardsMaxFood) {
  Settings.MaxFood = 3;
  TCreature* plantA = Put(TCreature::CreateFood(World), 2000, 0, 13);
  TCreature* plantB = Put(TCreature::CreateFood(World), 3000, 0, 13);
  world.DeathsAndBirths();
  // plantB divides (count 2 < 3); then the count is 3 and plantA is capped.
  EXPECT_EQ(world.Count(), 3);
  EXPECT_FLOAT_EQ(plantB->Energy(), 84.5f);
  EXPECT_EQ(plantA->Energy(), 160);
  EXPECT_TRUE(world.Items(2)->Vegetable);
}

// Under PlantRooms each kind divides in its own share of MaxFood, whatever the animals and the
// other kinds number: a full kind is capped while a kind with room divides, and a newborn fills
// its own kind's room.
TEST_F(WorldStep, EachPlantKindDividesInARoomOfItsOwn) {
  Settings.MaxFood = 4, Settings.PlantColors = 2, Settings.PlantRooms = 1;       // rooms of 2 and 2
  for (int i = 0; i < 5; ++i) Put(CreateAdam(World), 5000.0f + 100 * i, 0, 10);  // not counted
  TCreature* green[2];
  for (int i = 0; i < 2; ++i) green[i] = Put(TCreature::CreateFood(World), 2000.0f + 100 * i, 0, 13);
  TCreature* grey = Put(TCreature::CreateFood(World), 3000, 0, 13);
  for (TCreature* plant : green) plant->Color = PlantColor(0, 2);
  grey->Color = PlantColor(1, 2);
  world.DeathsAndBirths();
  EXPECT_EQ(green[0]->Energy(), 160);  // its kind's room is full
  EXPECT_EQ(green[1]->Energy(), 160);
  EXPECT_FLOAT_EQ(grey->Energy(), 84.5f);  // one of two: it divides
  ASSERT_EQ(world.Count(), 5 + 3 + 1);
  EXPECT_EQ(NearestPlantKind(world.Items(8)->Color, 2), 1);
  grey->SetEnergy(169);  // now its kind's room is full too
  world.DeathsAndBirths();
  EXPECT_EQ(grey->Energy(), 160);
  EXPECT_EQ(world.Count(), 5 + 3 + 1);
  Settings.PlantRooms = 0;  // without rooms the animals count against MaxFood: nothing divides
  green[0]->SetEnergy(169);
  world.DeathsAndBirths();
  EXPECT_EQ(green[0]->Energy(), 160);
}

// SightDiet: an eye's green light is weighed by how near what it sees is to its owner's colour,
// so an eater of one kind is drawn to its own plants and less to the others; KindFloor sprouts a
// plant of each kind that has fewer than the floor.
TEST_F(WorldStep, EyesSeeTheirOwnersFoodAndAGrazedKindSproutsAgain) {
  Settings.PlantColors = 3;
  TCreature* eater = Body(0, 0, 10);
  eater->Color = PlantColor(0, 3);
  TCreature* plant = Put(TCreature::CreateFood(World), 100, 0, 10);
  auto greenSeen = [&](uint32_t plantColor, double sightDiet) {
    Settings.SightDiet = sightDiet;
    plant->Color = plantColor;
    float r, g, b;
    world.GatherLight(0, 0, 0, 0, 0.5f, r, g, b);
    return g;
  };
  const float plain = greenSeen(PlantColor(0, 3), 0);
  ASSERT_GT(plain, 0);
  EXPECT_EQ(greenSeen(PlantColor(1, 3), 0), plain);  // without the rule every kind is alike
  // The owner's own kind (a likeness of about 1) twice as bright, a kind a third of the circle
  // away (-1/2) half as bright; at strength 2 the others vanish.
  EXPECT_NEAR(greenSeen(PlantColor(0, 3), 1) / plain, 2.0, 0.02);
  EXPECT_NEAR(greenSeen(PlantColor(1, 3), 1) / plain, 0.5, 0.02);
  EXPECT_LT(greenSeen(PlantColor(2, 3), 2), plain * 0.001);

  Settings.SightDiet = 0, Settings.KindFloor = 2;
  plant->Color = PlantColor(1, 3);  // one plant of kind 1, none of 0 and 2
  world.SproutKinds();
  world.SproutKinds();
  int32_t kinds[3] = {};
  for (const TCreature* c : world.List)
    if (c->Vegetable) ++kinds[NearestPlantKind(c->Color, 3)];
  EXPECT_EQ(kinds[0], 2);
  EXPECT_EQ(kinds[1], 2);  // one sprouted beside the one there
  EXPECT_EQ(kinds[2], 2);
  world.SproutKinds();  // at the floor: nothing more
  EXPECT_EQ(world.Count(), 1 + 6);
}

TEST_F(WorldStep, AnimalsDivideRegardlessOfMaxFood) {
  Settings.MaxFood = 0;
  TCreature* adam = CreateAdam(World);
  Put(adam, 0, 0, 50);
  world.DeathsAndBirths();
  EXPECT_EQ(world.Count(), 2);
  EXPECT_EQ(world.Items(1)->Parts.Count(), 9);
}

TEST_F(WorldStep, NonFiniteCreaturesDieInTheSameStep) {
  Settings.MinEnergy = -1;
  TCreature* bad = Body(0, 0, 10);
  bad->VX = std::numeric_limits<float>::infinity();
  bad->MaxEnergy = 1000;
  Body(500, 0, 10)->MaxEnergy = 1000;
  world.WorldStep();
  EXPECT_EQ(world.Count(), 1);
  EXPECT_EQ(world.Items(0)->X, 500);
}

TEST_F(WorldStep, CreaturesThatGravityMakesInfiniteDieAtTheEndOfTheStep) {
  Settings.MinEnergy = -1;
  Settings.Gravity = 1e38;
  TCreature* far = Body(1e10f, 0, 10);
  far->MaxEnergy = 1000;
  TCreature* home = Body(0, 0, 10);
  home->MaxEnergy = 1000;
  world.WorldStep();
  ASSERT_EQ(world.Count(), 1);
  EXPECT_EQ(world.Items(0), home);
  EXPECT_EQ(World.Grid.Cell(250, 0).size(), 0u);
}

TEST_F(WorldStep, GravityPullsTowardTheOrigin) {
  Settings.Gravity = 0.01;
  TCreature* c = Body(100, -50, 10);
  TCreature* o = Body(0, 0, 10);
  world.Gravity();
  EXPECT_EQ(c->VX, -1);
  EXPECT_EQ(c->VY, 0.5f);
  EXPECT_EQ(o->VX, 0);
}

TEST_F(WorldStep, ANewbornCollidesInItsFirstStep) {
  Settings.MaxFood = 100;
  TCreature* plant = Put(TCreature::CreateFood(World), 0, 0, 20);
  plant->VX = 0.5f;
  world.DeathsAndBirths();
  ASSERT_EQ(world.Count(), 2);
  TCreature* child = world.Items(1);
  world.Collisions(plant->Radius);
  const float dx = plant->X - child->X, dy = plant->Y - child->Y;
  EXPECT_GE(std::sqrt(dx * dx + dy * dy), plant->Radius + child->Radius);
}

}  // namespace
}  // namespace viv
