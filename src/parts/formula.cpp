#include "parts/formula.h"

#include <string_view>
#include <unordered_map>

#include "config/errors.h"
#include "config/number_text.h"
#include "parts/part.h"

namespace viv {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

// The text before the next delimiter, cut off the front of rest (all of rest when there is
// none), as the language splits terms; a position moves, so a formula is read in one pass.
std::string_view CutOff(std::string_view& rest, char delimiter) {
  const size_t at = rest.find(delimiter);
  const std::string_view head = rest.substr(0, at);
  rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
  return head;
}

const TPart* FindOrFail(const TVirtualCreature* owner, const std::string& id) {
  const TPart* part = owner ? owner->FindPart(id) : nullptr;
  if (!part) throw EVivarion("TPart.EvalFormula: part not found (" + id + ")");
  return part;
}

float Accumulate(float result, const TPart* part, int32_t index, float factor) {
  return static_cast<float>(static_cast<double>(result) + static_cast<double>(part->Output(index)) * factor);
}

}  // namespace

float EvalFormulaText(const std::string& formula, const TVirtualCreature* owner) {
  return TCompiledFormula(formula).Eval(owner);
}

std::vector<TFormulaTerm> FormulaTerms(const std::string& text) {
  std::vector<TFormulaTerm> terms;
  for (const auto& t : TCompiledFormula(text).terms_) terms.push_back({t.id, t.index, t.factor, t.error.empty()});
  return terms;
}

TCompiledFormula::TCompiledFormula(const std::string& text) {
  std::string_view rest = text;
  while (!rest.empty()) {
    Term term;
    term.id = Trim(CutOff(rest, '.'));
    const std::string_view index = CutOff(rest, '*');
    try {
      term.index = StrToInt(std::string(index));
    } catch (const EConvertError& e) {
      term.error = e.what();
    }
    const std::string_view factor = CutOff(rest, '+');
    if (term.error.empty()) {
      try {
        term.factor = StrToSingle(std::string(factor));
      } catch (const EConvertError& e) {
        term.error = e.what();
      }
    }
    terms_.push_back(std::move(term));
  }
}

void TCompiledFormula::Resolve(const TVirtualCreature* owner) const {
  // Each id once: a formula of many terms over a body of many organs costs their sum, not
  // their product. An organ not found stays null; Eval reports it when its term comes.
  std::unordered_map<std::string_view, const TPart*> found;
  for (const Term& term : terms_) {
    auto [it, fresh] = found.emplace(term.id, nullptr);
    if (fresh && owner) it->second = owner->FindPart(term.id);
    term.part = it->second;
  }
  owner_ = owner;
  epoch_ = owner ? owner->IdEpoch() : 0;
}

float TCompiledFormula::Eval(const TVirtualCreature* owner) const {
  float result = 0;
  // Organs are only ever appended, so the first organ of an id stays the first until some id
  // changes.
  if (!owner || owner != owner_ || owner->IdEpoch() != epoch_) Resolve(owner);
  for (const Term& term : terms_) {
    if (!term.error.empty()) throw EConvertError(term.error);
    const TPart* part = term.part ? term.part : FindOrFail(nullptr, term.id);
    result = Accumulate(result, part, term.index, term.factor);
  }
  return result;
}

}  // namespace viv
