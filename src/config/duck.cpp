#include "config/duck.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "config/random.h"

namespace viv {

void SplitOff(std::string& text, const std::string& delimiter, std::string& head) {
  size_t pos = delimiter.empty() ? std::string::npos : text.find(delimiter);
  if (pos == std::string::npos) {
    head = text;
    text.clear();
    return;
  }
  head = text.substr(0, pos);
  text.erase(0, pos + delimiter.size());
}

int32_t RandomOffset(TRandom& random, int32_t n) {
  if (n <= 1) return 0;
  int32_t magnitude = n == 2 ? 1 : 1 + random.Int(n - 1);
  return random.Int(2) == 1 ? magnitude : -magnitude;
}

namespace {

char LowerLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Letters compare without case, as file names did on the platform the design comes from.
bool SameLetter(char a, char b) { return LowerLetter(a) == LowerLetter(b); }

}  // namespace

std::string LowerAscii(std::string text) {
  for (char& c : text) c = LowerLetter(c);
  return text;
}

std::string PrintableText(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7f) {
      shown += c;
      continue;
    }
    static const char digits[] = "0123456789abcdef";
    shown += "\\x";
    shown += digits[u >> 4];
    shown += digits[u & 15];
  }
  return shown;
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  size_t p = 0, n = 0, star = std::string::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || SameLetter(pattern[p], name[n]))) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

void ListFiles(const std::string& pattern, uint32_t attributes, std::vector<std::string>& names) {
  namespace fs = std::filesystem;
  std::string folder, mask = pattern;
  size_t cut = pattern.find_last_of("/\\");
  if (cut != std::string::npos) {
    folder = pattern.substr(0, cut);
    mask = pattern.substr(cut + 1);
  }
  if (cut == 0) folder.assign(1, '/');  // (assigning "/" trips a false -Wrestrict of GCC 12)
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
  if (ec) return;
  std::vector<std::string> found;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::string name = it->path().filename().string();
    if (!WildcardMatch(mask, name)) continue;
    bool isDirectory = it->is_directory(ec);
    bool hidden = !name.empty() && name[0] == '.';
    if (isDirectory && !(attributes & faDirectory)) continue;
    if (hidden && !(attributes & faHidden)) continue;
    found.push_back(name);
  }
  std::sort(found.begin(), found.end());
  names.insert(names.end(), found.begin(), found.end());
}

bool StrictlyBetween(int32_t value, int32_t a, int32_t b) {
  return (a < value && value < b) || (b < value && value < a);
}

}  // namespace viv
