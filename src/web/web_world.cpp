// The browser's world: the core compiled to WebAssembly, driven by the page through Embind.
// Files (settings, animals, worlds) come and go through Emscripten's in-memory file system, so
// the core reads and writes them with its own readers and writers and their messages. Every
// call that can fail returns its message ("" when it worked) rather than throw into the page.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config/errors.h"
#include "config/settings.h"
#include "creature/creature.h"
#include "draw/logo_canvas.h"
#include "sim/simulation.h"
#include "view/view_transform.h"
#include "world/population_file.h"

namespace viv {
namespace {

// Records what the creatures paint, as numbers the page replays on its canvas: each shape is
// a kind (1 line, 2 ellipse), its pen and brush colours and its points.
class TRecordingCanvas : public TRasterCanvas {
 public:
  std::vector<double> Shapes;
  void MoveTo(int x, int y) override { x_ = x, y_ = y; }
  void LineTo(int x, int y) override {
    Shapes.insert(Shapes.end(), {1, static_cast<double>(PenColor), 0, static_cast<double>(x_), static_cast<double>(y_),
                                 static_cast<double>(x), static_cast<double>(y)});
    x_ = x, y_ = y;
  }
  void Ellipse(int x1, int y1, int x2, int y2) override {
    Shapes.insert(Shapes.end(),
                  {2, static_cast<double>(PenColor), static_cast<double>(BrushColor), static_cast<double>(x1),
                   static_cast<double>(y1), static_cast<double>(x2), static_cast<double>(y2)});
  }
  void TextOut(int, int, const std::string&) override {}

 private:
  int x_ = 0, y_ = 0;
};

std::string HexOf(uint64_t v) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

template <class F>
std::string Trying(F&& f) {
  try {
    f();
    return {};
  } catch (const std::exception& e) {
    return e.what();
  }
}

}  // namespace

class TWebWorld {
 public:
  // A new world as the desktop's Go makes it: rules from the settings file, seed, the animal
  // files (none: the built-in animal), counts, the window size that seeding scatters over.
  std::string Start(const std::string& settingsFile, double seed, const std::vector<std::string>& animals,
                    int animalCount, int plantCount, int width, int height) {
    return Trying([&] {
      if (!(seed >= 0 && seed <= 9007199254740992.0) || seed != static_cast<double>(static_cast<uint64_t>(seed)))
        throw EVivarion("the seed must be a whole number of 0 or more");
      if (animalCount < 0 || plantCount < 0) throw EVivarion("the counts of animals and plants must be 0 or more");
      if (width < 1 || height < 1) throw EVivarion("the window a world is seeded over must be at least one pixel");
      TSettings rules;
      rules.Open(settingsFile);
      sim_.StartUp(rules, static_cast<uint64_t>(seed));
      TPopulationCounts counts;
      counts.NumCreatures = animalCount, counts.NumFood = plantCount;
      sim_.Populate(width, height, animals, counts);
    });
  }
  // A world file's bytes (name: the file's, for messages): the world goes on under the rules
  // saved with it.
  std::string Load(const std::string& bytes, const std::string& name) {
    return Trying([&] {
      sim_.LoadWorldBytes(bytes, name);
      sim_.SetRules(sim_.FileSettings());
    });
  }
  // The world file's bytes, for the page to offer as a download.
  emscripten::val Save() const {
    const std::string bytes = sim_.WorldBytes();
    return emscripten::val(emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data())))
        .call<emscripten::val>("slice");
  }
  std::string Step(int n) {
    return Trying([&] {
      for (int k = 0; k < n; ++k) sim_.Step();
    });
  }
  // Puts an animal file's animal into the world at (x, y); LastPut() gives its serial.
  std::string PutAnimal(const std::string& text, const std::string& name, double x, double y) {
    return Trying([&] { lastPut_ = sim_.PutAnimal(text, name, static_cast<float>(x), static_cast<float>(y)); });
  }
  double LastPut() const { return static_cast<double>(lastPut_); }

  double StepCount() const { return static_cast<double>(sim_.StepCount()); }
  std::string Hash() const { return HexOf(sim_.Hash()); }
  emscripten::val Figures() const {
    const TWorldFigures f = sim_.Figures();
    emscripten::val o = emscripten::val::object();
    o.set("step", static_cast<double>(sim_.StepCount()));
    o.set("animals", static_cast<double>(f.Animals));
    o.set("plants", static_cast<double>(f.Plants));
    o.set("biomass", static_cast<double>(f.Biomass));
    o.set("species", f.Species);
    return o;
  }
  // The creatures drawn at a view, as the desktop draws them, last first (so that the first
  // lies on top), the plants before the animals, so that an animal is never hidden under the
  // plants around it (one put in by the user comes last of all): a Float64Array of shapes.
  emscripten::val Draw(double scrollX, double scrollY, double zoom, int width, int height) const {
    TView view;
    view.ScrollX = static_cast<float>(scrollX), view.ScrollY = static_cast<float>(scrollY);
    view.Zoom = static_cast<float>(zoom);
    view.WindowWidth = width, view.WindowHeight = height;
    TRecordingCanvas canvas;
    TLogoCanvas turtle(canvas);
    const TWorld& world = sim_.Population();
    for (const bool plants : {true, false})
      for (int32_t i = world.Count() - 1; i >= 0; --i) {
        const TCreature* c = world.List[i];
        if (c->Vegetable != plants) continue;
        const TScreenPoint p = WorldToScreen(view, c->X, c->Y, c->Heading);
        const double r = static_cast<double>(c->Radius) * zoom + 8;
        if (p.X < -r || p.Y < -r || p.X > width + r || p.Y > height + r) continue;
        turtle.Reset(p.X, p.Y, p.A, view.Zoom);
        c->Draw(turtle);
      }
    return emscripten::val(emscripten::typed_memory_view(canvas.Shapes.size(), canvas.Shapes.data()))
        .call<emscripten::val>("slice");
  }
  // The creature nearest a world point within its radius (0: none), and one creature's values.
  double CreatureAt(double x, double y) const {
    const TWorld& world = sim_.Population();
    for (const TCreature* c : world.List) {
      const double dx = c->X - x, dy = c->Y - y;
      if (dx * dx + dy * dy <= static_cast<double>(c->Radius) * c->Radius) return static_cast<double>(c->Serial);
    }
    return 0;
  }
  // The living animals as serial, x, y, one after another.
  emscripten::val Animals() const {
    std::vector<double> out;
    for (const TCreature* c : sim_.Population().List)
      if (!c->Vegetable) out.insert(out.end(), {static_cast<double>(c->Serial), c->X, c->Y});
    return emscripten::val(emscripten::typed_memory_view(out.size(), out.data())).call<emscripten::val>("slice");
  }
  emscripten::val Creature(double serial) const {
    const TCreature* c = sim_.Population().FindSerial(static_cast<uint64_t>(serial));
    if (!c) return emscripten::val::null();
    emscripten::val o = emscripten::val::object();
    o.set("serial", static_cast<double>(c->Serial));
    o.set("parent", static_cast<double>(c->ParentSerial));
    o.set("name", c->Name.empty() ? std::string("(unnamed)") : c->Name);
    o.set("plant", c->Vegetable);
    o.set("x", c->X), o.set("y", c->Y), o.set("radius", c->Radius);
    o.set("energy", c->Energy()), o.set("maxEnergy", c->MaxEnergy);
    o.set("organs", c->Parts.Count());
    o.set("taxon", static_cast<double>(c->Taxon));
    o.set("birthStep", static_cast<double>(c->BirthStep));
    return o;
  }

 private:
  TSimulation sim_;
  uint64_t lastPut_ = 0;
};

}  // namespace viv

EMSCRIPTEN_BINDINGS(vivarion) {
  using namespace emscripten;
  register_vector<std::string>("StringList");
  class_<viv::TWebWorld>("World")
      .constructor<>()
      .function("start", &viv::TWebWorld::Start)
      .function("load", &viv::TWebWorld::Load)
      .function("save", &viv::TWebWorld::Save)
      .function("step", &viv::TWebWorld::Step)
      .function("putAnimal", &viv::TWebWorld::PutAnimal)
      .function("lastPut", &viv::TWebWorld::LastPut)
      .function("stepCount", &viv::TWebWorld::StepCount)
      .function("hash", &viv::TWebWorld::Hash)
      .function("figures", &viv::TWebWorld::Figures)
      .function("draw", &viv::TWebWorld::Draw)
      .function("creatureAt", &viv::TWebWorld::CreatureAt)
      .function("creature", &viv::TWebWorld::Creature)
      .function("animals", &viv::TWebWorld::Animals);
  // The keys of the settings, for the start panel and the page's address.
  function("settingsKeys", &viv::SettingsKeys);
}
