// The Python module: worlds to step, save and read from Python, their creatures as numpy
// arrays, their rules as Settings. A thin layer over TSimulation; the world's own errors come
// out as vivarion.Error with the program's messages.
#include <dlfcn.h>
#include <pybind11/eval.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "config/data_files.h"
#include "config/duck.h"
#include "config/errors.h"
#include "config/files.h"
#include "config/settings.h"
#include "history/report_rows.h"
#include "parts/part.h"
#include "sim/run_driver.h"
#include "sim/simulation.h"
#include "sim/study_file.h"
#include "sim/study_run.h"
#include "sim/timeline.h"
#include "sim/timeline_file.h"
#include "world/population_file.h"

namespace py = pybind11;

namespace viv {
namespace {

// One row of World.creatures(), laid out as the numpy dtype below.
struct TCreatureRow {
  uint64_t Serial, Parent;
  float X, Y, VX, VY, Heading, Radius, Energy, MaxEnergy;
  bool Plant;
  uint64_t Taxon;
  int32_t Organs;
  char Name[32];
};

// The folder of this module's file, with a trailing "/": the programs' search for their
// settings starts beside the program, and for the module beside the module.
std::string ModuleFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) == 0 || info.dli_fname == nullptr) return "./";
  std::string folder = info.dli_fname;
  const size_t slash = folder.find_last_of('/');
  return slash == std::string::npos ? "./" : folder.erase(slash + 1);
}

// A note for the user as a Python warning (unknown keys, no settings file found).
void Warn(const std::string& note) {
  // Warnings turned into errors (python -W error) raise here.
  if (!note.empty() && PyErr_WarnEx(PyExc_UserWarning, note.c_str(), 1) != 0) throw py::error_already_set();
}

// The settings the programs would use: VIVARION.ini beside the module (the build tree), the
// user's file, or the installed default (lib/python3/dist-packages -> share/vivarion).
TSettings DefaultSettings() {
  const std::string folder = ModuleFolder();
  const TSettingsSearch search = SearchSettingsFile(folder, folder + "../../../share/vivarion/");
  if (!search.Found) Warn(SettingsNotFoundNote(search));
  TSettings rules;
  rules.Open(search.File);
  Warn(UnknownKeysNote(rules));
  return rules;
}

// The shipped population that the programs would seed: population.ini beside the module (the
// build tree) or the installed one.
TPopulationCounts DefaultPopulation() {
  const std::string folder = ModuleFolder();
  return ReadPopulationFile(FindPopulationFile(folder, folder + "../../../share/vivarion/"));
}

// Settings from a file the user names, which must be there.
TSettings SettingsFile(const std::string& file) {
  CheckSettingsFile(file);
  TSettings rules;
  rules.Open(file);
  Warn(UnknownKeysNote(rules));
  return rules;
}

// A key of the settings (any letter case), else KeyError.
const std::string& Key(const std::string& key) {
  if (!IsSettingsKey(key)) throw py::key_error("no settings key is called '" + key + "'");
  return key;
}

// A number given for a settings key (an int or a float; not a text, not a bool), else TypeError.
double KeyValue(const std::string& key, const py::handle& value) {
  if (py::isinstance<py::bool_>(value) || !(py::isinstance<py::int_>(value) || py::isinstance<py::float_>(value)))
    throw py::type_error("settings['" + key + "'] needs a number, not " + py::repr(value).cast<std::string>());
  return value.cast<double>();
}

void SetKeys(TSettings& rules, const py::dict& values) {
  for (auto [key, value] : values) {
    if (!py::isinstance<py::str>(key))
      throw py::type_error("settings keys are names, not " + py::repr(key).cast<std::string>());
    const std::string name = py::str(key);
    rules.Set(Key(name), KeyValue(name, value));
  }
}

// A whole number argument within [low, high], else TypeError or ValueError naming it.
int64_t WholeArgument(const char* name, const py::handle& value, int64_t low, int64_t high) {
  if (py::isinstance<py::bool_>(value) || !py::isinstance<py::int_>(value))
    throw py::type_error(std::string(name) + " needs a whole number, not " + py::repr(value).cast<std::string>());
  const py::int_ number = py::reinterpret_borrow<py::int_>(value);
  if (number < py::int_(low) || number > py::int_(high))
    throw py::value_error(std::string(name) + " needs a whole number from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", not " + py::repr(value).cast<std::string>());
  return number.cast<int64_t>();
}

// A file name argument: a str or a path-like object.
std::string PathArgument(const char* name, const py::handle& value) {
  if (!py::isinstance<py::str>(value) && !py::hasattr(value, "__fspath__"))
    throw py::type_error(std::string(name) + " needs a file name, not " + py::repr(value).cast<std::string>());
  std::string path = py::str(py::module_::import("os").attr("fspath")(value));
  // The system reads a name up to its first NUL: another file than the one given.
  if (path.find('\0') != std::string::npos) throw py::value_error(std::string(name) + " holds a NUL character");
  return path;
}

// Animal files: one name, or a list of names.
std::vector<std::string> AnimalFiles(const py::handle& value) {
  if (py::isinstance<py::str>(value) || py::hasattr(value, "__fspath__")) return {PathArgument("animals", value)};
  if (!py::isinstance<py::sequence>(value))
    throw py::type_error("animals needs a list of animal file names, not " + py::repr(value).cast<std::string>());
  std::vector<std::string> files;
  for (py::handle item : py::reinterpret_borrow<py::sequence>(value)) files.push_back(PathArgument("animals", item));
  return files;
}

// Two whole numbers (a tuple or list of two), each within [low, high].
std::pair<int32_t, int32_t> PairArgument(const char* name, const py::handle& value, int64_t low, const char* what) {
  if (!py::isinstance<py::sequence>(value) || py::isinstance<py::str>(value) || py::len(value) != 2)
    throw py::type_error(std::string(name) + " needs two whole numbers (" + what + "), not " +
                         py::repr(value).cast<std::string>());
  const auto pair = py::reinterpret_borrow<py::sequence>(value);
  return {static_cast<int32_t>(WholeArgument(name, pair[0], low, INT32_MAX)),
          static_cast<int32_t>(WholeArgument(name, pair[1], low, INT32_MAX))};
}

class TPyWorld;

// vivarion.Settings: the rules of a world, by key, read from and written to settings files.
// The one a world gives (world.settings) is that world's: it reads the rules in force, and
// setting a key changes them from the next step on, so that world.settings["SunLight"] = 0.3
// does what it says.
struct TPySettings {
  TSettings Rules;
  py::object World;  // None, or the world whose rules these are

  TSettings Current() const;
  void Set(const std::string& key, double value);
  bool OfWorld() const { return World && !World.is_none(); }

  // None: the settings file the programs use; a path: that file; a dict: the default file's
  // with these keys replaced; Settings: a copy.
  static TSettings From(const py::object& source) {
    if (source.is_none()) return DefaultSettings();
    if (py::isinstance<TPySettings>(source)) return source.cast<const TPySettings&>().Current();
    if (py::isinstance<py::dict>(source)) {
      TSettings rules = DefaultSettings();
      SetKeys(rules, source.cast<py::dict>());
      return rules;
    }
    return SettingsFile(PathArgument("settings", source));
  }

  py::object Get(const std::string& key) const {
    const double value = Current().Get(key);
    if (IsWholeSettingsKey(key)) return py::int_(static_cast<int64_t>(value));
    return py::float_(value);
  }
  py::dict Dict() const {
    py::dict d;
    for (const std::string& key : SettingsKeys()) d[py::str(key)] = Get(key);
    return d;
  }
  void Save(const std::string& path) {
    WriteFileAtomically(path, Current().IniText(), false);
    if (!OfWorld()) Rules.FileName = path;
  }
  std::string Repr() const {
    const TSettings rules = Current();
    std::string text = "vivarion.Settings(";
    if (!rules.FileName.empty()) text += "'" + rules.FileName + "': ";
    std::string values;
    for (const std::string& key : SettingsKeys())
      if (rules.Get(key) != 0)
        values += (values.empty() ? "" : ", ") + key + "=" + py::repr(Get(key)).cast<std::string>();
    return text + values + ")";
  }
};

class TPyWorld {
 public:
  // Arguments as Python gives them, checked here so that a wrong one is a TypeError or
  // ValueError naming it (the runner's limits: counts of 0 or more, a window of at least one
  // pixel, a seed of 0 or more).
  TPyWorld(const py::object& settings, const py::object& seed, const py::object& animals, const py::object& population,
           const py::object& size, const py::object& maxCreatures, const py::object& timeline) {
    const std::optional<int64_t> spacing = TimelineSpacing(timeline);
    const std::optional<uint64_t> given =
        seed.is_none() ? std::nullopt : std::optional<uint64_t>(WholeArgument("seed", seed, 0, INT64_MAX));
    const std::vector<std::string> files = AnimalFiles(animals);
    TPopulationCounts counts;
    if (population.is_none()) counts = DefaultPopulation();
    else std::tie(counts.NumCreatures, counts.NumFood) = PairArgument("population", population, 0, "animals, plants");
    const auto [width, height] = PairArgument("size", size, 1, "width, height");
    sim_->CreatureLimit = WholeArgument("max_creatures", maxCreatures, 1, INT64_MAX);
    sim_->StartUp(TPySettings::From(settings), given);
    py::gil_scoped_release free;
    sim_->Populate(width, height, files, counts);
    if (spacing) timeline_.emplace(*spacing), timeline_->Note(*sim_);
  }
  TPyWorld() = default;
  TPyWorld(const TPyWorld&) = delete;
  TPyWorld& operator=(const TPyWorld&) = delete;

  // A world file's world, under the rules it was saved with unless settings are given.
  // Its timeline is read from beside it when one was saved there.
  static std::unique_ptr<TPyWorld> Load(const std::string& path, const py::object& settings,
                                        const py::object& timeline) {
    auto w = std::make_unique<TPyWorld>();
    const std::optional<int64_t> spacing = TimelineSpacing(timeline);
    std::optional<TSettings> rules;
    if (!settings.is_none()) rules = TPySettings::From(settings);
    {
      py::gil_scoped_release free;  // other threads go on while the file is read
      w->sim_->LoadWorld(path);
      w->sim_->SetRules(w->sim_->FileSettings());
      if (spacing) {
        const std::string saved = TimelineFileFor(path);
        if (IsRegularFile(saved)) w->timeline_ = LoadTimeline(saved, *w->sim_);
        else w->timeline_.emplace(*spacing), w->timeline_->Note(*w->sim_);
      }
    }
    if (rules) w->sim_->SetRules(*rules);
    return w;
  }

  // Time travel: back (or forward, within what the world has reached) to a step; a second
  // world going on apart from this one's step; what the timeline holds.
  void Rewind(int64_t step) {
    py::gil_scoped_release free;
    const std::lock_guard<std::mutex> hold(mutex_);
    Timeline().Note(*sim_);  // a change made since the last step is the world's too
    // Reports taken on the way restart their counts again; the rows after the step stay until
    // the world goes on (a rewind forward shows them again).
    // Called at every step replayed: Ctrl+C is heard there too (the world stays at the step it
    // reached, a step of the same run).
    int64_t k = 0;
    Timeline().Rewind(*sim_, step, [&](int64_t s) {
      if (++k % 64 == 0) {
        py::gil_scoped_acquire python;
        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
      }
      const auto at = std::lower_bound(reports_.begin(), reports_.end(), s,
                                       [](const auto& report, int64_t step) { return report.first < step; });
      return at != reports_.end() && at->first == s;
    });
  }
  std::unique_ptr<TPyWorld> Branch(const py::object& settings) {
    std::optional<TSettings> rules;
    if (!settings.is_none()) rules = TPySettings::From(settings);
    auto w = std::make_unique<TPyWorld>();
    py::gil_scoped_release free;
    const std::lock_guard<std::mutex> hold(mutex_);
    Timeline().Note(*sim_);
    w->sim_->CreatureLimit = sim_->CreatureLimit;
    w->sim_->SetPasses(sim_->Population().Passes);
    w->sim_->LoadWorldBody(sim_->WorldBody(), "the branch");
    w->sim_->SetRules(sim_->Rules());
    w->timeline_ = Timeline().Branch(*w->sim_);
    w->reports_ = reports_;
    w->ForgetUndone();
    if (rules) w->sim_->SetRules(*rules);
    return w;
  }
  py::dict TimelineFigures() {
    const auto hold = Hold();
    const TTimeline& t = Timeline();
    py::dict d;
    d["spacing"] = t.Spacing(), d["first"] = t.First(), d["last"] = t.Last(), d["bytes"] = t.Bytes();
    d["keyframes"] = t.Keyframes(), d["seams"] = t.Seams();
    return d;
  }
  void SaveWithTimeline(const std::string& path, bool timeline) {
    const auto hold = Hold();
    if (timeline) Timeline().Note(*sim_);
    sim_->SaveWorld(path);
    if (timeline) SaveTimeline(TimelineFileFor(path), Timeline(), *sim_);
  }

  // n steps; with report > 0, a report at every step that is a multiple of it (counted from
  // the world's start), as the runner's --report takes them.
  void Step(int64_t n, int64_t report) {
    if (n < 0) throw py::value_error("cannot step a world backwards");
    if (report < 0) throw py::value_error("report must be 0 (none) or a number of steps");
    if (n > MaxStepCount - StepCount())
      throw py::value_error("n: the world is at step " + std::to_string(StepCount()) +
                            ", and no world goes beyond step " + std::to_string(MaxStepCount));
    py::gil_scoped_release free;
    const std::lock_guard<std::mutex> hold(mutex_);
    ForgetUndone();
    TRunDriver driver(*sim_, TRunPlan{report, 0, "", false});
    const int64_t last = sim_->StepCount() + n;
    int64_t k = 0;
    driver.RunTo(
        last,
        [&] {
          if (timeline_) timeline_->Note(*sim_);
          // Ctrl+C (and other signals' handlers) are heard between steps, not only at the end.
          if (++k % 64 == 0) {
            py::gil_scoped_acquire python;
            if (PyErr_CheckSignals() != 0) throw py::error_already_set();
          }
        },
        [&](const TRunReport& r) { Keep(r); }, false);
  }
  void Run(int64_t until, int64_t report) {
    const int64_t now = StepCount();
    if (until < now)
      throw py::value_error("until " + std::to_string(until) + " is before the world's step " + std::to_string(now));
    Step(until - now, report);
  }
  // A report now: the runner's statistics row and evolution row as one dict. The counts since
  // the last report (births, new species, change and novelty of taxa) start again from here.
  py::dict ReportNow() {
    const auto hold = Hold();
    const auto [stats, evolution] = Report();
    py::dict row = Table(StatsHeader + stats)[0].cast<py::dict>();
    for (auto [key, value] : Table(EvolutionHeader + evolution)[0].cast<py::dict>()) row[key] = value;
    return row;
  }
  // The rows of every report taken by this object, as the runner's evolution file has them.
  py::list Evolution() const {
    const auto hold = Hold();
    std::string rows = EvolutionHeader;
    for (const auto& [step, row] : reports_)
      if (step <= sim_->StepCount()) rows += row;
    return Table(rows);
  }
  uint64_t Hash() const {
    const auto hold = Hold();
    return sim_->Hash();
  }
  int64_t StepCount() const {
    const auto hold = Hold();
    return sim_->StepCount();
  }
  TSettings Rules() const {
    const auto hold = Hold();
    return sim_->Rules();
  }
  // New rules from the next step on (a settings file read again, a sweep that changes a value).
  void SetSettings(const py::object& settings) {
    TSettings rules = TPySettings::From(settings);
    const auto hold = Hold();
    sim_->SetRules(rules);
  }
  // One key of the rules in force changed from the next step on (a bad value changes nothing).
  void SetKey(const std::string& key, double value) {
    const auto hold = Hold();
    TSettings rules = sim_->Rules();
    rules.Set(key, value);
    sim_->SetRules(rules);
  }

  py::dict Figures() const {
    const auto hold = Hold();
    const TWorldFigures f = sim_->Figures();
    py::dict d;
    d["step"] = sim_->StepCount(), d["creatures"] = f.Animals, d["food"] = f.Plants;
    d["biomass"] = f.Biomass, d["species"] = f.Species;
    return d;
  }

  // One creature whole: its values, and each organ with every property an animal file holds.
  py::dict Creature(uint64_t serial) const {
    const auto hold = Hold();
    const TCreature* c = sim_->Population().FindSerial(serial);
    if (c == nullptr) throw py::key_error("no living creature has serial " + std::to_string(serial));
    py::dict d;
    d["serial"] = c->Serial, d["parent"] = c->ParentSerial, d["name"] = c->Name, d["plant"] = c->Vegetable;
    d["x"] = c->X, d["y"] = c->Y, d["vx"] = c->VX, d["vy"] = c->VY, d["heading"] = c->Heading, d["spin"] = c->Spin;
    d["radius"] = c->Radius, d["energy"] = c->Energy(), d["max_energy"] = c->MaxEnergy;
    d["mutation_rate"] = c->MutationRate, d["taxon"] = c->Taxon, d["birth_step"] = c->BirthStep;
    d["color"] = c->Color;  // as animal files hold it: red + 256 x green + 65536 x blue, and a flag byte
    py::list organs;
    for (const TPart* part : c->Parts.Items) {
      py::dict organ;
      organ["kind"] = KindName(part->Kind());
      const std::string names = part->PropertyNames();
      for (size_t from = 0; from <= names.size();) {
        const size_t bar = std::min(names.find('|', from), names.size());
        const std::string name = names.substr(from, bar - from);
        if (!name.empty()) organ[py::str(name)] = part->GetProperty(name);
        from = bar + 1;
      }
      organs.append(organ);
    }
    d["organs"] = organs;
    return d;
  }

  // Holds a creature at (x, y): each step puts it back there, as a creature held by the mouse.
  void Place(uint64_t serial, float x, float y) {
    const auto hold = Hold();
    if (sim_->Population().FindSerial(serial) == nullptr)
      throw py::key_error("no living creature has serial " + std::to_string(serial));
    sim_->Hold(serial);
    sim_->MoveHeld(x, y);
  }
  void Release() {
    const auto hold = Hold();
    sim_->Hold(0);
  }

  py::list Species() const {
    const auto hold = Hold();
    return Table(sim_->History().SpeciesCsv());
  }
  py::list Taxa() const {
    const auto hold = Hold();
    return Table(sim_->Taxa().TaxaCsv());
  }
  std::string Phylogeny() const {
    const auto hold = Hold();
    return sim_->History().Newick();
  }
  std::string TaxaTree() const {
    const auto hold = Hold();
    return sim_->Taxa().Newick();
  }

  py::object Creatures() const {
    const auto hold = Hold();
    const std::vector<TCreature*>& list = sim_->Population().List;
    py::array_t<TCreatureRow> rows(static_cast<py::ssize_t>(list.size()));
    TCreatureRow* out = rows.mutable_data();
    for (const TCreature* c : list) {
      TCreatureRow& r = *out++;
      r.Serial = c->Serial, r.Parent = c->ParentSerial;
      r.X = c->X, r.Y = c->Y, r.VX = c->VX, r.VY = c->VY, r.Heading = c->Heading, r.Radius = c->Radius;
      r.Energy = c->Energy(), r.MaxEnergy = c->MaxEnergy, r.Plant = c->Vegetable, r.Taxon = c->Taxon;
      r.Organs = c->Parts.Count();
      const size_t length = std::min(c->Name.size(), sizeof r.Name - 1);
      std::memcpy(r.Name, c->Name.data(), length);
      std::memset(r.Name + length, 0, sizeof r.Name - length);
    }
    // Names as text (str), not bytes: numpy turns the fixed-width bytes into unicode.
    py::list fields;
    const py::dict types = rows.dtype().attr("fields");
    for (py::handle name : rows.dtype().attr("names")) {
      const std::string field = py::str(name);
      fields.append(
          py::make_tuple(field, field == "name" ? py::object(py::str("<U32")) : types[name].cast<py::tuple>()[0]));
    }
    return rows.attr("astype")(py::module_::import("numpy").attr("dtype")(fields));
  }
  std::string Repr() const {
    const auto hold = Hold();
    const TWorldFigures f = sim_->Figures();
    return "vivarion.World(step=" + std::to_string(sim_->StepCount()) + ", creatures=" + std::to_string(f.Animals) +
           ", food=" + std::to_string(f.Plants) + ", species=" + std::to_string(f.Species) + ")";
  }

 private:
  // A CSV field as a Python value: a whole number, a real number, else the text.
  static py::object Typed(const std::string& text) {
    const char* end = text.c_str() + text.size();
    char* used = nullptr;
    const long long whole = std::strtoll(text.c_str(), &used, 10);
    if (!text.empty() && used == end) return py::int_(whole);
    const double real = std::strtod(text.c_str(), &used);
    if (!text.empty() && used == end) return py::float_(real);
    return py::str(text);
  }

  // The rows of a CSV text as dicts, numbers as numbers.
  static py::list Table(const std::string& csv) {
    py::object reader = py::module_::import("csv").attr("DictReader")(py::module_::import("io").attr("StringIO")(csv));
    py::list rows;
    for (py::handle row : reader) {
      py::dict typed;
      for (auto [key, value] : py::reinterpret_borrow<py::dict>(row)) typed[key] = Typed(py::str(value));
      rows.append(typed);
    }
    return rows;
  }

  // One caller at a time: a world stepped in one thread is not read or changed from another
  // half-way. The lock is waited for without the interpreter's, so that the stepping thread
  // can finish.
  std::unique_lock<std::mutex> Hold() const {
    py::gil_scoped_release free;
    return std::unique_lock<std::mutex>(mutex_);
  }

  // A report as the runner takes it: its statistics and evolution rows (the latter kept).
  std::pair<std::string, std::string> Report() {
    ForgetUndone();
    return Keep(TakeRunReport(*sim_, true));
  }
  std::pair<std::string, std::string> Keep(const TRunReport& r) {
    std::string evolution = r.EvolutionRow() + '\n';
    reports_.emplace_back(r.Step, evolution);
    return {r.StatsRow() + '\n', std::move(evolution)};
  }
  // The world goes on from its step: the reports of a future it was rewound from are undone.
  void ForgetUndone() {
    while (!reports_.empty() && reports_.back().first > sim_->StepCount()) reports_.pop_back();
  }

  std::unique_ptr<TSimulation> sim_ = std::make_unique<TSimulation>();
  std::optional<TTimeline> timeline_;
  mutable std::mutex mutex_;

  TTimeline& Timeline() {
    if (!timeline_) throw EVivarion("this world keeps no timeline (it was made with timeline=None)");
    return *timeline_;
  }
  const TTimeline& Timeline() const { return const_cast<TPyWorld*>(this)->Timeline(); }
  // timeline=: None or False keeps none; True the default spacing; a whole number of steps.
  static std::optional<int64_t> TimelineSpacing(const py::object& timeline) {
    if (timeline.is_none() || (py::isinstance<py::bool_>(timeline) && !timeline.cast<bool>())) return std::nullopt;
    if (py::isinstance<py::bool_>(timeline)) return 1000;
    return WholeArgument("timeline", timeline, 1, INT64_MAX);
  }
  // The step and evolution row of every report taken, in step order.
  std::vector<std::pair<int64_t, std::string>> reports_;
};

TSettings TPySettings::Current() const { return OfWorld() ? World.cast<const TPyWorld&>().Rules() : Rules; }

void TPySettings::Set(const std::string& key, double value) {
  if (!OfWorld()) Rules.Set(key, value);
  else World.cast<TPyWorld&>().SetKey(key, value);
}

// A study file read and checked, to run from Python.
class TPyExperiment {
 public:
  explicit TPyExperiment(const std::string& file)
      : study_(ReadStudyFile(file, {DefaultSettings().FileName, DefaultPopulation()})), runs_(StudyRuns(study_)) {}

  // Runs what is left of the study, jobs runs at a time, and returns its table. Ctrl+C stops
  // it (the runs keep their checkpoints, so that run() goes on from there).
  // The runs go on threads of their own; this thread (Python's main one, where signals are
  // heard) waits, hears Ctrl+C within a tenth of a second, and passes the progress on: to
  // progress(dict) when it is callable, as a line on standard error when it is true.
  py::object Run(int32_t jobs, const py::object& progress) {
    PrepareStudyFolder(study_);
    std::atomic<bool> cancel{false}, finished{false};
    std::mutex mutex;
    std::optional<TStudyProgress> latest;
    std::vector<std::string> notes;
    std::exception_ptr fault;
    TStudyOptions options;
    options.Jobs = jobs;
    options.Cancel = &cancel;
    options.Progress = [&](const TStudyProgress& p) {
      const std::lock_guard<std::mutex> lock(mutex);
      latest = p;
    };
    options.Note = [&](const std::string& note) {
      const std::lock_guard<std::mutex> lock(mutex);
      notes.push_back(note);
    };
    std::thread runner([&] {
      try {
        RunStudy(study_, runs_, options);
      } catch (...) {
        fault = std::current_exception();
      }
      finished = true;
    });
    const bool callback = PyCallable_Check(progress.ptr()) != 0, line = !callback && py::bool_(progress);
    int32_t runsTold = -1;
    auto pass = [&] {
      std::optional<TStudyProgress> p;
      std::vector<std::string> told;
      {
        const std::lock_guard<std::mutex> lock(mutex);
        p.swap(latest);
        told.swap(notes);
      }
      for (const std::string& note : told) Warn(note);
      if (!p) return;
      if (callback) {
        py::dict d;
        d["runs_done"] = p->RunsDone, d["runs_total"] = p->RunsTotal;
        d["steps_done"] = p->StepsDone, d["steps_total"] = p->StepsTotal;
        progress(d);
      } else if (line && p->RunsDone != runsTold) {
        py::print("study " + PrintableText(study_.Name) + ": " + std::to_string(p->RunsDone) + " of " +
                      std::to_string(p->RunsTotal) + " runs done",
                  py::arg("file") = py::module_::import("sys").attr("stderr"));
      }
      runsTold = p->RunsDone;
    };
    try {
      while (!finished) {
        {
          py::gil_scoped_release free;
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
        pass();
      }
    } catch (...) {
      // Ctrl+C or a fault of the callback: the runs stop at their next step, checkpoints kept.
      cancel = true;
      py::gil_scoped_release free;
      runner.join();
      throw;
    }
    runner.join();
    if (fault) std::rethrow_exception(fault);
    pass();
    return LoadResults(WriteStudyTables(study_, runs_));
  }

  // A finished study's table (results.csv in folder, or the file itself) as a pandas DataFrame.
  static py::object LoadResults(const std::string& where) {
    namespace fs = std::filesystem;
    std::error_code error;
    const bool folder = fs::is_directory(where, error);
    if (!folder && !fs::exists(where, error))
      throw EVivarion(where + ": no such folder or file (a study's results folder, or its results.csv)");
    const std::string file = folder ? (fs::path(where) / "results.csv").string() : where;
    if (!IsRegularFile(file))
      throw EVivarion(file + ": no table of results here: the study has not finished (run it again to go on)");
    py::object pandas;
    try {
      pandas = py::module_::import("pandas");
    } catch (py::error_already_set&) {
      throw py::import_error("vivarion's studies need pandas (Debian: apt-get install python3-pandas)");
    }
    return pandas.attr("read_csv")(file);
  }

  const TStudy& Study() const { return study_; }
  size_t Runs() const { return runs_.size(); }

 private:
  TStudy study_;
  std::vector<TStudyRun> runs_;
};

// pybind11 answers a call whose arguments fit no signature with "incompatible function
// arguments" and a dump of the signatures. Each function and method of the module is wrapped
// so that such a call raises a TypeError that names the argument and what it takes.
void ExplainWrongArguments(py::module_& m) {
  py::exec(R"py(
def _explain(name, doc, args, kwargs):
    import re
    first = (doc or "").strip().splitlines()[0] if doc else ""
    inside = first[first.find("(") + 1:first.rfind(")")] if "(" in first else ""
    params = []
    for part in re.split(r",\s*(?![^\[]*\])", inside):
        match = re.match(r"\s*(\w+)\s*:\s*([\w.\[\], ]+?)\s*(=.*)?$", part)
        if match and match.group(1) != "self":
            params.append((match.group(1), match.group(2).strip().split(".")[-1]))
    names = [p for p, _ in params]
    takes = ", ".join(names) if names else "no arguments"
    for key in kwargs:
        if key not in names:
            return "%s() got an unexpected keyword argument '%s' (it takes %s)" % (name, key, takes)
    if len(args) > len(params):
        return "%s() takes %d argument%s (%s), not %d" % (name, len(params), "" if len(params) == 1 else "s", takes, len(args))
    wants = {"int": (int,), "float": (int, float), "str": (str,), "bool": (bool,)}
    given = list(zip(names, args)) + [(k, v) for k, v in kwargs.items()]
    kinds = dict(params)
    for key, value in given:
        accepted = wants.get(kinds.get(key))
        if accepted and (not isinstance(value, accepted) or (isinstance(value, bool) and bool not in accepted)):
            what = {"int": "a whole number", "float": "a number", "str": "a text (a file name)", "bool": "True or False"}
            return "%s(): %s needs %s, not %r" % (name, key, what[kinds[key]], value)
    return "%s() takes (%s)" % (name, takes)

def _wrap(owner, attribute, name, static=False):
    import functools
    function = getattr(owner, attribute)
    @functools.wraps(function)
    def call(*args, **kwargs):
        try:
            return function(*args, **kwargs)
        except TypeError as fault:
            text = str(fault)
            if "incompatible function arguments" not in text and "incompatible constructor arguments" not in text:
                raise
            shown = args[1:] if not static and args else args
            raise TypeError(_explain(name, function.__doc__, shown, kwargs)) from None
    setattr(owner, attribute, staticmethod(call) if static else call)

import sys as _sys
_module = _sys.modules[__name__] if __name__ in _sys.modules else None
)py",
           m.attr("__dict__"));
  const py::object wrap = m.attr("_wrap");
  for (const char* name : {"World", "Settings", "Experiment"}) {
    const py::object type = m.attr(name);
    for (const py::handle key : py::list(type.attr("__dict__").attr("keys")())) {
      const std::string attribute = py::str(key);
      if (attribute.starts_with("__") && attribute != "__init__" && attribute != "__getitem__" &&
          attribute != "__setitem__")
        continue;
      const py::object raw = type.attr("__dict__")[key];
      const bool isStatic = py::isinstance(raw, py::module_::import("builtins").attr("staticmethod"));
      if (!isStatic && !PyCallable_Check(raw.ptr())) continue;  // properties stay as they are
      const std::string shown = attribute == "__init__" ? std::string(name) : std::string(name) + "." + attribute;
      wrap(type, attribute, shown, isStatic);
    }
  }
  wrap(m, "load_results", "load_results");
  py::delattr(m, "_wrap");
}

}  // namespace
}  // namespace viv

PYBIND11_MODULE(vivarion, m) {
  using namespace viv;
  // Creatures come as numpy records: without numpy the module cannot be, and says why.
  try {
    py::module_::import("numpy");
  } catch (py::error_already_set&) {
    throw py::import_error("vivarion needs numpy (Debian: apt-get install python3-numpy)");
  }
  m.doc() = "Vivarion's worlds from Python: step, save, read and look into them.";
  m.attr("__version__") = VIVARION_VERSION;
  static py::exception<EVivarion> error(m, "Error");
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const EVivarion& e) {
      error(e.what());
    } catch (const EConvertError& e) {
      error(e.what());
    } catch (const EListError& e) {
      error(e.what());
    } catch (const std::length_error&) {
      PyErr_SetString(PyExc_MemoryError, "the world asked for more room than a list can hold");
    }
  });
  PYBIND11_NUMPY_DTYPE_EX(TCreatureRow, Serial, "serial", Parent, "parent", X, "x", Y, "y", VX, "vx", VY, "vy", Heading,
                          "heading", Radius, "radius", Energy, "energy", MaxEnergy, "max_energy", Plant, "plant", Taxon,
                          "taxon", Organs, "organs", Name, "name");
  py::class_<TPySettings>(m, "Settings",
                          "The rules of a world by key: Settings() the settings file the programs use, "
                          "Settings(path) a file, Settings(dict) the default with these keys replaced, "
                          "Settings(other) a copy. Keys compare without case; values are checked against "
                          "each key's range. A world's settings (world.settings) are that world's rules: "
                          "setting a key changes them from the next step on.")
      .def(py::init([](const py::object& source) {
             return TPySettings{TPySettings::From(source), py::none()};
           }),
           py::arg("source") = py::none())
      .def(
          "__getitem__", [](const TPySettings& s, const std::string& key) { return s.Get(Key(key)); },
          "The value of a key (an int for whole-number keys, else a float).")
      .def(
          "__setitem__",
          [](TPySettings& s, const std::string& key, const py::object& value) {
            s.Set(Key(key), KeyValue(key, value));
          },
          "Sets a key; a value out of the key's range raises vivarion.Error.")
      .def("__contains__", [](const TPySettings&, const std::string& key) { return IsSettingsKey(key); })
      .def("__iter__", [](const TPySettings&) { return py::iter(py::cast(SettingsKeys())); })
      .def("__len__", [](const TPySettings&) { return SettingsKeys().size(); })
      .def("__eq__",
           [](const TPySettings& a, const TPySettings& b) { return a.Current().IniText() == b.Current().IniText(); })
      .def(
          "keys", [](const TPySettings&) { return SettingsKeys(); }, "The keys, in the order a settings file is read.")
      .def("to_dict", &TPySettings::Dict, "Every key and its value, as a dict.")
      .def("save", &TPySettings::Save, py::arg("path"),
           "Writes a settings file that reads back to the same values (written whole or not at all).")
      .def_property_readonly(
          "file", [](const TPySettings& s) { return s.Current().FileName; },
          "The settings file these values came from, or ''.")
      .def("__repr__", &TPySettings::Repr);
  py::class_<TPyWorld>(
      m, "World",
      "One world: World(settings=None, seed=None, animals=[], population=None, size=(800, 600), "
      "max_creatures=1000000, timeline=1000) seeds a new one as the runner does (animals: animal file names; "
      "timeline: a keyframe every this many steps, for rewind and branch, None for none; "
      "population: animals and plants, else the shipped population.ini; seed: the random stream's, "
      "else VIVARION_SEED or the clock). "
      "World.load(path) reads a world file.")
      .def(py::init<const py::object&, const py::object&, const py::object&, const py::object&, const py::object&,
                    const py::object&, const py::object&>(),
           py::arg("settings") = py::none(), py::arg("seed") = py::none(), py::arg("animals") = py::list(),
           py::arg("population") = py::none(), py::arg("size") = py::make_tuple(800, 600),
           py::arg("max_creatures") = 1000000, py::arg("timeline") = 1000)
      .def_static(
          "load",
          [](const py::object& path, const py::object& settings, const py::object& timeline) {
            return TPyWorld::Load(PathArgument("path", path), settings, timeline);
          },
          py::arg("path"), py::arg("settings") = py::none(), py::arg("timeline") = 1000,
          "The world of a world file, going on exactly where it was saved, under the rules saved with it "
          "unless settings are given; with the timeline saved beside it (PATH.vivt) when there is one.")
      .def(
          "rewind", [](TPyWorld& w, const py::object& step) { w.Rewind(WholeArgument("step", step, 0, INT64_MAX)); },
          py::arg("step"),
          "Puts the world at an earlier step (or a later one it has reached), replayed from its timeline: the "
          "same world that was there.")
      .def("branch", &TPyWorld::Branch, py::arg("settings") = py::none(),
           "A second world that goes on apart from this one's step, under settings when given (else the same "
           "rules: then it stays this world); its timeline shares this one's past.")
      .def("timeline", &TPyWorld::TimelineFigures,
           "What the timeline holds: spacing, first and last step reachable, bytes, the keyframes' steps and the "
           "seams (steps where the world was changed by hand, which replaying does not pass).")
      .def(
          "step",
          [](TPyWorld& w, const py::object& n, const py::object& report) {
            w.Step(WholeArgument("n", n, 0, INT64_MAX), WholeArgument("report", report, 0, INT64_MAX));
          },
          py::arg("n") = 1, py::arg("report") = 0,
          "Steps the world n times; with report > 0, takes a report at every step that is a multiple of it. "
          "Ctrl+C stops it between steps.")
      .def(
          "run",
          [](TPyWorld& w, const py::object& until, const py::object& report) {
            w.Run(WholeArgument("until", until, 0, INT64_MAX), WholeArgument("report", report, 0, INT64_MAX));
          },
          py::arg("until"), py::arg("report") = 0,
          "Steps the world until its step count is until (not before the world's step).")
      .def("report", &TPyWorld::ReportNow,
           "A report now: the runner's statistics and evolution columns as one dict; the counts since the last "
           "report start again.")
      .def("evolution", &TPyWorld::Evolution, "The evolution rows of every report taken, as the runner writes them.")
      .def("save", &TPyWorld::SaveWithTimeline, py::arg("path"), py::arg("timeline") = false,
           "Writes the whole world as a world file (.vivw); with timeline=True its timeline beside it (.vivt).")
      .def("hash", &TPyWorld::Hash, "The world's 64-bit hash, as the runner's --hash gives it.")
      .def_property_readonly("step_count", &TPyWorld::StepCount, "The steps the world has made since it was seeded.")
      .def_property(
          "settings",
          [](const py::object& self) {
            return TPySettings{TSettings(), self};
          },
          &TPyWorld::SetSettings,
          "The world's rules: read a key, set a key, or give new Settings (or a dict or file name) whole.")
      .def("figures", &TPyWorld::Figures, "The status line's figures: step, creatures, food, biomass, species.")
      .def("creatures", &TPyWorld::Creatures, "Every creature as a numpy record array, in population order.")
      .def("creature", &TPyWorld::Creature, py::arg("serial"),
           "One living creature whole, with its organs and every property an animal file holds.")
      .def("place", &TPyWorld::Place, py::arg("serial"), py::arg("x"), py::arg("y"),
           "Holds a creature at (x, y), as the mouse holds one: each step puts it back.")
      .def("release", &TPyWorld::Release, "Lets go of the held creature.")
      .def("species", &TPyWorld::Species, "Every species of the world's history, as the runner's --species-csv rows.")
      .def("taxa", &TPyWorld::Taxa, "Every taxon, as the runner's --taxa-csv rows.")
      .def("phylogeny", &TPyWorld::Phylogeny, "The species tree in Newick format.")
      .def("taxa_tree", &TPyWorld::TaxaTree, "The tree of taxa in Newick format.")
      .def("__repr__", &TPyWorld::Repr);
  py::class_<TPyExperiment>(m, "Experiment",
                            "A study file (TOML: settings, sweeps, seeds, events), read and checked: "
                            "Experiment(path).run(jobs=1) runs it as vivarion-cli --experiment does and returns its "
                            "table as a pandas DataFrame.")
      .def(py::init([](const py::object& path) { return std::make_unique<TPyExperiment>(PathArgument("path", path)); }),
           py::arg("path"))
      .def(
          "run",
          [](TPyExperiment& e, const py::object& jobs, const py::object& progress) {
            return e.Run(static_cast<int32_t>(WholeArgument("jobs", jobs, 1, 1024)), progress);
          },
          py::arg("jobs") = 1, py::arg("progress") = true,
          "Runs the study's runs (those not finished yet), jobs at a time, and returns results.csv as a DataFrame. "
          "progress: True prints a line on standard error as runs finish, False nothing, a callable is called "
          "with a dict (runs_done, runs_total, steps_done, steps_total) now and then. Ctrl+C stops the runs at "
          "their next step with their checkpoints kept: run() again goes on from there.")
      .def("__repr__",
           [](const TPyExperiment& e) {
             return "vivarion.Experiment('" + e.Study().File + "', name='" + PrintableText(e.Study().Name) +
                    "', runs=" + std::to_string(e.Runs()) + ", results='" + e.Study().Folder + "')";
           })
      .def_property_readonly(
          "folder", [](const TPyExperiment& e) { return e.Study().Folder; }, "Where the results go.")
      .def_property_readonly("runs", &TPyExperiment::Runs, "How many runs the study makes.")
      .def_property_readonly(
          "name", [](const TPyExperiment& e) { return e.Study().Name; }, "The study's name.");
  m.def(
      "load_results",
      [](const py::object& folder) { return TPyExperiment::LoadResults(PathArgument("folder", folder)); },
      py::arg("folder"), "The table of a finished study (its results folder, or results.csv) as a pandas DataFrame.");
  ExplainWrongArguments(m);
}
