#pragma once
// The text forms that the species and taxon histories share: CSV fields, Newick labels and
// trees, and the checks of what a history reads back from a world file.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace viv {

// A field of a CSV table, quoted when it holds a comma, a quote or a line end.
std::string CsvField(const std::string& text);
// A label of a Newick tree, quoted when it holds a character that the format reserves.
std::string NewickLabel(const std::string& text);

// A forest in Newick format: node k hangs under parent[k] (-1: a root), labelled label(k), with
// branch length length(k). Several roots are joined under a root labelled "founders". Written
// without recursion: a tree may be thousands of nodes deep.
std::string NewickText(const std::vector<int64_t>& parent, const std::function<std::string(size_t)>& label,
                       const std::function<int64_t(size_t)>& length);

// Checks of what a history reads back: counts that a world could have counted (at most 2^62,
// so that counting on never overflows), and a first and last step within the world's steps.
inline bool Countable(std::initializer_list<int64_t> counts) {
  for (int64_t n : counts)
    if (n < 0 || n > (INT64_C(1) << 62)) return false;
  return true;
}
template <class T>
bool StepsWithin(const T& line, int64_t worldStep) {
  return line.FirstStep >= 0 && line.FirstStep <= line.LastStep && line.LastStep <= worldStep;
}

}  // namespace viv
