#include <cmath>
#include <limits>
#include <numbers>

#include "creature/creature.h"
#include "parts/brain.h"
#include "parts/engine.h"
#include "parts/eye.h"
#include "parts/formula.h"
#include "parts/mouth.h"
#include "test_support.h"

namespace viv {
namespace {

class Formulas : public CleanWorld {
 protected:
  TCreature creature;
  TEye* right = new TEye(&creature, "RightEye", 0.5f);
  TEye* left = new TEye(&creature, "LeftEye", -0.5f);
  TBrain* brain = new TBrain(&creature, "Brain", 0, 0, 0, 1, "");
  TEngine* engine = new TEngine(&creature, "MidEngine", 3, 0, "");
  void SetUp() override {
    CleanWorld::SetUp();
    for (TPart* p : {static_cast<TPart*>(right), static_cast<TPart*>(left), static_cast<TPart*>(brain),
                     static_cast<TPart*>(engine)})
      creature.Parts.Add(p);
  }
  // Evaluates both ways and checks that they agree, in value and in error.
  float Eval(const std::string& formula) {
    std::string plainError, compiledError;
    float plain = 0, compiled = 0;
    try {
      plain = EvalFormulaText(formula, &creature);
    } catch (const std::exception& e) {
      plainError = e.what();
    }
    try {
      compiled = TCompiledFormula(formula).Eval(&creature);
    } catch (const std::exception& e) {
      compiledError = e.what();
    }
    EXPECT_EQ(plainError, compiledError) << formula;
    if (!plainError.empty()) throw std::runtime_error(plainError);
    EXPECT_EQ(plain, compiled) << formula;
    return plain;
  }
  std::string ErrorOf(const std::string& formula) {
    try {
      Eval(formula);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "";
  }
};

TEST_F(Formulas, EvaluateLinearCombinationsOfOutputs) {
  right->SetColors(0, 0.5f, 0);
  left->SetColors(0, 0.5f, 0);
  EXPECT_EQ(Eval(""), 0.0f);
  EXPECT_EQ(Eval("RightEye.1*8 + LeftEye.1*8"), 8.0f);
  left->SetColors(0, 0.25f, 0);
  brain->Value = 1;
  EXPECT_EQ(Eval("LeftEye.1*8+Brain.0*5"), 7.0f);
  EXPECT_EQ(Eval("LeftEye.1*-1"), -0.25f);
  EXPECT_EQ(Eval("  LeftEye  .1*8 +"), 2.0f);
  EXPECT_EQ(Eval("MidEngine.0*100"), 0.0f);
  EXPECT_EQ(Eval("Brain.7*2"), 2.0f);
  EXPECT_EQ(Eval("LeftEye.$1*8"), 2.0f);
}

TEST_F(Formulas, FailWithTheMessagesOfTheirFirstFault) {
  EXPECT_EQ(ErrorOf("RightEye.1*8 - LeftEye.1*8"), "'8 - LeftEye.1*8' is not a valid floating point value");
  EXPECT_EQ(ErrorOf("RightEye.1"), "'' is not a valid floating point value");
  EXPECT_EQ(ErrorOf("RightEye.1 *8"), "'1 ' is not a valid integer value");
  EXPECT_EQ(ErrorOf("RightEye"), "'' is not a valid integer value");
  EXPECT_EQ(ErrorOf("NoEye.1*8"), "TPart.EvalFormula: part not found (NoEye)");
  EXPECT_EQ(ErrorOf("righteye.1*8"), "TPart.EvalFormula: part not found (righteye)");
  // Conversions come before the look-up, terms from left to right.
  EXPECT_EQ(ErrorOf("NoEye.x*8"), "'x' is not a valid integer value");
  EXPECT_EQ(ErrorOf("NoEye.1*8+RightEye.x*1"), "TPart.EvalFormula: part not found (NoEye)");
  // A factor beyond the range of a single is refused like any other single.
  EXPECT_EQ(ErrorOf("RightEye.1*1e39"), "'1e39' is not a valid floating point value");
}

TEST_F(Formulas, FindTheFirstOrganOfAnIdAndFollowRenames) {
  TEye* second = new TEye(&creature, "RightEye", 0);
  creature.Parts.Add(second);
  right->SetColors(1, 1, 1);
  second->SetColors(9, 9, 9);
  TCompiledFormula f("RightEye.0*1");
  EXPECT_EQ(f.Eval(&creature), 1.0f);
  right->SetProperty("id", "Old");
  EXPECT_EQ(f.Eval(&creature), 9.0f);
  second->SetProperty("id", "Gone");
  EXPECT_THROW(f.Eval(&creature), EVivarion);
}

TEST_F(Formulas, PartListIndexAndCost) {
  EXPECT_EQ(creature.Parts.GetPart(2), brain);
  try {
    creature.Parts.GetPart(4);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (4)");
  }
  EXPECT_THROW(creature.Parts.GetPart(-1), EListError);
  EXPECT_EQ(creature.Parts.TotalCost(), 4.0f);
  TCreature empty;
  EXPECT_EQ(empty.Parts.TotalCost(), 0.0f);
  EXPECT_EQ(creature.Parts.Find("Brain"), brain);
  EXPECT_EQ(creature.Parts.Find("brain"), nullptr);
}

TEST_F(Formulas, PropertiesReadAndWriteAsText) {
  EXPECT_EQ(right->GetProperty("type"), "eye");
  EXPECT_EQ(right->GetProperty("Type"), "");
  EXPECT_EQ(right->GetProperty("r"), "1");
  EXPECT_EQ(right->GetProperty("phi"), "0.5");
  EXPECT_EQ(right->PropertyNames(), "type|id|r|phi");
  EXPECT_EQ(engine->PropertyNames(), "type|id|r|phi|angle|formula");
  EXPECT_EQ(brain->PropertyNames(), "type|id|r|phi|random|constant|formula");
  engine->SetProperty("formula", "Brain.0*2");
  EXPECT_EQ(engine->GetProperty("formula"), "Brain.0*2");
  EXPECT_EQ(engine->GetProperty("type"), "engine");
  engine->SetProperty("angle", "0.3");
  EXPECT_EQ(engine->GetProperty("angle"), "0.300000011920929");
  brain->SetProperty("random", "0.25");
  brain->SetProperty("constant", "-2");
  EXPECT_EQ(brain->RandomWeight, 0.25f);
  EXPECT_EQ(brain->GetProperty("constant"), "-2");
  right->SetProperty("phi", "0.75");
  EXPECT_EQ(right->Phi, 0.75f);
  EXPECT_THROW(right->SetProperty("phi", "abc"), EConvertError);
  EXPECT_EQ(right->Phi, 0.75f);
  right->SetProperty("colour", "red");  // ignored
  right->SetProperty("type", "brain");  // the kind stays
  EXPECT_EQ(right->GetProperty("type"), "eye");
}

TEST_F(Formulas, OrganKindsStartAsTheirConstructorsSay) {
  EXPECT_EQ(right->Size, 0.18f);
  EXPECT_EQ(right->R, 1.0f);
  TMouth mouth(&creature, "M", 0.2f);
  EXPECT_EQ(mouth.Size, 0.2f);
  EXPECT_EQ(mouth.OutputCount(), 1);
  EXPECT_EQ(engine->Segments, 3);
  EXPECT_EQ(engine->FlapAngle, static_cast<float>(std::numbers::pi / 8));
  EXPECT_EQ(engine->Size, 0.07f);
  EXPECT_EQ(engine->Cost(), 1.0f);
  EXPECT_EQ(brain->Size, 0.1f);
  EXPECT_EQ(brain->OutputCount(), 1);
}

TEST_F(Formulas, EyesAndMouthsReportWhatTheySensed) {
  right->SetColors(10, 20, 30);
  EXPECT_EQ(right->Output(0), 10);
  EXPECT_EQ(right->Output(1), 20);
  EXPECT_EQ(right->Output(2), 30);
  EXPECT_EQ(right->Output(3), 0);
  EXPECT_EQ(right->Output(-1), 0);
  TMouth mouth(&creature, "M", 0.2f);
  mouth.SetIntake(7);
  EXPECT_EQ(mouth.Output(0), 7);
  EXPECT_EQ(mouth.Output(5), 7);
  EXPECT_EQ(mouth.Output(-1), 7);
  TCreature other;
  TPart* clone = right->Clone(&other);
  EXPECT_EQ(clone->Owner, &other);
  EXPECT_EQ(clone->Id, "RightEye");
  EXPECT_EQ(clone->Phi, 0.5f);
  EXPECT_EQ(clone->Output(0), 0);
  other.Parts.Add(clone);
}

TEST_F(Formulas, EnginesClampPowerAndDriftTheRightPhase) {
  brain->Value = 150;
  engine->SetFormula("Brain.0*1");
  engine->Update(Random);
  EXPECT_EQ(engine->Power, 100);
  EXPECT_EQ(engine->Cost(), 6.0f);
  EXPECT_EQ(engine->Phase, 100);
  brain->Value = -3;
  engine->Update(Random);
  EXPECT_EQ(engine->Power, 0);
  EXPECT_EQ(engine->Phase, 100);
  brain->Value = 50;
  engine->Update(Random);
  EXPECT_EQ(engine->Cost(), 3.5f);
  TEngine rightEngine(&creature, "RightEngine", 3, 0, "");
  rightEngine.Update(Random);
  rightEngine.Update(Random);
  EXPECT_EQ(rightEngine.Phase, static_cast<float>(static_cast<double>(static_cast<float>(0.001)) + 0.001));
  // Added wide and rounded once: single-precision addition gives 0.00190000026 here.
  rightEngine.Phase = 0.000900000159f;
  rightEngine.Update(Random);
  EXPECT_EQ(rightEngine.Phase, static_cast<float>(0.000900000159f + 0.001));
  EXPECT_NE(rightEngine.Phase, 0.000900000159f + 0.001f);
  TEngine mid(&creature, "MidEngine", 3, 0, "");
  mid.Update(Random);
  EXPECT_EQ(mid.Phase, 0);
}

TEST_F(Formulas, ThrustFollowsAngleSizeAndPower) {
  float force, torque;
  engine->Power = 100;
  engine->GetThrust(10, force, torque);
  EXPECT_FLOAT_EQ(force, 0.7f);
  EXPECT_EQ(torque, 0);
  engine->Angle = 0.5f;
  engine->GetThrust(10, force, torque);
  EXPECT_FLOAT_EQ(torque, static_cast<float>(std::sin(0.5) * 0.25 * 0.07f * 100 / 10));
  engine->Power = 0;
  engine->GetThrust(10, force, torque);
  EXPECT_EQ(force, 0);
  EXPECT_EQ(torque, 0);
  engine->Power = 100;
  engine->GetThrust(0, force, torque);  // no body, no thrust
  EXPECT_EQ(force, 0);
  EXPECT_EQ(torque, 0);
}

TEST_F(Formulas, BrainsAddNoiseConstantAndFormula) {
  brain->Update(Random);
  EXPECT_EQ(brain->Value, 1.0f);
  EXPECT_EQ(CountDraws(Random, [&] { brain->Update(Random); }), 1);
  TBrain noisy(&creature, "N", 0, 0, 0.5f, 2, "Brain.0*1");
  for (int i = 0; i < 100; ++i) {
    noisy.Update(Random);
    ASSERT_GE(noisy.Value, 3.0f);
    ASSERT_LT(noisy.Value, 3.5f);
  }
  TBrain broken(&creature, "B", 0, 0, 0, 1, "Missing.0*1");
  broken.Value = 42;
  EXPECT_THROW(broken.Update(Random), EVivarion);
  EXPECT_EQ(broken.Value, 42);
  // A brain that doubles itself saturates at the largest float, and one that reads it with a
  // negative gain at the lowest: outputs stay finite.
  brain->SetFormula("Brain.0*2");
  TBrain against(&creature, "Against", 0, 0, 0, 0, "Brain.0*-8");
  for (int i = 0; i < 200; ++i) brain->Update(Random), against.Update(Random);
  EXPECT_EQ(brain->Value, std::numeric_limits<float>::max());
  EXPECT_EQ(against.Value, -std::numeric_limits<float>::max());
}

TEST_F(Formulas, MutationsTouchTheirFieldsInOrder) {
  TBrain b(&creature, "B", 0.5f, 1, 0.3f, 5, "");
  b.Mutate(1, Random);
  EXPECT_EQ(b.Constant, 1.0f);
  EXPECT_EQ(b.R, 0.5f);
  EXPECT_EQ(CountDraws(Random, [&] { b.Mutate(0, Random); }), 3);
  EXPECT_EQ(CountDraws(Random, [&] { engine->Mutate(0, Random); }), 2);
  EXPECT_EQ(CountDraws(Random, [&] { right->Mutate(0, Random); }), 1);
  TMouth mouth(&creature, "M", 0.2f);
  EXPECT_EQ(CountDraws(Random, [&] { mouth.Mutate(0, Random); }), 1);
  EXPECT_EQ(mouth.Phi, 0.2f);
}

}  // namespace
}  // namespace viv
