#include "parts/formula.h"

#include "config/duck.h"
#include "config/errors.h"
#include "config/number_text.h"
#include "parts/part.h"

namespace viv {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
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
  float result = 0;
  std::string rest = formula, head;
  while (!rest.empty()) {
    SplitOff(rest, ".", head);
    std::string id = Trim(head);
    SplitOff(rest, "*", head);
    int32_t index = StrToInt(head);
    SplitOff(rest, "+", head);
    float factor = StrToSingle(head);
    result = Accumulate(result, FindOrFail(owner, id), index, factor);
  }
  return result;
}

std::vector<TFormulaTerm> FormulaTerms(const std::string& text) {
  std::vector<TFormulaTerm> terms;
  for (const auto& t : TCompiledFormula(text).terms_) terms.push_back({t.id, t.index, t.factor, t.error.empty()});
  return terms;
}

TCompiledFormula::TCompiledFormula(const std::string& text) {
  std::string rest = text, head;
  while (!rest.empty()) {
    Term term;
    SplitOff(rest, ".", head);
    term.id = Trim(head);
    SplitOff(rest, "*", head);
    try {
      term.index = StrToInt(head);
    } catch (const EConvertError& e) {
      term.error = e.what();
    }
    SplitOff(rest, "+", head);
    if (term.error.empty()) {
      try {
        term.factor = StrToSingle(head);
      } catch (const EConvertError& e) {
        term.error = e.what();
      }
    }
    terms_.push_back(std::move(term));
  }
}

float TCompiledFormula::Eval(const TVirtualCreature* owner) const {
  float result = 0;
  const uint64_t epoch = owner ? owner->IdEpoch() : 0;
  for (const Term& term : terms_) {
    if (!term.error.empty()) throw EConvertError(term.error);
    // Organs are only ever appended, so the first organ of an id stays the first
    // until some id changes.
    if (!owner || term.partEpoch != epoch) {
      term.part = FindOrFail(owner, term.id);
      term.partEpoch = epoch;
    }
    result = Accumulate(result, term.part, term.index, term.factor);
  }
  return result;
}

}  // namespace viv
