#include "sim/study_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "config/duck.h"
#include "config/errors.h"
#include "config/files.h"
#include "config/number_text.h"
#include "creature/animal_edit.h"
#include "creature/creature.h"
#include "world/world.h"

namespace viv {

namespace fs = std::filesystem;

bool TStudy::Wants(const std::string& output) const {
  return std::find(Outputs.begin(), Outputs.end(), output) != Outputs.end();
}

namespace {

// The most runs a study may expand to: far more than any machine runs, few enough that a typo
// in a range does not fill a disk with folders.
constexpr size_t MaxRuns = 100000;
// Whole numbers up to this size are exact as doubles.
constexpr int64_t ExactWhole = INT64_C(1) << 53;
// A run's world may hold at most this many creatures (the programs' default limit): its
// population and the animals its events add together.
constexpr int64_t StudyCreatureLimit = 1'000'000;

class TStudyReader {
 public:
  TStudyReader(std::string name, std::string folder) : name_(std::move(name)), folder_(std::move(folder)) {}

  [[noreturn]] void Fault(const toml::node* node, const std::string& key, const std::string& what) const {
    std::string where = name_;
    if (node && node->source().begin.line > 0) where += ":" + std::to_string(node->source().begin.line);
    // Keys and values come from the file: what they hold is shown, never sent to the terminal.
    throw EVivarion(where + ": " + PrintableText(key) + ": " + PrintableText(what));
  }

  double Number(const toml::node& node, const std::string& key) const {
    if (!node.is_number()) Fault(&node, key, "must be a number");
    // A whole number that a double cannot hold exactly is refused rather than rounded.
    if (node.is_integer()) {
      const int64_t whole = *node.value<int64_t>();
      if (whole > ExactWhole || whole < -ExactWhole)
        Fault(&node, key, std::to_string(whole) + " is too large (at most 2^53 in size)");
      return static_cast<double>(whole);
    }
    const double v = *node.value<double>();
    if (!std::isfinite(v)) Fault(&node, key, "must be a finite number");
    return v;
  }
  int64_t Whole(const toml::node& node, const std::string& key, int64_t low, int64_t high) const {
    if (!node.is_integer()) Fault(&node, key, "must be a whole number");
    const int64_t v = *node.value<int64_t>();
    if (v < low || v > high)
      Fault(&node, key,
            "must be from " + std::to_string(low) + " to " + std::to_string(high) + ", not " + std::to_string(v));
    return v;
  }
  std::string Text(const toml::node& node, const std::string& key) const {
    if (!node.is_string()) Fault(&node, key, "must be a text in quotes");
    std::string text = *node.value<std::string>();
    // A NUL would cut a file name short where the system reads it.
    if (text.find('\0') != std::string::npos) Fault(&node, key, "holds a NUL character");
    return text;
  }
  const toml::table& Table(const toml::node& node, const std::string& key) const {
    if (!node.is_table()) Fault(&node, key, "must be a table");
    return *node.as_table();
  }
  const toml::array& Array(const toml::node& node, const std::string& key) const {
    if (!node.is_array()) Fault(&node, key, "must be a list in [ ]");
    return *node.as_array();
  }
  // A file named in the study: relative to the study's folder; it must exist.
  std::string InputFile(const toml::node& node, const std::string& key) const {
    const std::string given = Text(node, key);
    const fs::path path = fs::path(given).is_absolute() ? fs::path(given) : fs::path(folder_) / given;
    std::error_code error;
    if (!fs::is_regular_file(path, error)) Fault(&node, key, "no such file: " + path.string());
    return path.lexically_normal().string();
  }
  // An animal file's text, read once now and checked as a world would take the animal, so that
  // a bad file stops the study before it starts.
  std::string AnimalText(const toml::node& node, const std::string& key, const std::string& file) const {
    try {
      std::string text = ReadRegularFile(file, uint64_t{1} << 24, "an animal file");
      CheckAnimalText(text, file);
      return text;
    } catch (const std::exception& fault) {
      Fault(&node, key, fault.what());
    }
  }
  // Each key of the table must be one of these.
  void OnlyKeys(const toml::table& table, const std::string& where, const std::set<std::string>& known) const {
    for (auto&& [k, v] : table) {
      const std::string key(k.str());
      if (!known.count(key)) {
        std::string list;
        for (const std::string& name : known) list += (list.empty() ? "" : ", ") + name;
        const std::string table = where.empty() ? std::string("the study") : where.substr(0, where.size() - 1);
        Fault(&v, where + key, "unknown key (" + table + " takes " + list + ")");
      }
    }
  }
  // A settings key as the settings spell it, or a fault.
  std::string SettingsKey(const toml::node& node, const std::string& key) const {
    if (!IsSettingsKey(key)) Fault(&node, key, "is not a settings key");
    for (const std::string& name : SettingsKeys())
      if (LowerAscii(name) == LowerAscii(key)) return name;
    return key;
  }
  void SetKey(TSettings& settings, const toml::node& node, const std::string& key, double value) const {
    try {
      settings.Set(key, value);
    } catch (const std::exception& e) {
      // The settings name the key themselves: it is said once.
      std::string what = e.what();
      if (what.rfind(key + ": ", 0) == 0) what.erase(0, key.size() + 2);
      Fault(&node, key, what);
    }
  }

  TWorldEvent Event(const toml::table& table, const std::string& where, std::string& eventName) const;
  std::vector<double> SweepValues(const toml::node& node, const std::string& key) const;

  std::string name_, folder_;
};

TWorldEvent TStudyReader::Event(const toml::table& t, const std::string& where, std::string& eventName) const {
  TWorldEvent e;
  const toml::node* typeNode = t.get("type");
  if (!typeNode) Fault(&t, where + "type", "every event needs a type: set, ramp, cycle, cull or add");
  const std::string type = Text(*typeNode, where + "type");
  static const std::map<std::string, std::pair<TEventKind, std::set<std::string>>> kinds = {
      {"set", {TEventKind::Set, {"type", "name", "step", "key", "value"}}},
      {"ramp", {TEventKind::Ramp, {"type", "name", "step", "until", "key", "from", "to"}}},
      {"cycle", {TEventKind::Cycle, {"type", "name", "step", "until", "key", "low", "high", "period"}}},
      {"cull", {TEventKind::Cull, {"type", "name", "step", "fraction", "whom", "region"}}},
      {"add", {TEventKind::AddAnimals, {"type", "name", "step", "file", "count", "region"}}}};
  const auto kind = kinds.find(type);
  if (kind == kinds.end()) Fault(typeNode, where + "type", "'" + type + "' is not one of set, ramp, cycle, cull, add");
  e.Kind = kind->second.first;
  OnlyKeys(t, where, kind->second.second);
  auto need = [&](const char* key) -> const toml::node& {
    const toml::node* n = t.get(key);
    if (!n) Fault(&t, where + key, "a " + type + " event needs it");
    return *n;
  };
  auto whole = [&](const char* key, int64_t low) { return Whole(need(key), where + key, low, INT64_C(1) << 53); };
  if (const toml::node* n = t.get("name")) eventName = Text(*n, where + "name");
  e.Step = e.Kind == TEventKind::Cycle && !t.get("step") ? 0 : whole("step", 0);
  if (t.get("key")) e.Key = SettingsKey(need("key"), Text(need("key"), where + "key"));
  switch (e.Kind) {
    case TEventKind::Set:
      need("key");
      e.To = Number(need("value"), where + "value");
      break;
    case TEventKind::Ramp:
      need("key");
      e.Until = whole("until", 0);
      e.From = Number(need("from"), where + "from");
      e.To = Number(need("to"), where + "to");
      break;
    case TEventKind::Cycle:
      need("key");
      if (t.get("until")) e.Until = whole("until", 1);
      e.From = Number(need("low"), where + "low");
      e.To = Number(need("high"), where + "high");
      e.Period = whole("period", 2);
      break;
    case TEventKind::Cull: {
      e.Fraction = Number(need("fraction"), where + "fraction");
      const std::string whom = t.get("whom") ? Text(need("whom"), where + "whom") : "animals";
      if (whom != "animals" && whom != "plants" && whom != "all")
        Fault(t.get("whom"), where + "whom", "'" + whom + "' is not one of animals, plants, all");
      e.Animals = whom != "plants", e.Plants = whom != "animals";
      break;
    }
    case TEventKind::AddAnimals: {
      e.AnimalName = InputFile(need("file"), where + "file");
      e.AnimalText = AnimalText(need("file"), where + "file", e.AnimalName);
      e.Count = t.get("count") ? static_cast<int32_t>(Whole(need("count"), where + "count", 1, 100000)) : 1;
      break;
    }
  }
  if (const toml::node* n = t.get("region")) {
    const toml::array& a = Array(*n, where + "region");
    if (a.size() != 4) Fault(n, where + "region", "must be [x0, y0, x1, y1]");
    e.Everywhere = false;
    e.Region = {Number(*a.get(0), where + "region"), Number(*a.get(1), where + "region"),
                Number(*a.get(2), where + "region"), Number(*a.get(3), where + "region")};
  }
  try {
    CheckEvent(e);
  } catch (const EVivarion& fault) {
    Fault(&t, where.substr(0, where.size() - 1), fault.what());
  }
  return e;
}

std::vector<double> TStudyReader::SweepValues(const toml::node& node, const std::string& key) const {
  std::vector<double> values;
  if (node.is_array()) {
    for (const toml::node& v : *node.as_array()) values.push_back(Number(v, key));
  } else if (node.is_table()) {
    const toml::table& range = *node.as_table();
    OnlyKeys(range, key + ".", {"from", "to", "by"});
    for (const char* part : {"from", "to", "by"})
      if (!range.get(part)) Fault(&node, key, "a range needs from, to and by");
    const double from = Number(*range.get("from"), key + ".from"), to = Number(*range.get("to"), key + ".to");
    const double by = Number(*range.get("by"), key + ".by");
    if (!(by > 0) || to < from) Fault(&node, key, "a range goes from its from up to its to in steps of by > 0");
    const double count = std::floor((to - from) / by + 1e-9) + 1;
    if (count > static_cast<double>(MaxRuns)) Fault(&node, key, "a range of more than 100000 values");
    for (int64_t k = 0; k < static_cast<int64_t>(count); ++k) values.push_back(from + by * static_cast<double>(k));
  } else {
    Fault(&node, key, "a sweep is a list of values or a range {from, to, by}");
  }
  if (values.empty()) Fault(&node, key, "a sweep needs at least one value");
  return values;
}

// The event field a sweep name "EVENT.FIELD" changes.
double* EventField(TWorldEvent& e, const std::string& field) {
  static const std::map<std::string, double TWorldEvent::*> reals = {
      {"value", &TWorldEvent::To}, {"from", &TWorldEvent::From}, {"to", &TWorldEvent::To},
      {"low", &TWorldEvent::From}, {"high", &TWorldEvent::To},   {"fraction", &TWorldEvent::Fraction}};
  const auto it = reals.find(field);
  return it == reals.end() ? nullptr : &(e.*it->second);
}
bool EventWholeField(const std::string& field) {
  return field == "step" || field == "until" || field == "period" || field == "count";
}
void SetEventField(TWorldEvent& e, const std::string& field, double v) {
  if (double* real = EventField(e, field)) {
    *real = v;
    return;
  }
  // Whole fields are checked before they are converted: a value beyond them has no conversion.
  const bool count = field == "count";
  const double low = count ? 1 : 0, high = count ? 100000 : static_cast<double>(ExactWhole);
  if (!(v >= low && v <= high))
    throw EVivarion(field + " must be from " + std::to_string(static_cast<int64_t>(low)) + " to " +
                    std::to_string(static_cast<int64_t>(high)));
  if (field == "step") e.Step = static_cast<int64_t>(v);
  else if (field == "until") e.Until = static_cast<int64_t>(v);
  else if (field == "period") e.Period = static_cast<int64_t>(v);
  else if (field == "count") e.Count = static_cast<int32_t>(v);
}

// What a study asks of an event besides what any world asks: it acts within the study's steps,
// and a cull or an addition at step 1 or later.
void CheckStudyEvent(const TWorldEvent& e, int64_t steps) {
  CheckEvent(e);
  const int64_t last = e.Kind == TEventKind::Ramp || (e.Kind == TEventKind::Cycle && e.Until) ? e.Until : e.Step;
  if (e.Step > steps || last > steps)
    throw EVivarion("acts at step " + std::to_string(std::max(e.Step, last)) + ", after the study's last step (" +
                    std::to_string(steps) + ")");
  if ((e.Kind == TEventKind::Cull || e.Kind == TEventKind::AddAnimals) && e.Step == 0)
    throw EVivarion("a cull or an addition acts at step 1 or later");
}

}  // namespace

TStudy ReadStudyText(const std::string& text, const std::string& name, const std::string& folder,
                     const TStudyDefaults& defaults) {
  TStudyReader r(name, folder);
  toml::table doc;
  try {
    doc = toml::parse(text, name);
  } catch (const toml::parse_error& e) {
    throw EVivarion(name + ":" + std::to_string(e.source().begin.line) + ": " + std::string(e.description()));
  }
  r.OnlyKeys(doc, "",
             {"name", "settings", "results", "steps", "report", "checkpoint", "persistence", "width", "height", "seeds",
              "replicates", "first_seed", "outputs", "population", "set", "sweep", "sweep_mode", "event"});
  TStudy s;
  s.File = name;
  s.Name = doc.get("name") ? r.Text(*doc.get("name"), "name") : fs::path(name).stem().string();
  const fs::path results = doc.get("results") ? fs::path(r.Text(*doc.get("results"), "results"))
                                              : fs::path(fs::path(name).stem().string() + "-results");
  s.Folder = (results.is_absolute() ? results : fs::path(folder) / results).lexically_normal().string();
  {
    // The results go into a folder of their own: the study's folder, or one above it, holds the
    // user's files, which the tables would overwrite.
    std::error_code error;
    const fs::path mine = fs::weakly_canonical(fs::absolute(s.Folder), error);
    const fs::path home = fs::weakly_canonical(fs::absolute(folder), error);
    const auto [m, h] = std::mismatch(mine.begin(), mine.end(), home.begin(), home.end());
    if (!error && m == mine.end())
      r.Fault(
          doc.get("results"), "results",
          "'" + results.string() + "' is the study's folder or one above it; " + "name a folder of the results' own");
  }

  const std::string settingsFile =
      doc.get("settings") ? r.InputFile(*doc.get("settings"), "settings") : defaults.SettingsFile;
  try {
    s.Settings.Open(settingsFile);
  } catch (const std::exception& e) {
    r.Fault(doc.get("settings"), "settings", e.what());
  }
  if (const toml::node* set = doc.get("set"))
    for (auto&& [k, v] : r.Table(*set, "set")) {
      const std::string key = r.SettingsKey(v, std::string(k.str()));
      r.SetKey(s.Settings, v, key, r.Number(v, "set." + key));
    }

  if (!doc.get("steps")) r.Fault(&doc, "steps", "a study needs its number of steps");
  s.Steps = r.Whole(*doc.get("steps"), "steps", 1, INT64_C(1) << 40);
  if (const toml::node* n = doc.get("report")) s.Report = r.Whole(*n, "report", 1, s.Steps);
  else s.Report = std::max<int64_t>(1, s.Steps / 100);
  if (const toml::node* n = doc.get("checkpoint")) s.Checkpoint = r.Whole(*n, "checkpoint", 1, INT64_C(1) << 40);
  else s.Checkpoint = std::max(s.Report, s.Steps / 20 / s.Report * s.Report);
  if (const toml::node* n = doc.get("persistence")) s.Persistence = r.Whole(*n, "persistence", 1, INT64_C(1) << 40);
  if (const toml::node* n = doc.get("width")) s.Width = static_cast<int32_t>(r.Whole(*n, "width", 10, 100000));
  if (const toml::node* n = doc.get("height")) s.Height = static_cast<int32_t>(r.Whole(*n, "height", 10, 100000));

  const toml::node* seeds = doc.get("seeds");
  const toml::node* replicates = doc.get("replicates");
  if (seeds && replicates) r.Fault(replicates, "replicates", "give seeds or replicates, not both");
  if (seeds) {
    for (const toml::node& v : r.Array(*seeds, "seeds"))
      s.Seeds.push_back(static_cast<uint64_t>(r.Whole(v, "seeds", 0, INT64_MAX)));
    if (s.Seeds.empty()) r.Fault(seeds, "seeds", "needs at least one seed");
    std::set<uint64_t> distinct(s.Seeds.begin(), s.Seeds.end());
    if (distinct.size() != s.Seeds.size()) r.Fault(seeds, "seeds", "a seed is given twice");
  } else {
    const int64_t n = replicates ? r.Whole(*replicates, "replicates", 1, 10000) : 1;
    const int64_t first = doc.get("first_seed") ? r.Whole(*doc.get("first_seed"), "first_seed", 0, INT64_MAX - n) : 1;
    for (int64_t k = 0; k < n; ++k) s.Seeds.push_back(static_cast<uint64_t>(first + k));
  }
  if (seeds && doc.get("first_seed")) r.Fault(doc.get("first_seed"), "first_seed", "goes with replicates, not seeds");

  if (const toml::node* n = doc.get("outputs"))
    for (const toml::node& v : r.Array(*n, "outputs")) {
      const std::string output = r.Text(v, "outputs");
      if (output != "taxa" && output != "species" && output != "animals" && output != "world" && output != "origins")
        r.Fault(&v, "outputs", "'" + output + "' is not one of taxa, species, animals, world, origins");
      s.Outputs.push_back(output);
    }

  s.Population = defaults.Population;
  if (const toml::node* n = doc.get("population")) {
    const toml::table& p = r.Table(*n, "population");
    r.OnlyKeys(p, "population.", {"animals", "plants", "files"});
    if (const toml::node* a = p.get("animals"))
      s.Population.NumCreatures = static_cast<int32_t>(r.Whole(*a, "population.animals", 0, 1000000));
    if (const toml::node* a = p.get("plants"))
      s.Population.NumFood = static_cast<int32_t>(r.Whole(*a, "population.plants", 0, 1000000));
    if (const toml::node* a = p.get("files"))
      for (const toml::node& f : r.Array(*a, "population.files"))
        s.AnimalFiles.push_back(r.InputFile(f, "population.files")),
            r.AnimalText(f, "population.files", s.AnimalFiles.back());
  }

  if (const toml::node* n = doc.get("event")) {
    const toml::array& events = r.Array(*n, "event");
    for (size_t k = 0; k < events.size(); ++k) {
      const std::string where = "event[" + std::to_string(k + 1) + "].";
      std::string eventName;
      s.Events.push_back(r.Event(r.Table(*events.get(k), where), where, eventName));
      const TWorldEvent& e = s.Events.back();
      const int64_t last = e.Kind == TEventKind::Ramp || (e.Kind == TEventKind::Cycle && e.Until) ? e.Until : e.Step;
      if (e.Step > s.Steps || last > s.Steps)
        r.Fault(events.get(k), where.substr(0, where.size() - 1),
                "acts at step " + std::to_string(std::max(e.Step, last)) + ", after the study's last step (" +
                    std::to_string(s.Steps) + ")");
      if ((e.Kind == TEventKind::Cull || e.Kind == TEventKind::AddAnimals) && e.Step == 0)
        r.Fault(events.get(k), where + "step", "a cull or an addition acts at step 1 or later");
      if (!eventName.empty() && std::count(s.EventNames.begin(), s.EventNames.end(), eventName))
        r.Fault(events.get(k), where + "name", "two events are named '" + eventName + "'");
      s.EventNames.push_back(eventName);
    }
  }

  if (const toml::node* n = doc.get("sweep_mode")) {
    const std::string mode = r.Text(*n, "sweep_mode");
    if (mode != "cross" && mode != "zip") r.Fault(n, "sweep_mode", "'" + mode + "' is not cross or zip");
    s.Zip = mode == "zip";
  }
  if (const toml::node* n = doc.get("sweep")) {
    // "season.period = [...]" reads in TOML as a table "season" holding "period": an event's
    // fields come as a table named after the event, or as one quoted key.
    std::vector<std::pair<std::string, const toml::node*>> swept;
    for (auto&& [k, v] : r.Table(*n, "sweep")) {
      const std::string key(k.str());
      const bool event = std::count(s.EventNames.begin(), s.EventNames.end(), key) > 0;
      if (event && v.is_table()) {
        for (auto&& [field, value] : *v.as_table()) swept.emplace_back(key + "." + std::string(field.str()), &value);
      } else {
        swept.emplace_back(key, &v);
      }
    }
    for (auto [key, v] : swept) {
      const size_t dot = key.find('.');
      if (dot == std::string::npos) {
        key = r.SettingsKey(*v, key);
      } else {
        const std::string event = key.substr(0, dot), field = key.substr(dot + 1);
        const auto it = std::find(s.EventNames.begin(), s.EventNames.end(), event);
        if (event.empty() || it == s.EventNames.end()) r.Fault(v, "sweep." + key, "no event is named '" + event + "'");
        TWorldEvent probe = s.Events[static_cast<size_t>(it - s.EventNames.begin())];
        if (!EventField(probe, field) && !EventWholeField(field))
          r.Fault(v, "sweep." + key, "'" + field + "' is not a field of an event that a sweep can change");
      }
      TSweep sweep{key, r.SweepValues(*v, "sweep." + key)};
      const bool whole = dot == std::string::npos ? IsWholeSettingsKey(key) : EventWholeField(key.substr(dot + 1));
      for (double value : sweep.Values)
        if (whole && value != std::nearbyint(value)) r.Fault(v, "sweep." + key, "takes whole numbers only");
      if (dot != std::string::npos) {
        const auto it = std::find(s.EventNames.begin(), s.EventNames.end(), key.substr(0, dot));
        for (double value : sweep.Values) {
          TWorldEvent probe = s.Events[static_cast<size_t>(it - s.EventNames.begin())];
          try {
            SetEventField(probe, key.substr(dot + 1), value);
            CheckStudyEvent(probe, s.Steps);
          } catch (const std::exception& e) {
            r.Fault(v, "sweep." + key, FloatToText(value) + ": " + e.what());
          }
        }
      }
      if (s.Zip && !s.Sweeps.empty() && s.Sweeps.front().Values.size() != sweep.Values.size())
        r.Fault(v, "sweep." + key, "zipped sweeps must have the same number of values");
      s.Sweeps.push_back(std::move(sweep));
    }
  }
  // Every run checked now, so that a fault in the tenth point stops the study before the first.
  try {
    StudyRuns(s);
  } catch (const EVivarion& e) {
    throw EVivarion(name + ": " + e.what());
  }
  return s;
}

TStudy ReadStudyFile(const std::string& file, const TStudyDefaults& defaults) {
  const std::string text = ReadRegularFile(file, uint64_t{1} << 24, "a study file");
  const std::string folder = fs::path(file).parent_path().string();
  return ReadStudyText(text, file, folder.empty() ? "." : folder, defaults);
}

std::vector<TStudyRun> StudyRuns(const TStudy& s) {
  // The points: crossed, the last sweep changing fastest, or zipped.
  std::vector<std::vector<double>> points(1);
  if (s.Zip && !s.Sweeps.empty()) {
    points.assign(s.Sweeps.front().Values.size(), {});
    for (size_t p = 0; p < points.size(); ++p)
      for (const TSweep& sweep : s.Sweeps) points[p].push_back(sweep.Values[p]);
  } else {
    for (const TSweep& sweep : s.Sweeps) {
      if (points.size() * sweep.Values.size() > MaxRuns) throw EVivarion("the sweeps make more than 100000 points");
      std::vector<std::vector<double>> crossed;
      for (const std::vector<double>& point : points)
        for (double v : sweep.Values) {
          crossed.push_back(point);
          crossed.back().push_back(v);
        }
      points = std::move(crossed);
    }
  }
  if (points.size() * s.Seeds.size() > MaxRuns) throw EVivarion("the study makes more than 100000 runs");
  std::vector<TStudyRun> runs;
  for (size_t p = 0; p < points.size(); ++p) {
    TStudyRun point;
    point.Point = static_cast<int32_t>(p);
    point.Values = points[p];
    point.Settings = s.Settings;
    point.Events = s.Events;
    for (size_t k = 0; k < s.Sweeps.size(); ++k) {
      const std::string& name = s.Sweeps[k].Name;
      const double v = points[p][k];
      const size_t dot = name.find('.');
      std::string fault;
      try {
        if (dot == std::string::npos) {
          point.Settings.Set(name, v);
        } else {
          const auto it = std::find(s.EventNames.begin(), s.EventNames.end(), name.substr(0, dot));
          TWorldEvent& e = point.Events[static_cast<size_t>(it - s.EventNames.begin())];
          SetEventField(e, name.substr(dot + 1), v);
          CheckStudyEvent(e, s.Steps);
        }
      } catch (const std::exception& e) {
        throw EVivarion("sweep." + name + " = " + FloatToText(v) + ": " + e.what());
      }
    }
    const int64_t seeded = static_cast<int64_t>(s.Population.NumCreatures) + s.Population.NumFood;
    int64_t added = 0;
    for (const TWorldEvent& e : point.Events)
      if (e.Kind == TEventKind::AddAnimals) added += e.Count;
    if (seeded + added > StudyCreatureLimit)
      throw EVivarion("the population's " + std::to_string(seeded) + " creatures and the " + std::to_string(added) +
                      " animals the events add make " + std::to_string(seeded + added) + ", more than the limit of " +
                      std::to_string(StudyCreatureLimit) + " creatures");
    for (size_t r = 0; r < s.Seeds.size(); ++r) {
      TStudyRun run = point;
      run.Index = static_cast<int32_t>(runs.size());
      run.Replicate = static_cast<int32_t>(r);
      run.Seed = s.Seeds[r];
      char folder[32];
      std::snprintf(folder, sizeof folder, "runs/%04d", run.Index + 1);
      run.Folder = folder;
      runs.push_back(std::move(run));
    }
  }
  return runs;
}

}  // namespace viv
