#include "rules/open_mutation.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "config/number_text.h"
#include "parts/organ_limits.h"
#include "parts/part_list.h"

namespace viv {

namespace {

// The shortest text that reads back as the same single-precision value ("0.13", not
// "0.129999995231628"), so that a factor left alone keeps its look.
std::string FactorText(float factor) { return ShortestText(factor); }

// A factor to two decimals: new factors are written as a person would write them.
float Rounded(double factor) { return static_cast<float>(std::nearbyint(factor * 100) / 100); }

// Whether a formula can name the id: the language splits terms at ".", "*" and "+" and trims
// blanks (an id read from a file may have any of them).
bool Nameable(const std::string& id) {
  if (id.empty() || static_cast<unsigned char>(id.front()) <= ' ' || static_cast<unsigned char>(id.back()) <= ' ')
    return false;
  return id.find_first_of(".*+") == std::string::npos;
}

// A random output of the child's organs that a formula can read: an id whose first organ
// (the one formulas read) has outputs, and one of them. False when no organ has any.
bool RandomInput(const TPartList& parts, TRandom& random, TFormulaTerm& term) {
  std::vector<const TPart*> readable;
  for (const TPart* part : parts.Items)
    if (Nameable(part->Id) && parts.Find(part->Id)->OutputCount() > 0) readable.push_back(part);
  if (readable.empty()) return false;
  const TPart* source = readable[random.Int(static_cast<int32_t>(readable.size()))];
  term.Id = source->Id;
  term.Index = random.Int(parts.Find(source->Id)->OutputCount());
  term.Valid = true;
  return true;
}

// One edit of the terms; which one is drawn, and an empty formula can only gain a term.
void EditTerms(std::vector<TFormulaTerm>& terms, const TPartList& parts, TRandom& random) {
  const int32_t count = static_cast<int32_t>(terms.size());
  const int32_t edit = count == 0 ? 2 : random.Int(4);
  if (edit == 0) {
    TFormulaTerm& term = terms[random.Int(count)];
    const double scale = 0.5 + random.Real();
    term.Factor = Rounded(term.Factor * scale + (random.Real() * 2 - 1));
  } else if (edit == 1) {
    TFormulaTerm& term = terms[random.Int(count)];
    const float factor = term.Factor;
    if (RandomInput(parts, random, term)) term.Factor = factor;
  } else if (edit == 2) {
    TFormulaTerm term;
    if (!RandomInput(parts, random, term)) return;
    term.Factor = Rounded((random.Real() * 2 - 1) * 10);
    terms.push_back(term);
  } else {
    terms.erase(terms.begin() + random.Int(count));
  }
}

}  // namespace

std::string FreshId(const TPartList& parts, const std::string& id) {
  std::string base = id;
  while (!base.empty() && base.back() >= '0' && base.back() <= '9') base.pop_back();
  for (int32_t n = 2;; ++n) {
    std::string candidate = base + std::to_string(n);
    if (!parts.Find(candidate)) return candidate;
  }
}

std::string FormulaText(const std::vector<TFormulaTerm>& terms) {
  std::string text;
  for (const TFormulaTerm& t : terms) {
    if (!text.empty()) text += " + ";
    text += t.Id + '.' + std::to_string(t.Index) + '*' + FactorText(t.Factor);
  }
  return text;
}

void MutateFormulas(TPartList& organs, double chance, TRandom& random) {
  std::vector<TPart*>& items = organs.Items;
  for (size_t k = 0; k < items.size(); ++k) {
    TPart* part = items[k];
    if (part->FormulaText() == nullptr) continue;
    if (std::find(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(k), part) != items.begin() + k) continue;
    if (!(random.Real() < chance)) continue;
    std::vector<TFormulaTerm> terms = FormulaTerms(part->GetProperty("formula"));
    if (std::any_of(terms.begin(), terms.end(), [](const TFormulaTerm& t) { return !t.Valid; })) continue;
    EditTerms(terms, organs, random);
    const std::string before = part->GetProperty("formula");
    part->SetProperty("formula", FormulaText(terms));
    // An edit that would take the animal's formulas past their limit is undone.
    if (FormulaTextLength(organs) > MaxFormulaText) part->SetProperty("formula", before);
  }
}

std::vector<std::string> IdsFormulasRead(const TPartList& organs) {
  std::vector<std::string> ids;
  for (const TPart* part : organs.Items) {
    if (part->FormulaText() == nullptr) continue;
    for (const TFormulaTerm& term : FormulaTerms(part->GetProperty("formula")))
      if (std::find(ids.begin(), ids.end(), term.Id) == ids.end()) ids.push_back(term.Id);
  }
  return ids;
}

}  // namespace viv
