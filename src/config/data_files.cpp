#include "config/data_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/errors.h"
#include "config/files.h"
#include "config/settings.h"

namespace viv {

namespace fs = std::filesystem;

std::string InstalledDataFolder() { return ExecutableFolder() + "../share/vivarion/"; }

std::string UserSettingsFile() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  std::string folder;
  if (config && *config) folder = config;
  else if (home && *home) folder = std::string(home) + "/.config";
  else return {};
  return folder + "/vivarion/VIVARION.ini";
}

TSettingsSearch SearchSettingsFile() { return SearchSettingsFile(ExecutableFolder(), InstalledDataFolder()); }

TSettingsSearch SearchSettingsFile(const std::string& programFolder, const std::string& installedFolder) {
  TSettingsSearch search;
  const std::string beside = programFolder + "VIVARION.ini";
  const std::string user = UserSettingsFile();
  const std::string installed = installedFolder + "VIVARION.ini";
  search.Places = {beside};
  if (!user.empty()) search.Places.push_back(user);
  search.Places.push_back(installed);
  search.File = beside;
  search.Found = true;
  if (IsRegularFile(beside)) return search;
  if (!user.empty() && IsRegularFile(user)) {
    search.File = user;
    return search;
  }
  if (!IsRegularFile(installed)) {
    search.Found = false;
    return search;
  }
  search.File = installed;
  if (user.empty()) return search;
  try {
    std::error_code ec;
    fs::create_directories(fs::path(user).parent_path(), ec);
    std::ifstream in(installed, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) return search;
    WriteFileAtomically(user, text.str(), true);
    search.File = user;
  } catch (const std::exception&) {
    // a read-only home: the installed default serves
  }
  return search;
}

void CheckSettingsFile(const std::string& file) {
  std::error_code ec;
  if (fs::is_directory(file, ec)) throw EVivarion(file + ": this is a folder, not a settings file");
  if (!IsRegularFile(file)) throw EVivarion(file + ": cannot open the settings file");
}

std::string FindSettingsFile() { return SearchSettingsFile().File; }

std::string SettingsNotFoundNote(const TSettingsSearch& search) {
  std::string places;
  for (size_t k = 0; k < search.Places.size(); ++k) {
    if (k > 0) places += k + 1 == search.Places.size() ? " and " : ", ";
    places += fs::path(search.Places[k]).lexically_normal().string();
  }
  return "no settings file found (looked for " + places + "); using the built-in values";
}

}  // namespace viv
