// The Python module: worlds to step, save and read from Python, their creatures as numpy
// arrays. A thin layer over TSimulation; the world's own errors come out as vivarion.Error
// with the program's messages.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/errors.h"
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

class TPyWorld {
 public:
  TPyWorld(const std::optional<std::string>& settings, std::optional<uint64_t> seed,
           const std::vector<std::string>& animals, std::pair<int32_t, int32_t> population,
           std::pair<int32_t, int32_t> size) {
    sim_->StartUp(settings.value_or(SettingsFileName()), seed);
    sim_->Populate(size.first, size.second, animals, TPopulationCounts{population.first, population.second});
  }
  TPyWorld() = default;

  static TPyWorld Load(const std::string& path) {
    TPyWorld w;
    w.sim_->LoadWorld(path);
    w.sim_->SetRules(w.sim_->FileSettings);
    return w;
  }

  void Step(int64_t n) {
    py::gil_scoped_release free;
    for (int64_t k = 0; k < n; ++k) sim_->Step();
  }
  void Run(int64_t until) { Step(until - sim_->StepCount); }
  void Save(const std::string& path) const { sim_->SaveWorld(path); }
  uint64_t Hash() const { return sim_->Hash(); }
  int64_t StepCount() const { return sim_->StepCount; }

  py::dict Figures() const {
    const TWorldFigures f = sim_->Figures();
    py::dict d;
    d["step"] = sim_->StepCount, d["creatures"] = f.Animals, d["food"] = f.Plants;
    d["biomass"] = f.Biomass, d["species"] = f.Species;
    return d;
  }

  // One creature whole: its values, and each organ with every property an animal file holds.
  py::dict Creature(uint64_t serial) const {
    const TCreature* c = sim_->Population().FindSerial(serial);
    if (c == nullptr) throw py::key_error("no living creature has serial " + std::to_string(serial));
    py::dict d;
    d["serial"] = c->Serial, d["parent"] = c->ParentSerial, d["name"] = c->Name, d["plant"] = c->Vegetable;
    d["x"] = c->X, d["y"] = c->Y, d["vx"] = c->VX, d["vy"] = c->VY, d["heading"] = c->Heading, d["spin"] = c->Spin;
    d["radius"] = c->Radius, d["energy"] = c->Energy(), d["max_energy"] = c->MaxEnergy;
    d["mutation_rate"] = c->MutationRate, d["taxon"] = c->Taxon, d["birth_step"] = c->BirthStep;
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
    if (sim_->Population().FindSerial(serial) == nullptr)
      throw py::key_error("no living creature has serial " + std::to_string(serial));
    sim_->Held = serial;
    sim_->MoveHeld(x, y);
  }
  void Release() { sim_->Held = 0; }

  py::list Species() const { return Table(sim_->History.SpeciesCsv()); }
  py::list Taxa() const { return Table(sim_->Taxa.TaxaCsv()); }
  std::string Phylogeny() const { return sim_->History.Newick(); }
  std::string TaxaTree() const { return sim_->Taxa.Newick(); }

  py::array Creatures() const {
    const std::vector<TCreature*>& list = sim_->Population().List;
    py::array_t<TCreatureRow> rows(static_cast<py::ssize_t>(list.size()));
    TCreatureRow* out = rows.mutable_data();
    for (const TCreature* c : list) {
      TCreatureRow& r = *out++;
      r.Serial = c->Serial, r.Parent = c->ParentSerial;
      r.X = c->X, r.Y = c->Y, r.VX = c->VX, r.VY = c->VY, r.Heading = c->Heading, r.Radius = c->Radius;
      r.Energy = c->Energy(), r.MaxEnergy = c->MaxEnergy, r.Plant = c->Vegetable, r.Taxon = c->Taxon;
      r.Organs = c->Parts.Count();
      std::memset(r.Name, 0, sizeof r.Name);
      std::strncpy(r.Name, c->Name.c_str(), sizeof r.Name - 1);
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

  std::unique_ptr<TSimulation> sim_ = std::make_unique<TSimulation>();
};

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
  py::class_<TPyWorld>(m, "World")
      .def(py::init<const std::optional<std::string>&, std::optional<uint64_t>, const std::vector<std::string>&,
                    std::pair<int32_t, int32_t>, std::pair<int32_t, int32_t>>(),
           py::arg("settings") = py::none(), py::arg("seed") = py::none(),
           py::arg("animals") = std::vector<std::string>{}, py::arg("population") = std::make_pair(1, 300),
           py::arg("size") = std::make_pair(800, 600))
      .def_static("load", &TPyWorld::Load, py::arg("path"))
      .def("step", &TPyWorld::Step, py::arg("n") = 1)
      .def("run", &TPyWorld::Run, py::arg("until"))
      .def("save", &TPyWorld::Save, py::arg("path"))
      .def("hash", &TPyWorld::Hash)
      .def_property_readonly("step_count", &TPyWorld::StepCount)
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
