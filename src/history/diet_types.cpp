#include "history/diet_types.h"

#include <map>
#include <numeric>
#include <vector>

#include "rules/diet.h"

namespace viv {

namespace {

// Colours within this sum of red and blue differences belong to one cluster.
constexpr int ClusterLink = 51;

// Single-linkage clusters of the colours, as a cluster number per colour.
std::vector<size_t> Clusters(const std::vector<uint32_t>& colors) {
  std::vector<size_t> root(colors.size());
  std::iota(root.begin(), root.end(), size_t{0});
  auto find = [&](size_t k) {
    while (root[k] != k) k = root[k] = root[root[k]];
    return k;
  };
  for (size_t i = 0; i < colors.size(); ++i)
    for (size_t j = i + 1; j < colors.size(); ++j)
      if (RedBlueDistance(colors[i], colors[j]) <= ClusterLink) root[find(i)] = find(j);
  for (size_t k = 0; k < colors.size(); ++k) root[k] = find(k);
  return root;
}

}  // namespace

int32_t CommonDietTypes(const TCreatureList& world, double share) {
  std::vector<uint32_t> colors;
  for (const TCreature* c : world.List)
    if (!c->Vegetable) colors.push_back(c->Color);
  if (colors.empty()) return 0;
  const int32_t kinds = world.Context.Rules.PlantColors;
  std::map<size_t, size_t> members;
  if (kinds >= 2) {
    for (uint32_t c : colors) ++members[static_cast<size_t>(NearestPlantKind(c, kinds))];
  } else {
    for (size_t k : Clusters(colors)) ++members[k];
  }
  int32_t common = 0;
  for (const auto& [type, n] : members) common += static_cast<double>(n) >= share * static_cast<double>(colors.size());
  return common;
}

}  // namespace viv
