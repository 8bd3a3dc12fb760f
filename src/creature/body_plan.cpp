#include "creature/body_plan.h"

#include <xxhash.h>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "creature/creature.h"
#include "parts/formula.h"

namespace viv {

namespace {

// 0 for none, then 1 for one, 2 for two or three, 3 for four to seven ...
int Bin(int64_t n) {
  int bin = 0;
  for (; n > 0; n >>= 1) ++bin;
  return bin;
}

// The organs with a distinct id, first of each, in the order of the body.
std::vector<const TPart*> FirstOrgans(const TCreature& c) {
  std::vector<const TPart*> firsts;
  std::unordered_set<std::string> seen;
  for (const TPart* p : c.Parts.Items)
    if (seen.insert(p->Id).second) firsts.push_back(p);
  return firsts;
}

}  // namespace

std::string BodyPlanText(const TCreature& c) {
  std::string text;
  for (const TPart* p : FirstOrgans(c)) {
    text += KindName(p->Kind());
    text += ' ';
    text += p->Id;
    if (const std::string* formula = p->FormulaText()) {
      std::vector<std::string> terms;
      for (const TFormulaTerm& t : FormulaTerms(*formula)) {
        const char sign = !t.Valid ? '?' : t.Factor > 0 ? '+' : t.Factor < 0 ? '-' : '0';
        terms.push_back(t.Id + '.' + std::to_string(t.Index) + sign);
      }
      std::sort(terms.begin(), terms.end());
      text += " (";
      for (size_t k = 0; k < terms.size(); ++k) text += (k ? " " : "") + terms[k];
      text += ')';
    }
    text += '\n';
  }
  int64_t counts[4] = {0, 0, 0, 0};
  for (const TPart* p : c.Parts.Items) ++counts[static_cast<int>(p->Kind())];
  text += "organs";
  for (int64_t n : counts) text += ' ' + std::to_string(Bin(n));
  const double energy = c.MaxEnergy;
  text += "\nenergy " + (std::isfinite(energy) && energy >= 1 ? std::to_string(std::ilogb(energy)) : std::string("-"));
  return text;
}

uint64_t BodyPlanSignature(const TCreature& c) {
  const std::string text = BodyPlanText(c);
  return XXH64(text.data(), text.size(), 0);
}

int32_t UsedOrgans(const TCreature& c) {
  std::unordered_set<std::string> used;
  std::vector<const TPart*> work;
  // Each id's first organ, found once: a formula of many terms over a body of many organs
  // costs their sum, not their product.
  std::unordered_map<std::string_view, const TPart*> named;
  for (const TPart* p : c.Parts.Items) named.emplace(p->Id, p);
  for (const TPart* p : FirstOrgans(c))
    if (p->Kind() == TPartKind::Engine && used.insert(p->Id).second) work.push_back(p);
  while (!work.empty()) {
    const TPart* p = work.back();
    work.pop_back();
    const std::string* formula = p->FormulaText();
    if (!formula) continue;
    for (const TFormulaTerm& t : FormulaTerms(*formula)) {
      if (!t.Valid || t.Factor == 0) continue;
      const auto found = named.find(t.Id);
      const TPart* read = found == named.end() ? nullptr : found->second;
      if (read && used.insert(read->Id).second) work.push_back(read);
    }
  }
  return static_cast<int32_t>(used.size());
}

}  // namespace viv
