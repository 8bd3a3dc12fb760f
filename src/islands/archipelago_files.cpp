#include "islands/archipelago_files.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/errors.h"
#include "config/files.h"
#include "islands/island_options.h"

namespace viv {

namespace fs = std::filesystem;

namespace {

constexpr const char* ManifestFirstLine = "vivarion archipelago";

std::string FolderOf(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  return slash == std::string::npos ? "" : name.substr(0, slash + 1);
}

}  // namespace

std::string CheckpointIslandFile(const std::string& name, int32_t island, int64_t step) {
  return WithTag(IslandFile(name, island), ".step" + std::to_string(step));
}

void WriteManifest(const std::string& name, int64_t step, const std::vector<std::string>& files) {
  std::string text = std::string(ManifestFirstLine) + "\nislands=" + std::to_string(files.size()) +
                     "\nstep=" + std::to_string(step) + '\n';
  for (const std::string& f : files) text += fs::path(f).filename().string() + '\n';
  WriteFileAtomically(name, text, false);
}

std::string IslandWorldFile(const std::string& name, int32_t island, int32_t islands) {
  auto wrongCount = [&](int64_t saved) {
    throw EVivarion(name + ": the world files hold " + std::to_string(saved) + " islands, and this run has " +
                    std::to_string(islands));
  };
  // A pipe or a device would block or never end: only a regular file is read.
  if (FileExists(name) && !IsRegularFile(name))
    throw EVivarion(name + ": this is not a regular file, not a world file");
  std::ifstream in(name, std::ios::binary);
  std::string first;
  if (in && std::getline(in, first) && first == ManifestFirstLine) {
    std::string line;
    int64_t count = -1;
    std::vector<std::string> files;
    while (std::getline(in, line)) {
      if (line.rfind("islands=", 0) == 0) count = std::atoll(line.c_str() + 8);
      else if (line.rfind("step=", 0) != 0 && !line.empty()) files.push_back(line);
    }
    if (count < 1 || count != static_cast<int64_t>(files.size()))
      throw EVivarion(name + ": the archipelago's list of world files is damaged");
    if (count != islands) wrongCount(count);
    return FolderOf(name) + files[static_cast<size_t>(island)];
  }
  // Files of a save without a list: count them by name.
  if (island == 0 && FileExists(IslandFile(name, islands))) {
    int32_t saved = islands;
    while (FileExists(IslandFile(name, saved))) ++saved;
    wrongCount(saved);
  }
  return IslandFile(name, island);
}

void RemoveOtherCheckpoints(const std::string& name, int32_t island, const std::string& keep) {
  // The island's file names at any step share what comes before and after the step number.
  const std::string pattern = fs::path(CheckpointIslandFile(name, island, 0)).filename().string();
  const size_t at = pattern.find(".step0");
  const std::string before = pattern.substr(0, at + 5), after = pattern.substr(at + 6);
  const std::string folder = FolderOf(name);
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder, ec)) {
    const std::string file = entry.path().filename().string();
    if (file.size() <= before.size() + after.size() || file.compare(0, before.size(), before) != 0 ||
        file.compare(file.size() - after.size(), after.size(), after) != 0)
      continue;
    const std::string digits = file.substr(before.size(), file.size() - before.size() - after.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
    if (folder + file != keep) fs::remove(entry.path(), ec);
  }
}

}  // namespace viv
