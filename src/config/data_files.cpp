#include "config/data_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

std::string FindSettingsFile() {
  const std::string beside = SettingsFileName();
  if (FileExists(beside)) return beside;
  const std::string user = UserSettingsFile();
  if (!user.empty() && FileExists(user)) return user;
  const std::string installed = InstalledDataFolder() + "VIVARION.ini";
  if (!FileExists(installed)) return beside;
  if (user.empty()) return installed;
  try {
    std::error_code ec;
    fs::create_directories(fs::path(user).parent_path(), ec);
    std::ifstream in(installed, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) return installed;
    WriteFileAtomically(user, text.str(), true);
    return user;
  } catch (const std::exception&) {
    return installed;  // a read-only home: the installed default serves
  }
}

}  // namespace viv
