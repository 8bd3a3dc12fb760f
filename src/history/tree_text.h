#pragma once
// The text forms that the species and taxon histories share: CSV fields, Newick labels and
// trees, and values as raw bytes for world files and back.
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "config/errors.h"

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

// Reads back what PutBytes wrote. Reading past the end throws EVivarion with cutShort; Damaged
// throws it with damaged (both after prefix).
class TByteReader {
 public:
  TByteReader(std::string_view bytes, const char* cutShort, const char* damaged,
              const char* prefix = "the world file is damaged: ")
      : bytes_(bytes), cutShort_(cutShort), damaged_(damaged), prefix_(prefix) {}
  template <class T>
  void Get(T& v) {
    if (bytes_.size() - pos_ < sizeof(v)) throw EVivarion(prefix_ + cutShort_);
    std::memcpy(&v, bytes_.data() + pos_, sizeof(v));
    pos_ += sizeof(v);
  }
  [[noreturn]] void Damaged() const { throw EVivarion(prefix_ + damaged_); }
  // A count of things that take at least least bytes each: more than the bytes left is damage.
  uint64_t Count(size_t least) {
    uint64_t n = 0;
    Get(n);
    if (n > (bytes_.size() - pos_) / least) Damaged();
    return n;
  }
  // A text after its length of type Length.
  template <class Length>
  std::string Text() {
    Length n = 0;
    Get(n);
    if (bytes_.size() - pos_ < n) Damaged();
    std::string s(bytes_.substr(pos_, n));
    pos_ += n;
    return s;
  }
  bool AtEnd() const { return pos_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
  const char *cutShort_, *damaged_;
  std::string prefix_;
};

}  // namespace viv
