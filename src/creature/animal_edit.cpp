#include "creature/animal_edit.h"

#include <cmath>
#include <string_view>
#include <unordered_map>

#include "config/errors.h"
#include "parts/formula.h"
#include "parts/organ_kinds.h"

namespace viv {

namespace {

int32_t IndexOf(const TPartList& parts, const std::string& id) {
  for (int32_t k = 0; k < parts.Count(); ++k)
    if (parts.Items[static_cast<size_t>(k)]->Id == id) return k;
  return -1;
}

}  // namespace

TPart* NewOrgan(TPartKind kind, TVirtualCreature* owner, const TPartList& parts) {
  std::string base = KindName(kind);
  base[0] = static_cast<char>(base[0] - 'a' + 'A');
  std::string id = base;
  for (int n = 2; parts.Find(id) != nullptr; ++n) id = base + std::to_string(n);
  return OrganKindOf(kind).Fresh(owner, id);
}

namespace {

// The first organ of each id, looked up once per term: bodies and formulas of any size cost
// their sum, not their product.
std::unordered_map<std::string_view, const TPart*> FirstOrgans(const TPartList& parts) {
  std::unordered_map<std::string_view, const TPart*> first;
  for (const TPart* part : parts.Items) first.emplace(part->Id, part);
  return first;
}

const TPart* Named(const std::unordered_map<std::string_view, const TPart*>& organs, const std::string& id) {
  const auto it = organs.find(id);
  return it == organs.end() ? nullptr : it->second;
}

}  // namespace

std::string FormulaProblem(const TPartList& parts, const std::string& formula) {
  const std::vector<TFormulaTerm> terms = FormulaTerms(formula);
  const auto organs = FirstOrgans(parts);
  // A minus that is not a factor's sign: the language only adds terms.
  bool minus = false;
  for (size_t i = 0; i < formula.size(); ++i) {
    if (formula[i] != '-') continue;
    size_t before = i;
    while (before > 0 && static_cast<unsigned char>(formula[before - 1]) <= ' ') --before;
    const char c = before > 0 ? formula[before - 1] : '+';
    minus = minus || (c != '*' && c != 'e' && c != 'E');
  }
  for (size_t k = 0; k < terms.size(); ++k) {
    const TFormulaTerm& t = terms[k];
    const std::string term = "term " + std::to_string(k + 1) + " (" + (t.Id.empty() ? "no id" : t.Id) + "): ";
    if (!t.Valid)
      return term + "write Id.Output*Factor, with whole outputs and numeric factors" +
             (minus ? "; terms are only added: take one away with a negative factor (LeftEye.1*-8)" : "");
    const TPart* read = Named(organs, t.Id);
    if (read == nullptr) return term + "no organ has the id '" + t.Id + "'";
    if (std::string problem = OutputProblem(*read, t.Index); !problem.empty()) return term + problem;
  }
  size_t end = formula.size();
  while (end > 0 && static_cast<unsigned char>(formula[end - 1]) <= ' ') --end;
  if (end > 0 && formula[end - 1] == '+') return "the formula ends in '+': a term is missing after it";
  return {};
}

std::string OutputProblem(const TPart& organ, int32_t output) {
  const int32_t outputs = organ.OutputCount();
  if (output >= 0 && output < outputs) return {};
  const std::string kind = OrganKindOf(organ.Kind()).Article;
  if (outputs == 0) return "'" + organ.Id + "' is " + kind + ", which has no outputs to read";
  return "'" + organ.Id + "' is " + kind + ", whose outputs are " +
         (outputs == 1 ? std::string("0") : "0 to " + std::to_string(outputs - 1)) + ", not " + std::to_string(output);
}

std::vector<std::string> FormulaWarnings(const TCreature& animal) {
  std::vector<std::string> warnings;
  const auto organs = FirstOrgans(animal.Parts);
  for (const TPart* part : animal.Parts.Items) {
    const std::string* formula = part->FormulaText();
    if (!formula) continue;
    for (const TFormulaTerm& t : FormulaTerms(*formula)) {
      const TPart* read = t.Valid ? Named(organs, t.Id) : nullptr;
      if (!read) continue;
      if (std::string problem = OutputProblem(*read, t.Index); !problem.empty())
        warnings.push_back("the formula of '" + part->Id + "' reads " + t.Id + "." + std::to_string(t.Index) + ": " +
                           problem + "; it reads as 0");
    }
  }
  return warnings;
}

void CheckAnimalText(const std::string& text, const std::string& name) {
  TCreature animal;
  animal.LoadFromText(text, name);
  CheckAnimalFormulas(animal, name);
}

void CheckAnimalFormulas(const TCreature& animal, const std::string& name) {
  const auto organs = FirstOrgans(animal.Parts);
  for (const TPart* part : animal.Parts.Items) {
    const std::string* formula = part->FormulaText();
    if (!formula) continue;
    for (const TFormulaTerm& t : FormulaTerms(*formula)) {
      const std::string where = name + ": the formula of '" + part->Id + "' (" + *formula + ")";
      if (!t.Valid) throw EVivarion(where + " has a term that is not Id.Output*Factor");
      if (!Named(organs, t.Id)) throw EVivarion(where + " reads '" + t.Id + "', an organ the animal does not have");
    }
  }
}

std::vector<TAnimalProblem> AnimalProblems(const TCreature& animal) {
  std::vector<TAnimalProblem> problems;
  if (!(animal.Radius > 0) || !std::isfinite(animal.Radius)) problems.push_back({-1, "the radius must be above 0"});
  if (!(animal.MaxEnergy > 0) || !std::isfinite(animal.MaxEnergy))
    problems.push_back({-1, "the energy of division must be above 0"});
  for (int32_t k = 0; k < animal.Parts.Count(); ++k) {
    const TPart& part = *animal.Parts.Items[static_cast<size_t>(k)];
    if (part.Id.empty()) problems.push_back({k, "the organ needs an id"});
    if (const std::string* formula = part.FormulaText())
      if (std::string problem = FormulaProblem(animal.Parts, *formula); !problem.empty())
        problems.push_back({k, std::move(problem)});
  }
  return problems;
}

std::vector<TWire> AnimalWiring(const TPartList& parts) {
  std::vector<TWire> wires;
  for (int32_t to = 0; to < parts.Count(); ++to) {
    const std::string* formula = parts.Items[static_cast<size_t>(to)]->FormulaText();
    if (!formula) continue;
    for (const TFormulaTerm& t : FormulaTerms(*formula)) {
      const int32_t from = IndexOf(parts, t.Id);
      if (t.Valid && from >= 0) wires.push_back({from, to, t.Index, t.Factor});
    }
  }
  return wires;
}

}  // namespace viv
