// The Python module: worlds to step, save and read from Python, their creatures as numpy
// arrays, their rules as Settings. A thin layer over TSimulation; the world's own errors come
// out as vivarion.Error with the program's messages.
#include <dlfcn.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "config/data_files.h"
#include "config/errors.h"
#include "config/files.h"
#include "config/settings.h"
#include "history/report_rows.h"
#include "parts/part.h"
#include "sim/simulation.h"
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

void SetKeys(TSettings& rules, const py::dict& values) {
  for (auto [key, value] : values) rules.Set(Key(py::str(key)), value.cast<double>());
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
    return SettingsFile(py::str(py::module_::import("os").attr("fspath")(source)));
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
      if (rules.Get(key) != 0) values += (values.empty() ? "" : ", ") + key + "=" + py::repr(Get(key)).cast<std::string>();
    return text + values + ")";
  }
};

class TPyWorld {
 public:
  TPyWorld(const py::object& settings, std::optional<uint64_t> seed, const std::vector<std::string>& animals,
           std::pair<int32_t, int32_t> population, std::pair<int32_t, int32_t> size) {
    // The runner's limits: counts of 0 or more, a window of at least one pixel.
    if (population.first < 0 || population.second < 0)
      throw py::value_error("population needs counts of 0 or more (animals, plants)");
    if (size.first < 1 || size.second < 1) throw py::value_error("size needs a width and height above 0");
    sim_->StartUp(TPySettings::From(settings), seed);
    sim_->Populate(size.first, size.second, animals, TPopulationCounts{population.first, population.second});
  }
  TPyWorld() = default;
  TPyWorld(const TPyWorld&) = delete;
  TPyWorld& operator=(const TPyWorld&) = delete;

  // A world file's world, under the rules it was saved with unless settings are given.
  static std::unique_ptr<TPyWorld> Load(const std::string& path, const py::object& settings) {
    auto w = std::make_unique<TPyWorld>();
    std::optional<TSettings> rules;
    if (!settings.is_none()) rules = TPySettings::From(settings);
    w->sim_->LoadWorld(path);
    w->sim_->SetRules(rules ? *rules : w->sim_->FileSettings);
    return w;
  }

  // n steps; with report > 0, a report at every step that is a multiple of it (counted from
  // the world's start), as the runner's --report takes them.
  void Step(int64_t n, int64_t report) {
    if (n < 0) throw py::value_error("cannot step a world backwards");
    if (report < 0) throw py::value_error("report must be 0 (none) or a number of steps");
    py::gil_scoped_release free;
    const std::lock_guard<std::mutex> hold(mutex_);
    for (int64_t k = 0; k < n; ++k) {
      sim_->Step();
      if (report > 0 && sim_->StepCount % report == 0) Report();
    }
  }
  void Run(int64_t until, int64_t report) { Step(until - StepCount(), report); }
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
    return Table(EvolutionHeader + evolutionRows_);
  }
  void Save(const std::string& path) const {
    const auto hold = Hold();
    sim_->SaveWorld(path);
  }
  uint64_t Hash() const {
    const auto hold = Hold();
    return sim_->Hash();
  }
  int64_t StepCount() const {
    const auto hold = Hold();
    return sim_->StepCount;
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
    d["step"] = sim_->StepCount, d["creatures"] = f.Animals, d["food"] = f.Plants;
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
    sim_->Held = serial;
    sim_->MoveHeld(x, y);
  }
  void Release() {
    const auto hold = Hold();
    sim_->Held = 0;
  }

  py::list Species() const {
    const auto hold = Hold();
    return Table(sim_->History.SpeciesCsv());
  }
  py::list Taxa() const {
    const auto hold = Hold();
    return Table(sim_->Taxa.TaxaCsv());
  }
  std::string Phylogeny() const {
    const auto hold = Hold();
    return sim_->History.Newick();
  }
  std::string TaxaTree() const {
    const auto hold = Hold();
    return sim_->Taxa.Newick();
  }

  py::array Creatures() const {
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
    return rows;
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
    const TSpeciesStats s = sim_->History.Report(sim_->Population(), sim_->StepCount, true);
    std::string stats = FiguresRow(sim_->StepCount, sim_->Figures()) + StatsColumns(s) + '\n';
    std::string evolution = EvolutionRow(sim_->StepCount, sim_->Taxa.Report(sim_->StepCount, true)) + '\n';
    evolutionRows_ += evolution;
    return {std::move(stats), std::move(evolution)};
  }

  std::unique_ptr<TSimulation> sim_ = std::make_unique<TSimulation>();
  mutable std::mutex mutex_;
  std::string evolutionRows_;  // of every report taken
};

TSettings TPySettings::Current() const { return OfWorld() ? World.cast<const TPyWorld&>().Rules() : Rules; }

void TPySettings::Set(const std::string& key, double value) {
  if (!OfWorld()) Rules.Set(key, value);
  else World.cast<TPyWorld&>().SetKey(key, value);
}

}  // namespace
}  // namespace viv

PYBIND11_MODULE(vivarion, m) {
  using namespace viv;
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
    }
  });
  PYBIND11_NUMPY_DTYPE_EX(TCreatureRow, Serial, "serial", Parent, "parent", X, "x", Y, "y", VX, "vx", VY, "vy", Heading,
                          "heading", Radius, "radius", Energy, "energy", MaxEnergy, "max_energy", Plant, "plant", Taxon,
                          "taxon", Organs, "organs", Name, "name");
  py::class_<TPySettings>(m, "Settings",
                          "The rules of a world by key: Settings() the settings file the programs use, "
                          "Settings(path) a file, Settings(dict) the default with these keys replaced.")
      .def(py::init([](const py::object& source) { return TPySettings{TPySettings::From(source)}; }),
           py::arg("source") = py::none())
      .def("__getitem__", [](const TPySettings& s, const std::string& key) { return s.Get(Key(key)); })
      .def("__setitem__", [](TPySettings& s, const std::string& key, double value) { s.Set(Key(key), value); })
      .def("__contains__", [](const TPySettings&, const std::string& key) { return IsSettingsKey(key); })
      .def("__iter__", [](const TPySettings&) { return py::iter(py::cast(SettingsKeys())); })
      .def("__len__", [](const TPySettings&) { return SettingsKeys().size(); })
      .def("__eq__", [](const TPySettings& a, const TPySettings& b) { return a.Current().IniText() == b.Current().IniText(); })
      .def("keys", [](const TPySettings&) { return SettingsKeys(); })
      .def("to_dict", &TPySettings::Dict)
      .def("save", &TPySettings::Save, py::arg("path"))
      .def_property_readonly("file", [](const TPySettings& s) { return s.Current().FileName; })
      .def("__repr__", &TPySettings::Repr);
  py::class_<TPyWorld>(m, "World")
      .def(py::init<const py::object&, std::optional<uint64_t>, const std::vector<std::string>&,
                    std::pair<int32_t, int32_t>, std::pair<int32_t, int32_t>>(),
           py::arg("settings") = py::none(), py::arg("seed") = py::none(),
           py::arg("animals") = std::vector<std::string>{}, py::arg("population") = std::make_pair(1, 300),
           py::arg("size") = std::make_pair(800, 600))
      .def_static("load", &TPyWorld::Load, py::arg("path"), py::arg("settings") = py::none())
      .def("step", &TPyWorld::Step, py::arg("n") = 1, py::arg("report") = 0)
      .def("run", &TPyWorld::Run, py::arg("until"), py::arg("report") = 0)
      .def("report", &TPyWorld::ReportNow)
      .def("evolution", &TPyWorld::Evolution)
      .def("save", &TPyWorld::Save, py::arg("path"))
      .def("hash", &TPyWorld::Hash)
      .def_property_readonly("step_count", &TPyWorld::StepCount)
      .def_property(
          "settings", [](const py::object& self) { return TPySettings{TSettings(), self}; }, &TPyWorld::SetSettings)
      .def("figures", &TPyWorld::Figures)
      .def("creatures", &TPyWorld::Creatures)
      .def("creature", &TPyWorld::Creature, py::arg("serial"))
      .def("place", &TPyWorld::Place, py::arg("serial"), py::arg("x"), py::arg("y"))
      .def("release", &TPyWorld::Release)
      .def("species", &TPyWorld::Species)
      .def("taxa", &TPyWorld::Taxa)
      .def("phylogeny", &TPyWorld::Phylogeny)
      .def("taxa_tree", &TPyWorld::TaxaTree);
}
