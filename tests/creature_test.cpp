#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <numbers>
#include <set>

#include "creature/creature.h"
#include "parts/brain.h"
#include "parts/engine.h"
#include "parts/eye.h"
#include "parts/mouth.h"
#include "parts/part_list.h"
#include "rules/diet.h"
#include "rules/division_rules.h"
#include "rules/open_mutation.h"
#include "test_support.h"
#include "world/fast/organ_actions.h"
#include "world/world.h"

namespace viv {
namespace {

using Creature = CleanWorld;

TEST_F(Creature, ConstructorsGiveTheEmptyCreatureAndThePlant) {
  TCreature* c = new TCreature(World);
  EXPECT_EQ(c->Energy(), 0);
  EXPECT_EQ(c->MutationRate, 0.05f);
  EXPECT_EQ(c->Parts.Count(), 0);
  EXPECT_EQ(c->Parts.Owner, c);
  delete c;
  TCreature* f = TCreature::CreateFood(World);
  EXPECT_EQ(f->Energy(), 100);
  EXPECT_EQ(f->MaxEnergy, 160);
  EXPECT_EQ(f->Name, "APPEL");
  EXPECT_EQ(f->MutationRate, 0);
  EXPECT_EQ(f->Color, 0x200A000u);
  EXPECT_TRUE(f->Vegetable);
  delete f;
}

TEST_F(Creature, EnergyIsTheSquareOfTheRadius) {
  TCreature c(World);
  c.Radius = 20;
  c.SetEnergy(2 * c.Energy());
  EXPECT_FLOAT_EQ(c.Radius, 20 * std::sqrt(2.0f));
  c.SetEnergy(-5);
  EXPECT_EQ(c.Radius, 0);
  c.Radius = 3;
  c.SetEnergy(std::numeric_limits<float>::infinity());
  EXPECT_EQ(c.Radius, 0);
  c.SetEnergy(std::nanf(""));
  EXPECT_EQ(c.Radius, 0);
}

TEST_F(Creature, UpkeepFollowsTheCostSettings) {
  TCreature* adam = CreateAdam(World);
  Settings.PartsCost = 2;
  Settings.RadiusCost = 0.5;
  Settings.CreatureCost = 3;
  EXPECT_EQ(adam->Upkeep(), 0);  // CostOfLiving 0
  Settings.CostOfLiving = 0.1;
  EXPECT_FLOAT_EQ(adam->Upkeep(), static_cast<float>((8 * 2 + (40 * 0.5 + 3)) * 0.1));
  TCreature empty(World);
  empty.Radius = 10;
  EXPECT_FLOAT_EQ(empty.Upkeep(), static_cast<float>((10 * 0.5 + 3) * 0.1));
  delete adam;
}

TEST_F(Creature, WithoutFrictionAnAnimalDriftsAndTurns) {
  TCreature c(World);
  c.Radius = 10;
  c.VX = 15, c.VY = -20, c.Spin = 0.25f;
  c.Step();
  EXPECT_EQ(World.Grid.Cell(0, 0).size(), 0u);  // still in its first cell: not yet listed
  for (int i = 0; i < 3; ++i) c.Step();
  EXPECT_EQ(c.X, 60);
  EXPECT_EQ(c.Y, -80);
  EXPECT_EQ(c.Heading, 1);
  EXPECT_EQ(c.VX, 15);
  EXPECT_EQ(c.Energy(), 100);
  auto [i, j] = CellOf(c.X, c.Y);
  EXPECT_EQ(World.Grid.Cell(i, j).size(), 1u);
  World.Grid.Remove(&c, c.X, c.Y);
}

TEST_F(Creature, DampingKicksSpinAndSunlightAsComputed) {
  Settings.Remming = 0.01;
  Settings.PhiRemming = 0.5;
  Settings.SunLight = 2;
  TCreature* plant = TCreature::CreateFood(World);
  plant->VX = 3, plant->VY = 4, plant->Spin = 1;
  plant->Step();
  // F = 1 - 25 x 0.01 = 0.75
  EXPECT_EQ(plant->VX, 2.25f);
  EXPECT_EQ(plant->VY, 3.0f);
  EXPECT_EQ(plant->Spin, 0.5f);
  EXPECT_FLOAT_EQ(plant->Energy(), static_cast<float>(100 + 2 / (2.25 * 2.25 + 9 + 0.2)));
  // At rest a plant gains 5 x SunLight.
  TCreature* rest = TCreature::CreateFood(World);
  rest->Step();
  EXPECT_FLOAT_EQ(rest->Energy(), 110);
  // Fast enough, the damping factor is -1 and reverses the velocity.
  TCreature fast(World);
  fast.VX = std::sqrt(200.0f);
  Settings.Remming = 2 / (static_cast<double>(fast.VX) * fast.VX);
  fast.Step();
  EXPECT_FLOAT_EQ(fast.VX, -std::sqrt(200.0f));
  // PlantDrag takes its share of a plant's velocity before the damping, and the plant grows
  // by the slower speed; an animal drifts on as before.
  Settings.Remming = 0.01, Settings.PlantDrag = 0.5;
  plant->VX = 6, plant->VY = 8, plant->SetEnergy(100);
  TCreature animal(World);
  animal.VX = 3, animal.VY = 4;
  plant->Step();
  animal.Step();
  EXPECT_EQ(plant->VX, 2.25f);
  EXPECT_EQ(plant->VY, 3.0f);
  EXPECT_FLOAT_EQ(plant->Energy(), static_cast<float>(100 + 2 / (2.25 * 2.25 + 9 + 0.2)));
  EXPECT_EQ(animal.VX, 2.25f);
  Settings.PlantDrag = 0;
  delete plant;
  delete rest;
}

TEST_F(Creature, BrownianKicksAreWholeHundredths) {
  struct Row {
    double brown;
    std::set<float> allowed;
  } rows[] = {{1.4, {0}}, {1.5, {-0.01f, 0.01f}}, {2.5, {-0.01f, 0.01f}}, {3, {-0.02f, -0.01f, 0.01f, 0.02f}}};
  for (const Row& row : rows) {
    Settings.Brown = row.brown;
    for (int i = 0; i < 200; ++i) {
      TCreature c(World);
      c.Step();
      EXPECT_TRUE(row.allowed.count(c.VX)) << row.brown << " gave " << c.VX;
      EXPECT_TRUE(row.allowed.count(c.VY));
      World.Grid.Remove(&c, c.X, c.Y);
    }
  }
  Settings.Brown = 1.4;
  TCreature still(World);
  EXPECT_EQ(CountDraws(Random, [&] { still.Step(); }), 0);
}

TEST_F(Creature, DestroyingFreesADuplicatedOrganOnce) {
  TCreature* c = new TCreature(World);
  TPart* eye = c->Parts.Add(new TEye(c, "E", 0));
  c->Parts.Add(eye);
  c->Parts.Add(new TMouth(c, "E", 1));
  EXPECT_EQ(c->FindPart("E"), eye);
  EXPECT_EQ(c->FindPart("X"), nullptr);
  delete c;  // a double free would be caught by the sanitizer build
}

TEST_F(Creature, APlantDividesIntoTwoEqualPlants) {
  TCreature* plant = TCreature::CreateFood(World);
  plant->SetEnergy(400);
  TCreature* child = TCreature::CreateChild(*plant);
  EXPECT_EQ(plant->Energy(), 200);
  EXPECT_EQ(child->Radius, plant->Radius);
  EXPECT_EQ(child->Name, "APPEL");
  EXPECT_EQ(child->Color, plant->Color);
  EXPECT_EQ(child->MaxEnergy, 160);
  EXPECT_TRUE(child->Vegetable);
  EXPECT_EQ(child->Parts.Count(), 0);
  EXPECT_EQ(World.Grid.Cell(0, 0).size(), 1u);
  delete child;
  delete plant;
}

TEST_F(Creature, AChildStartsBehindItsParentMovingTheOtherWay) {
  TCreature* parent = CreateAdam(World);
  parent->X = 100, parent->Y = 50, parent->VX = 1, parent->VY = -2, parent->Heading = 1;
  TCreature* child = TCreature::CreateChild(*parent);
  EXPECT_EQ(child->X, 99);
  EXPECT_EQ(child->Y, 52);
  EXPECT_EQ(child->VX, -1);
  EXPECT_EQ(child->VY, 2);
  EXPECT_EQ(child->Heading, static_cast<float>(1 + std::numbers::pi));
  EXPECT_EQ(parent->X, 100);
  EXPECT_EQ(parent->VX, 1);
  EXPECT_EQ(parent->Energy(), 800);
  EXPECT_EQ(child->Energy(), 800);
  EXPECT_EQ(World.Grid.Cell(2, 1).size(), 1u);
  delete child;
  delete parent;
}

TEST_F(Creature, DivisionMakesItsDrawsInTheirOrder) {
  TCreature* parent = CreateAdam(World);
  Random.Seed(99);
  TCreature* child = TCreature::CreateChild(*parent);
  // Replay the same draws by hand, in the order of the division.
  Random.Seed(99);
  TColor color = MutateColor(Random, parent->Color, parent->MutationRate);
  float maxEnergy = static_cast<float>(MutateScale(Random, parent->MaxEnergy, parent->MutationRate));
  TCreature* expected = CreateAdam(World);
  for (TPart* p : expected->Parts.Items) p->Mutate(parent->MutationRate, Random);
  Random.Real();
  std::string name = MutateName("ADAM", Random);
  int32_t copied = Random.Int(8);
  EXPECT_EQ(child->Color, color);
  EXPECT_EQ(child->MaxEnergy, maxEnergy);
  EXPECT_EQ(child->Name, name);
  ASSERT_EQ(child->Parts.Count(), 9);
  for (int i = 0; i < 8; ++i) {
    TPart* got = child->Parts.GetPart(i);
    TPart* want = expected->Parts.GetPart(i);
    EXPECT_EQ(got->Id, want->Id);
    EXPECT_EQ(got->Owner, child);
    float phi = want->Phi;
    if (i == copied) phi = static_cast<float>(static_cast<float>(phi + 0.1) - 0.2);
    EXPECT_EQ(got->Phi, phi) << i;
  }
  TPart* copy = child->Parts.GetPart(8);
  EXPECT_EQ(copy->Id, expected->Parts.GetPart(copied)->Id);
  EXPECT_EQ(copy->Phi, static_cast<float>(expected->Parts.GetPart(copied)->Phi + 0.1));
  EXPECT_EQ(child->FindPart(copy->Id), child->Parts.GetPart(copied));
  delete expected;
  delete child;
  delete parent;
}

TEST_F(Creature, OrganLossDropsCopiesButNeverTheFirstOrganOfAnId) {
  // ADAM with two extra copies of its left eye: eleven organs after the division's own copy.
  auto parentWithCopies = [this] {
    TCreature* parent = CreateAdam(World);
    parent->Parts.Add(parent->Parts.GetPart(2)->Clone(parent));
    parent->Parts.Add(parent->Parts.GetPart(2)->Clone(parent));
    return parent;
  };
  TCreature* parent = parentWithCopies();
  const TRandomState start = Random.State();
  TCreature* keeps = TCreature::CreateChild(*parent);  // OrganLoss absent: 0
  EXPECT_EQ(keeps->Parts.Count(), 11);
  const int plainDraws = CountDraws(Random, [&] { delete TCreature::CreateChild(*parent); });

  Settings.OrganLoss = 1;
  Random.SetState(start);
  std::unique_ptr<TCreature> other(parentWithCopies()), adam(CreateAdam(World));
  TCreature* bare = TCreature::CreateChild(*other);
  ASSERT_EQ(bare->Parts.Count(), 8);  // every copy gone, the eight organs of the genome kept
  for (int i = 0; i < 8; ++i) EXPECT_EQ(bare->Parts.GetPart(i)->Id, adam->Parts.GetPart(i)->Id);
  for (TPart* p : bare->Parts.Items) p->Update(Random);  // every formula still finds its organs
  // One draw for each of the three copies, after the division's own draws.
  EXPECT_EQ(CountDraws(Random, [&] { delete TCreature::CreateChild(*parent); }), plainDraws + 3);
  delete bare;
  delete keeps;
  delete parent;
}

// Formula edits stay within the language and the animal: every term of an edited formula reads
// an output that the child has, a factor left alone keeps its text, and copies get ids of their
// own that the next edits can read.
TEST_F(Creature, FormulasMutateIntoFormulasTheAnimalCanEvaluate) {
  std::unique_ptr<TCreature> adam(CreateAdam(World));
  EXPECT_EQ(FreshId(adam->Parts, "LeftEye"), "LeftEye2");
  adam->Parts.Add(adam->Parts.GetPart(2)->Clone(adam.get()))->Id = "LeftEye2";
  EXPECT_EQ(FreshId(adam->Parts, "LeftEye2"), "LeftEye3");
  EXPECT_EQ(FormulaText({{"Brain", 0, 0.13f, true}, {"LeftEye", 2, -8, true}}), "Brain.0*0.13 + LeftEye.2*-8");
  EXPECT_EQ(FormulaTerms("Brain.0*0.13 + LeftEye.2*-8")[1].Factor, -8);
  std::set<std::string> formulas;
  bool newOrganRead = false;
  for (int i = 0; i < 300; ++i) {
    MutateFormulas(adam->Parts, 1, Random);
    for (const TPart* p : adam->Parts.Items) {
      const std::string formula = p->GetProperty("formula");
      formulas.insert(formula);
      for (const TFormulaTerm& t : FormulaTerms(formula)) {
        ASSERT_TRUE(t.Valid) << formula;
        ASSERT_NE(adam->FindPart(t.Id), nullptr) << formula;
        ASSERT_LT(t.Index, adam->FindPart(t.Id)->OutputCount()) << formula;
        newOrganRead |= t.Id == "LeftEye2";
      }
    }
    for (TPart* p : adam->Parts.Items) p->Update(Random);
  }
  EXPECT_GT(formulas.size(), 300u);
  EXPECT_TRUE(newOrganRead);
  // A formula with a term that is no number is left alone.
  TEngine* engine = static_cast<TEngine*>(adam->Parts.GetPart(5));
  engine->SetFormula("Brain.0*x");
  MutateFormulas(adam->Parts, 1, Random);
  EXPECT_EQ(engine->Formula(), "Brain.0*x");
}

// Food of several kinds: plants come in the colours of the palette (the first the classic
// plant's), an eater of another colour gains only its share of a bite while the victim loses
// all of it, and an animal child's colour moves by at most the set step.
TEST_F(Creature, AColourDietSplitsFoodIntoKinds) {
  EXPECT_EQ(PlantColor(0, 3), 0x200A000u);
  EXPECT_EQ(PlantColor(1, 3), 0x233A0BDu);  // the same green, more red, or more blue
  EXPECT_EQ(PlantColor(2, 3), 0x2BDA033u);
  EXPECT_EQ(PlantColor(1, 2), 0x2A0A0A0u);  // grey, opposite the green
  Settings.PlantColors = 3;
  std::map<uint32_t, int> colours;
  for (int i = 0; i < 60; ++i) {
    std::unique_ptr<TCreature> plant(TCreature::CreateFood(World));
    ++colours[plant->Color];
  }
  ASSERT_EQ(colours.size(), 3u);
  for (int k = 0; k < 3; ++k) EXPECT_GT(colours[PlantColor(k, 3)], 5);

  EXPECT_EQ(DietShare(0x2123456, 0x2123456, 0.8), 1);
  EXPECT_DOUBLE_EQ(DietShare(0x2000000, 0x2FFFFFF, 0.8), 1 - 0.8);
  EXPECT_EQ(DietShare(0x2000000, 0x2FFFFFF, 3), 0);
  Settings.ColorDiet = 0.5;
  std::unique_ptr<TCreature> eater(CreateAdam(World)), plant(TCreature::CreateFood(World));
  eater->Radius = 100, plant->Radius = 20;  // a bite is a thousandth of the eater: 10
  plant->Color = 0x200A000;                 // red 0 against ADAM's 80, blue 0 as ADAM's
  Bite(*eater, *static_cast<TMouth*>(eater->Parts.GetPart(3)), plant.get());
  EXPECT_NEAR(eater->Energy(), 10000 + 10 * (1 - 0.5 * 80 / 510.0), 0.01);
  EXPECT_NEAR(plant->Energy(), 400 - 10, 0.001);

  // A narrow diet: of a plant of its own kind an eater keeps all, of another almost nothing, and
  // the plant loses what is kept and the waste of the rest; meat loses MeatLoss on the way and
  // the bitten animal loses the whole bite. Each bite's energy is counted by its source.
  Settings.ColorDiet = 0, Settings.DietWidth = 0.2, Settings.BiteWaste = 0.25, Settings.MeatLoss = 0.75;
  const double far = std::exp(-0.5 * (80 / 510.0 / 0.2) * (80 / 510.0 / 0.2));
  World.Flows = TStepFlows();
  eater->SetEnergy(10000), plant->SetEnergy(400);
  Bite(*eater, *static_cast<TMouth*>(eater->Parts.GetPart(3)), plant.get());
  EXPECT_NEAR(eater->Energy(), 10000 + 10 * far, 0.01);
  EXPECT_NEAR(plant->Energy(), 400 - 10 * (far + 0.25 * (1 - far)), 0.001);
  std::unique_ptr<TCreature> prey(CreateAdam(World));
  prey->SetEnergy(400);
  eater->SetEnergy(10000);
  Bite(*eater, *static_cast<TMouth*>(eater->Parts.GetPart(3)), prey.get());
  EXPECT_NEAR(eater->Energy(), 10000 + 10 * 0.25, 0.01);
  EXPECT_NEAR(prey->Energy(), 400 - 10, 0.001);
  EXPECT_NEAR(World.Flows.FromPlants, 10 * far, 0.01);
  EXPECT_NEAR(World.Flows.FromAnimals, 2.5, 0.001);
  // MeatSpared leaves that share of an animal bite untaken: the eater and the bitten both move
  // only the rest. A plant bite is as before.
  Settings.MeatSpared = 0.6;
  prey->SetEnergy(400), eater->SetEnergy(10000), plant->SetEnergy(400);
  Bite(*eater, *static_cast<TMouth*>(eater->Parts.GetPart(3)), prey.get());
  EXPECT_NEAR(eater->Energy(), 10000 + 10 * 0.25 * 0.4, 0.01);
  EXPECT_NEAR(prey->Energy(), 400 - 10 * 0.4, 0.001);
  eater->SetEnergy(10000);
  Bite(*eater, *static_cast<TMouth*>(eater->Parts.GetPart(3)), plant.get());
  EXPECT_NEAR(plant->Energy(), 400 - 10 * (far + 0.25 * (1 - far)), 0.001);
  Settings.MeatSpared = 0;
  // The diet's shape: of two kinds (0, 0) and (160, 160) a specialist keeps 1 of its own and
  // the far share of the other, an eater halfway the near share of both. Under the Gaussian the
  // eater halfway gains more of the two; under DietShape 1 or 0.5, at the same width, less.
  for (const double shape : {0.0, 1.0, 0.5}) {
    Settings.DietWidth = 0.6, Settings.DietShape = shape;
    const uint32_t kind0 = PlantColor(0, 2), kind1 = PlantColor(1, 2), halfway = 0x2005050;
    const double specialist =
        BiteShares(kind0, kind0, true, Settings).Kept + BiteShares(kind0, kind1, true, Settings).Kept;
    const double generalist =
        BiteShares(halfway, kind0, true, Settings).Kept + BiteShares(halfway, kind1, true, Settings).Kept;
    EXPECT_EQ(generalist > specialist, shape == 0) << "shape " << shape;
    EXPECT_GT(BiteShares(kind0, kind1, true, Settings).Kept, 0.3) << "shape " << shape;  // wide enough to live on
  }
  Settings.DietShape = 0;
  EXPECT_EQ(NearestPlantKind(0x2003310, 3), 0);  // red and blue near (0, 0)
  EXPECT_EQ(NearestPlantKind(0x2B00040, 3), 2);  // blue above red
  EXPECT_EQ(NearestPlantKind(0x2123456, 1), 0);

  std::set<uint32_t> bytes;
  uint32_t color = 0x2000000;
  for (int i = 0; i < 20000; ++i) {
    color = ShiftColor(Random, color, 8);
    ASSERT_EQ(color >> 24, 2u);
    bytes.insert(color & 255);
  }
  EXPECT_EQ(*bytes.begin(), 0u);
  EXPECT_EQ(*bytes.rbegin(), 255u);  // a walk that reaches both ends, never beyond them

  // DietJump: an animal child takes a plant kind's red and blue and keeps its own green; a
  // plant child keeps its colour.
  Settings.PlantColors = 3, Settings.DietJump = 1;
  std::set<int32_t> kinds;
  for (int i = 0; i < 200; ++i) {
    TPartList organs(nullptr);  // no organs: only the colour rules draw
    uint32_t animal = 0x2123456, plant = PlantColor(1, 3);
    ApplyDivisionRules(organs, animal, false, Settings, Random);
    ApplyDivisionRules(organs, plant, true, Settings, Random);
    const int32_t kind = NearestPlantKind(animal, 3);
    ASSERT_EQ(RedBlueDistance(animal, PlantColor(kind, 3)), 0);
    ASSERT_EQ(animal & 0xFF00FF00u, 0x2003400u);  // the flag and green kept
    ASSERT_EQ(plant, PlantColor(1, 3));
    kinds.insert(kind);
  }
  EXPECT_EQ(kinds.size(), 3u);
  Settings.PlantColors = 0, Settings.DietJump = 0;
}

TEST_F(Creature, NamesMutateWithTheirStatedChances) {
  std::map<size_t, int> lengths;
  const int draws = 20000;
  for (int i = 0; i < draws; ++i) {
    std::string n = MutateName("ADAM", Random);
    ++lengths[n.size()];
    if (n.size() == 4) {
      int changed = 0;
      for (int k = 0; k < 4; ++k) {
        changed += n[k] != "ADAM"[k];
        EXPECT_EQ(IsVowel(n[k]), IsVowel("ADAM"[k]));
      }
      EXPECT_LE(changed, 1);
    }
  }
  EXPECT_NEAR(lengths[6] / double(draws), 2.0 / 10, 0.015);
  EXPECT_EQ(lengths[6] + lengths[4], draws);

  int shrunk = 0;
  for (int i = 0; i < draws; ++i) {
    std::string n = MutateName("ABCDEFGHZ", Random);
    if (n.size() == 7) {
      ++shrunk;
      EXPECT_EQ(n.back(), 'Z');
    } else {
      EXPECT_EQ(n.size(), 9u);
    }
  }
  EXPECT_NEAR(shrunk / double(draws), 1.0 / 9, 0.01);
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(MutateName("ABCDEFG", Random).size(), 7u);
    std::string longName(20, 'K');
    size_t len = MutateName(longName, Random).size();
    EXPECT_TRUE(len == 18 || len == 20);
  }
  std::string empty = MutateName("", Random);
  ASSERT_EQ(empty.size(), 2u);
  EXPECT_FALSE(IsVowel(empty[0]));
  EXPECT_TRUE(IsVowel(empty[1]));
}

TEST_F(Creature, LettersComeFromTheirSets) {
  std::set<char> vowels, consonants;
  for (int i = 0; i < 2000; ++i) {
    vowels.insert(RandomVowel(Random));
    consonants.insert(RandomConsonant(Random));
  }
  EXPECT_EQ(vowels, (std::set<char>{'E', 'O', 'I', 'U'}));
  EXPECT_EQ(consonants.size(), 17u);
  for (char c : {'B', 'Q', 'X', 'Y'}) EXPECT_FALSE(consonants.count(c));
  EXPECT_FALSE(IsVowel('a'));
  EXPECT_TRUE(IsVowel('A'));
}

}  // namespace
}  // namespace viv
