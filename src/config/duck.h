#pragma once
// Small text, file, range and list routines shared by the whole program.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "config/random.h"

namespace viv {

// Cuts the text before the first Delimiter into Head and keeps what follows it in Text.
// Without the delimiter (or with an empty one) Head takes the whole text.
void SplitOff(std::string& text, const std::string& delimiter, std::string& head);

// A random non-zero whole number from -(n-1) to n-1; 0 (and no draw) when n <= 1.
int32_t RandomOffset(TRandom& random, int32_t n);

// Attribute bits of the mask given to ListFiles.
constexpr uint32_t faReadOnly = 1, faHidden = 2, faSysFile = 4, faVolumeId = 8, faDirectory = 16, faArchive = 32;

// Appends the bare names of the entries matching Pattern ("folder/*.viv"; "\" is
// accepted as a separator too) whose kind the mask admits, sorted by name.
void ListFiles(const std::string& pattern, uint32_t attributes, std::vector<std::string>& names);

// The text with ASCII letters in lower case (names of keys, sections, encodings).
std::string LowerAscii(std::string text);

// The text with its control characters (ESC, line ends, NUL, DEL) written as "\xNN": a name
// read from a file, printed in a message, can then neither move the cursor nor forge a line.
std::string PrintableText(const std::string& text);

// Whether a "*"/"?" wildcard matches the whole name; ASCII letters match without case.
bool WildcardMatch(const std::string& pattern, const std::string& name);

// True when Value lies strictly between A and B, in either order.
bool StrictlyBetween(int32_t value, int32_t a, int32_t b);

// Frees every object of the list once, even if it is listed several times, and empties it.
// In list order; a long list is checked through a set, so that a body of many organs (a
// hostile file's) costs linear time.
template <class T>
void FreeDistinct(std::vector<T*>& list) {
  constexpr size_t SmallList = 32;
  if (list.size() <= SmallList) {
    for (size_t i = 0; i < list.size(); ++i)
      if (std::find(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(i), list[i]) ==
          list.begin() + static_cast<std::ptrdiff_t>(i))
        delete list[i];
  } else {
    std::unordered_set<T*> freed;
    for (T* item : list)
      if (freed.insert(item).second) delete item;
  }
  list.clear();
}

}  // namespace viv
