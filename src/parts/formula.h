#pragma once
// Linear formulas over the outputs of a creature's organs: "Id.Index*Factor + ...".
#include <cstdint>
#include <string>
#include <vector>

namespace viv {

class TPart;
class TVirtualCreature;

// Parses and evaluates in one go.
float EvalFormulaText(const std::string& formula, const TVirtualCreature* owner);

// One term of a formula as written: the organ id it reads, the output and the factor; Valid
// is false when the output or the factor is no number (evaluating the formula then fails).
struct TFormulaTerm {
  std::string Id;
  int32_t Index = 0;
  float Factor = 0;
  bool Valid = false;
};
// The terms of a formula in their order, read the way evaluation reads them.
std::vector<TFormulaTerm> FormulaTerms(const std::string& text);

// A formula parsed once, when it is set. Evaluating it gives the same value and raises
// the same errors, in the same order, as EvalFormulaText on its text; the organ that
// each term names is remembered while the owner's ids stay as they are (TVirtualCreature::IdEpoch).
class TCompiledFormula {
 public:
  TCompiledFormula() = default;
  explicit TCompiledFormula(const std::string& text);
  float Eval(const TVirtualCreature* owner) const;

 private:
  friend std::vector<TFormulaTerm> FormulaTerms(const std::string& text);
  struct Term {
    std::string id;
    int32_t index = 0;
    float factor = 0;
    std::string error;                    // the conversion error of the index or the factor, if any
    mutable const TPart* part = nullptr;  // the organ found for owner_ at epoch_, or null
  };
  // Looks every term's organ up in owner, each id once.
  void Resolve(const TVirtualCreature* owner) const;
  std::vector<Term> terms_;
  mutable const TVirtualCreature* owner_ = nullptr;
  mutable uint64_t epoch_ = 0;
};

}  // namespace viv
