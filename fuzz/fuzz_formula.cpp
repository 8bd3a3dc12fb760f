// Any text as a formula: the compiled form gives the value and the error of the plain
// evaluator, bit for bit and word for word.
#include <cstdlib>
#include <cstring>
#include <string>

#include "parts/eye.h"
#include "parts/formula.h"
#include "world/world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static viv::TWorldContext world;
  static viv::TCreature* adam = [] {
    viv::TCreature* c = viv::CreateAdam(world);
    static_cast<viv::TEye*>(c->Parts.GetPart(1))->SetColors(0.5f, 1.25f, 3e30f);
    return c;
  }();
  const std::string formula(reinterpret_cast<const char*>(data), size);
  std::string plainError, compiledError;
  float plain = 0, compiled = 0;
  try {
    plain = viv::EvalFormulaText(formula, adam);
  } catch (const std::exception& e) {
    plainError = e.what();
  }
  try {
    compiled = viv::TCompiledFormula(formula).Eval(adam);
  } catch (const std::exception& e) {
    compiledError = e.what();
  }
  if (plainError != compiledError) std::abort();
  if (plainError.empty() && std::memcmp(&plain, &compiled, sizeof plain) != 0 && plain == plain) std::abort();
  return 0;
}
