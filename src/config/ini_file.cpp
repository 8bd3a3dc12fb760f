#include "config/ini_file.h"

#include <algorithm>

#include "config/duck.h"
#include "config/files.h"

namespace viv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// A ";" after a blank starts a comment; a value in matching quotes loses them.
std::string ValueOf(std::string value) {
  for (size_t i = 1; i < value.size(); ++i)
    if (value[i] == ';' && IsBlank(value[i - 1])) {
      value.erase(i);
      break;
    }
  value = Trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

TIniFile::TIniFile(const std::string& fileName, const std::string& what) {
  if (!FileExists(fileName)) return;
  constexpr uint64_t maxBytes = 16 << 20;  // settings and populations are a few hundred bytes
  Parse(ReadRegularFile(fileName, maxBytes, what));
  exists_ = true;
}

bool TIniFile::HasSection(const std::string& section) const {
  return std::find(sections_.begin(), sections_.end(), LowerAscii(section)) != sections_.end();
}

TIniFile TIniFile::FromText(const std::string& text) {
  TIniFile ini;
  ini.exists_ = true;
  ini.Parse(text);
  return ini;
}

void TIniFile::Parse(const std::string& text) {
  std::string section;
  size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      if (close != std::string::npos) section = LowerAscii(Trim(line.substr(1, close - 1)));
      if (close != std::string::npos) sections_.push_back(section);
      continue;
    }
    const size_t equals = line.find_first_of("=:");
    if (equals == std::string::npos) continue;
    const std::string spelt = Trim(line.substr(0, equals));
    const std::string key = LowerAscii(spelt);
    if (key.empty()) continue;
    if (values_.emplace(section + '\n' + key, ValueOf(line.substr(equals + 1))).second) keys_[section].push_back(spelt);
  }
}

std::vector<std::string> TIniFile::Keys(const std::string& section) const {
  auto it = keys_.find(LowerAscii(section));
  return it == keys_.end() ? std::vector<std::string>() : it->second;
}

std::optional<std::string> TIniFile::Get(const std::string& section, const std::string& key) const {
  auto it = values_.find(LowerAscii(section) + '\n' + LowerAscii(key));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

}  // namespace viv
