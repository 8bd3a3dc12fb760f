#include "parts/organ_kinds.h"

#include "parts/brain.h"
#include "parts/engine.h"
#include "parts/eye.h"
#include "parts/mouth.h"

namespace viv {

const std::vector<TOrganKind>& OrganKinds() {
  static const std::vector<TOrganKind> kinds{EyeKind(), MouthKind(), EngineKind(), BrainKind()};
  return kinds;
}

const TOrganKind& OrganKindOf(TPartKind kind) { return OrganKinds()[static_cast<size_t>(kind)]; }

const TOrganKind* OrganKindNamed(const std::string& name) {
  for (const TOrganKind& kind : OrganKinds())
    if (name == kind.Name) return &kind;
  return nullptr;
}

const TOrganKind* OrganKindCoded(uint8_t code) {
  for (const TOrganKind& kind : OrganKinds())
    if (code == kind.FileCode) return &kind;
  return nullptr;
}

}  // namespace viv
