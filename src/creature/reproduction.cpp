// Division into a mutated child, and the mutation of species names.
#include <algorithm>
#include <numbers>

#include "config/random.h"
#include "creature/body_plan.h"
#include "creature/creature.h"
#include "parts/organ_limits.h"
#include "rules/division_rules.h"
#include "rules/open_mutation.h"

namespace viv {

bool IsVowel(char c) { return c == 'A' || c == 'E' || c == 'O' || c == 'I' || c == 'U'; }

char RandomVowel(TRandom& random) { return "EOIU"[random.Int(4)]; }

char RandomConsonant(TRandom& random) { return "CDFGHJKLMNPRSTVWZ"[random.Int(17)]; }

bool IsSpeciesName(const std::string& text) {
  // ASCII by hand: std::isalpha would follow the user's locale.
  return std::all_of(text.begin(), text.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

std::string MutateName(const std::string& name, TRandom& random) {
  std::string s = name;
  const int32_t length = static_cast<int32_t>(s.size());
  if (length == 0) {
    // A nameless animal (one read from a file) gets its first syllable.
    char consonant = RandomConsonant(random);
    char vowel = RandomVowel(random);
    return {consonant, vowel};
  }
  if (random.Int(length) >= 8) {
    s.erase(random.Int(length - 2), 2);
    return s;
  }
  // Names of 15 letters or more can only shrink or change a letter.
  const bool insert = length < 15 && random.Int(14 - length) >= 8;
  const int32_t p = random.Int(length);
  if (insert) {
    std::string pair(2, ' ');
    if (IsVowel(s[p])) {
      pair[0] = RandomVowel(random);
      pair[1] = RandomConsonant(random);
    } else {
      pair[0] = RandomConsonant(random);
      pair[1] = RandomVowel(random);
    }
    s.insert(p, pair);
  } else {
    s[p] = IsVowel(s[p]) ? RandomVowel(random) : RandomConsonant(random);
  }
  return s;
}

TCreature* TCreature::CreateChild(TCreature& parent) {
  TWorldContext& world = *parent.World;
  TRandom& random = world.Random;
  TCreature* child = new TCreature(world);
  const double rate = parent.MutationRate;
  parent.SetEnergy(parent.Energy() / 2);
  child->SetEnergy(parent.Energy());
  child->Vegetable = parent.Vegetable;
  child->MutationRate = parent.MutationRate;
  child->Heading = static_cast<float>(std::numbers::pi + parent.Heading);
  child->Color = MutateColor(random, parent.Color, rate);
  child->VX = -parent.VX;
  child->VY = -parent.VY;
  child->X = parent.X + child->VX;
  child->Y = parent.Y + child->VY;
  child->Spin = parent.Spin;
  child->Name = parent.Name;
  child->Origin = parent.Origin;
  child->ParentSerial = parent.Serial;
  child->MaxEnergy = static_cast<float>(MutateScale(random, parent.MaxEnergy, rate));
  for (const TPart* part : parent.Parts.Items) child->Parts.Add(part->Clone(child));
  for (TPart* part : child->Parts.Items) part->Mutate(child->MutationRate, random);
  // Structural mutation: a new name and a second copy of one organ either side of it. The
  // CopySkip rule makes it an event of some divisions rather than of every one.
  const TSettings& rules = world.Rules;
  const double r = random.Real();
  // A body at the organ limit gains no copy, so that whatever divides can be saved.
  if (-r < rate && child->Parts.Count() > 0 && child->Parts.Items.size() < MaxOrgans &&
      !(rules.CopySkip > 0 && random.Real() < rules.CopySkip)) {
    child->Name = MutateName(child->Name, random);
    TPart* organ = child->Parts.GetPart(random.Int(child->Parts.Count()));
    organ->Phi = static_cast<float>(organ->Phi + 0.1);
    TPart* copy = child->Parts.Add(organ->Clone(child));
    organ->Phi = static_cast<float>(organ->Phi - 0.2);
    // A copy with an id of its own is a new organ that formulas can come to read.
    if (rules.FreshIds > 0 && random.Real() < rules.FreshIds) copy->SetProperty("id", FreshId(child->Parts, copy->Id));
  }
  ApplyDivisionRules(child->Parts, child->Color, child->Vegetable, rules, random);
  world.Grid.Add(child, child->X, child->Y);
  if (!child->Vegetable) {
    if (parent.Plan == 0) parent.Plan = BodyPlanSignature(parent);
    child->Plan = BodyPlanSignature(*child);
    child->Taxon = child->Plan == parent.Plan ? parent.Taxon : world.TakeTaxon();
  }
  return child;
}

}  // namespace viv
