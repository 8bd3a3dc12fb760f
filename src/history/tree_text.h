#pragma once
// The text forms that the species and taxon histories share: CSV fields, Newick labels and
// trees, and values as raw bytes for world files.
#include <cstdint>
#include <cstring>
#include <functional>
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

template <class T>
void PutBytes(std::string& out, T v) {
  char b[sizeof(T)];
  std::memcpy(b, &v, sizeof(T));
  out.append(b, sizeof(T));
}

}  // namespace viv
