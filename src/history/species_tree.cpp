#include "history/species_tree.h"

namespace viv {

std::vector<TTreeRow> SpeciesTreeRows(const TSpeciesHistory& history, int64_t minSteps, bool livingOnly) {
  const std::vector<TEmergence>& all = history.Emergences;
  const int32_t n = static_cast<int32_t>(all.size());
  // A parent always emerged before its children, so one pass from the newest up marks the
  // ancestors of every species that is shown.
  std::vector<char> shown(n, 0);
  for (int32_t i = n - 1; i >= 0; --i) {
    const TEmergence& e = all[i];
    if (e.Alive > 0 || (!livingOnly && e.LastStep - e.FirstStep >= minSteps)) shown[i] = 1;
    if (shown[i] && e.Parent >= 0) shown[e.Parent] = 1;
  }
  std::vector<std::vector<int32_t>> children(n);
  std::vector<int32_t> founders;
  for (int32_t i = 0; i < n; ++i) {
    if (!shown[i]) continue;
    if (all[i].Parent >= 0) children[all[i].Parent].push_back(i);
    else founders.push_back(i);
  }
  std::vector<TTreeRow> rows;
  // Depth first without recursion: trees of long runs are tens of thousands of levels deep.
  struct Open {
    int32_t emergence, parentRow;
  };
  std::vector<Open> stack;
  for (auto it = founders.rbegin(); it != founders.rend(); ++it) stack.push_back({*it, -1});
  while (!stack.empty()) {
    const Open o = stack.back();
    stack.pop_back();
    const int32_t row = static_cast<int32_t>(rows.size());
    rows.push_back({o.emergence, o.parentRow});
    const std::vector<int32_t>& c = children[o.emergence];
    for (auto it = c.rbegin(); it != c.rend(); ++it) stack.push_back({*it, row});
  }
  return rows;
}

}  // namespace viv
