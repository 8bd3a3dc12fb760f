#pragma once
// Changes of a world at set steps, as a study schedules them: a settings key set, ramped or
// cycled (seasons), a catastrophe that removes a share of the animals or plants of a region,
// animals added from a file. They are part of the world: saved in its file, hashed, and applied
// at the end of the step that reaches their step, so a world whose event sets a key at step S is
// the world run to S, its settings changed, and run on.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"

namespace viv {

class TWorld;

enum class TEventKind : uint8_t { Set = 0, Ramp = 1, Cycle = 2, Cull = 3, AddAnimals = 4 };

// A rectangle of the world, x0 <= x1 and y0 <= y1.
struct TRegion {
  double X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
  bool Contains(double x, double y) const { return x >= X0 && x <= X1 && y >= Y0 && y <= Y1; }
  bool operator==(const TRegion&) const = default;
};

struct TWorldEvent {
  TEventKind Kind = TEventKind::Set;
  int64_t Step = 0;    // Set, Cull, AddAnimals: the step; Ramp, Cycle: the first step
  int64_t Until = 0;   // Ramp: the step the value reaches To; Cycle: the last step (0: no end)
  std::string Key;     // Set, Ramp, Cycle: the settings key
  double From = 0;     // Ramp: the value at Step; Cycle: the low value, at Step
  double To = 0;       // Set: the value; Ramp: the value at Until; Cycle: the high value
  int64_t Period = 0;  // Cycle: steps of one cycle
  // Cull: the share of the chosen creatures removed; AddAnimals: how many are put.
  double Fraction = 0;
  int32_t Count = 0;
  bool Animals = true, Plants = false;  // Cull: which creatures it removes
  bool Everywhere = true;               // Cull, AddAnimals: the whole world, else Region
  TRegion Region;
  // AddAnimals: the animal file's text and name, kept so that the world goes on without it.
  std::string AnimalText, AnimalName;
  bool operator==(const TWorldEvent&) const = default;
};

// The value a Set, Ramp or Cycle event gives its key at step (whole keys rounded), and whether
// it acts then at all.
bool EventActsAt(const TWorldEvent& e, int64_t step);
double EventValueAt(const TWorldEvent& e, int64_t step);

// One line for messages and marks: "step 5000: SunLight 0.5", "steps 0-20000: SunLight cycles
// 0.5-1 every 5000", "step 8000: cull 90% of the animals".
std::string EventText(const TWorldEvent& e);

// The events as bytes for the world file and the hash, and back (EVivarion on damage: a kind,
// a key or a value this program does not know).
std::string EventBytes(const std::vector<TWorldEvent>& events);
std::vector<TWorldEvent> EventsFromBytes(std::string_view bytes);

// Throws EVivarion when an event cannot act (an unknown key, a value out of its range, a step
// or period that makes no sense, a share outside 0..1); names the event.
void CheckEvent(const TWorldEvent& e);

}  // namespace viv
