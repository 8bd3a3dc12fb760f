#pragma once
// INI files as the settings and the population are written: "[Section]" lines, "key=value"
// lines, ";" and "#" comment lines. Read whole lines of any length; blanks around a key,
// a value and a section name are ignored; section and key names compare without case; the
// first of two equal keys in a section wins; a value in matching single or double quotes
// loses them; " ;" starts a comment after a value. Lines that are none of these are skipped.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace viv {

class TIniFile {
 public:
  // Reads the file; Exists() tells whether there is one. A name that is not a regular file
  // (a folder, a pipe, a device) or a file far larger than any INI file is refused with
  // EVivarion naming it; what names the kind of file in that message.
  explicit TIniFile(const std::string& fileName, const std::string& what = "a settings file");
  // From text already in memory.
  static TIniFile FromText(const std::string& text);

  bool Exists() const { return exists_; }
  // The value of key in section, or nothing when the key is absent.
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;
  // Whether the file has a line "[section]".
  bool HasSection(const std::string& section) const;
  // The keys of section as the file spells them, in file order, each once.
  std::vector<std::string> Keys(const std::string& section) const;

 private:
  TIniFile() = default;
  void Parse(const std::string& text);
  bool exists_ = false;
  std::map<std::string, std::string> values_;             // "section\nkey" in lower case -> value
  std::map<std::string, std::vector<std::string>> keys_;  // section in lower case -> keys
  std::vector<std::string> sections_;                     // in lower case
};

}  // namespace viv
