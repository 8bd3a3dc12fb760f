#include <sstream>

#include "config/data_files.h"
#include "config/errors.h"
#include "config/files.h"
#include "config/settings.h"
#include "history/report_rows.h"
#include "mcp/served_world.h"
#include "mcp/toolbox.h"

namespace viv {

namespace {

// A CSV header and row as an object, numbers as numbers.
void AddColumns(TJson& into, const std::string& header, const std::string& row) {
  std::istringstream names(header), values(row);
  std::string name, value;
  while (std::getline(names, name, ',') && std::getline(values, value, ',')) {
    if (!name.empty() && name.back() == '\n') name.pop_back();
    char* end = nullptr;
    const long long whole = std::strtoll(value.c_str(), &end, 10);
    if (!value.empty() && *end == '\0') {
      into[name] = whole;
      continue;
    }
    const double real = std::strtod(value.c_str(), &end);
    if (!value.empty() && *end == '\0') into[name] = real;
    else into[name] = value;
  }
}

}  // namespace

TSettings RulesFrom(const TJson& arguments, const TCall& call, const TSettings* base) {
  TSettings rules;
  if (arguments.contains("settings")) {
    const std::string file = arguments["settings"];
    CheckInputFile(file, "a settings file");
    CheckSettingsFile(file);
    rules.Open(file);
  } else if (base) {
    rules = *base;
  } else {
    rules.Open(call.DefaultSettingsFile);
  }
  if (!arguments.contains("keys")) return rules;
  const TJson& keys = arguments["keys"];
  for (const auto& [key, value] : keys.items()) {
    if (!IsSettingsKey(key))
      throw ETool("keys: no settings key is called '" + Shown(key) + "' (the resource vivarion://settings lists them)");
    if (!value.is_number()) throw ETool("keys: " + key + " needs a number, not " + value.dump());
    try {
      rules.Set(key, value.get<double>());
    } catch (const std::exception& e) {
      throw ETool(std::string("keys: ") + e.what());
    }
  }
  return rules;
}

TJson FiguresOf(const TServedWorld& world) {
  const TWorldFigures f = world.Sim().Figures();
  return {{"step", world.Sim().StepCount()},
          {"creatures", f.Animals},
          {"food", f.Plants},
          {"biomass", f.Biomass},
          {"species", f.Species},
          {"hash", HashText(world.Sim().Hash())}};
}

TJson ReportOf(const TRunReport& report) {
  TJson row = TJson::object();
  AddColumns(row, StatsHeader, report.StatsRow());
  AddColumns(row, EvolutionHeader, report.EvolutionRow());
  return row;
}

void CheckInputFile(const std::string& path, const std::string& what) {
  if (path.empty()) throw ETool("an empty file name, where " + what + " was wanted");
  if (!FileExists(path)) throw ETool(path + ": no such file (" + what + " was wanted)");
  if (!IsRegularFile(path)) throw ETool(path + ": this is not a regular file, not " + what);
}

void CheckOutputFile(const std::string& path, bool overwrite) {
  if (path.empty()) throw ETool("an empty file name, where a file to write was wanted");
  if (FileExists(path)) {
    if (!IsRegularFile(path)) throw ETool(path + ": this is not a regular file; the server writes only regular files");
    if (!overwrite) throw ETool(path + ": the file exists; give overwrite: true to replace it");
  }
  CheckWritable(path);
}

std::string Shown(const std::string& text) {
  std::string shown = text.substr(0, 200);
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 32) c = '?';
  return shown;
}

}  // namespace viv
