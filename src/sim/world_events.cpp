#include "sim/world_events.h"

#include <charconv>
#include <cmath>
#include <numbers>

#include "config/byte_codec.h"
#include "config/duck.h"
#include "config/errors.h"
#include "config/number_text.h"
#include "creature/animal_edit.h"

namespace viv {

namespace {

std::string Number(double v) { return ShortestText(v); }

std::string Percent(double share) { return Number(std::round(share * 1000.0) / 10.0) + "%"; }

bool ChangesAKey(const TWorldEvent& e) {
  return e.Kind == TEventKind::Set || e.Kind == TEventKind::Ramp || e.Kind == TEventKind::Cycle;
}

[[noreturn]] void Damaged(const std::string& what) {
  throw EVivarion("the world file is damaged: its events hold " + what);
}

// The events' reader names its faults as the events always have.
TByteFaults EventFaults() {
  TByteFaults faults = TByteFaults::Two("the world file is damaged: ", "its events are cut short",
                                        "its events hold a text longer than they are");
  faults.NotFinite = "its events hold a value that is not a finite number";
  return faults;
}

}  // namespace

bool EventActsAt(const TWorldEvent& e, int64_t step) {
  switch (e.Kind) {
    case TEventKind::Ramp: return step >= e.Step && step <= e.Until;
    case TEventKind::Cycle: return step >= e.Step && (e.Until == 0 || step <= e.Until);
    default: return step == e.Step;
  }
}

double EventValueAt(const TWorldEvent& e, int64_t step) {
  double v = e.To;
  if (e.Kind == TEventKind::Ramp) {
    // In whole steps of the ramp, so that every machine gives the same value.
    const double t =
        e.Until > e.Step ? static_cast<double>(step - e.Step) / static_cast<double>(e.Until - e.Step) : 1.0;
    v = e.From + (e.To - e.From) * t;
  } else if (e.Kind == TEventKind::Cycle) {
    // From at the cycle's start, To half a period later: seasons swing smoothly.
    const int64_t into = (step - e.Step) % e.Period;
    const double phase = 2.0 * std::numbers::pi * static_cast<double>(into) / static_cast<double>(e.Period);
    v = e.From + (e.To - e.From) * (1.0 - std::cos(phase)) / 2.0;
  }
  return IsWholeSettingsKey(e.Key) ? std::nearbyint(v) : v;
}

namespace {

// The text with names as the file gave them.
std::string EventTextAsGiven(const TWorldEvent& e) {
  std::string at = "step " + std::to_string(e.Step) + ": ";
  const std::string where = e.Everywhere ? std::string()
                                         : " in x " + Number(e.Region.X0) + ".." + Number(e.Region.X1) + ", y " +
                                               Number(e.Region.Y0) + ".." + Number(e.Region.Y1);
  switch (e.Kind) {
    case TEventKind::Set: return at + e.Key + " " + Number(e.To);
    case TEventKind::Ramp:
      return "steps " + std::to_string(e.Step) + "-" + std::to_string(e.Until) + ": " + e.Key + " from " +
             Number(e.From) + " to " + Number(e.To);
    case TEventKind::Cycle:
      return "steps " + std::to_string(e.Step) + "-" + (e.Until ? std::to_string(e.Until) : std::string("end")) + ": " +
             e.Key + " cycles " + Number(e.From) + "-" + Number(e.To) + " every " + std::to_string(e.Period);
    case TEventKind::Cull: {
      const std::string whom = e.Animals && e.Plants ? "the creatures" : e.Animals ? "the animals" : "the plants";
      return at + "cull " + Percent(e.Fraction) + " of " + whom + where;
    }
    case TEventKind::AddAnimals: return at + "add " + std::to_string(e.Count) + " of " + e.AnimalName + where;
  }
  return at;
}

}  // namespace

std::string EventText(const TWorldEvent& e) { return PrintableText(EventTextAsGiven(e)); }

void CheckEvent(const TWorldEvent& e) {
  const std::string name = "the event \"" + EventText(e) + "\"";
  if (e.Step < 0) throw EVivarion(name + " lies before step 0");
  if (ChangesAKey(e)) {
    if (!IsSettingsKey(e.Key)) throw EVivarion(name + ": " + PrintableText(e.Key) + " is not a settings key");
    const auto [low, high] = SettingsKeyRange(e.Key);
    const bool fromUsed = e.Kind != TEventKind::Set;
    for (double v : {e.To, fromUsed ? e.From : e.To})
      if (!std::isfinite(v) || v < low || v > high)
        throw EVivarion(name + ": " + e.Key + " takes values from " + Number(low) + " to " + Number(high));
    if (e.Kind == TEventKind::Set && IsWholeSettingsKey(e.Key) && e.To != std::nearbyint(e.To))
      throw EVivarion(name + ": " + e.Key + " holds a whole number");
  }
  if (e.Kind == TEventKind::Ramp && e.Until <= e.Step) throw EVivarion(name + ": a ramp must end after it starts");
  if (e.Kind == TEventKind::Cycle) {
    if (e.Period < 2) throw EVivarion(name + ": a cycle needs a period of 2 steps or more");
    if (e.Until != 0 && e.Until < e.Step) throw EVivarion(name + ": a cycle must end after it starts");
  }
  if (e.Kind == TEventKind::Cull) {
    if (!(e.Fraction >= 0 && e.Fraction <= 1)) throw EVivarion(name + ": the share culled must be from 0 to 1");
    if (!e.Animals && !e.Plants) throw EVivarion(name + ": it culls neither animals nor plants");
  }
  if (e.Kind == TEventKind::AddAnimals) {
    if (e.Count < 1 || e.Count > 100000) throw EVivarion(name + ": the count of animals must be from 1 to 100000");
    if (e.AnimalText.empty()) throw EVivarion(name + ": no animal to add");
    // Its animal is read now, so that a bad one is told where the event comes from, not at its step.
    try {
      CheckAnimalText(e.AnimalText, e.AnimalName);
    } catch (const EVivarion& fault) {
      throw EVivarion(name + ": " + fault.what());
    }
  }
  if (!e.Everywhere) {
    const TRegion& r = e.Region;
    for (double v : {r.X0, r.Y0, r.X1, r.Y1})
      if (!std::isfinite(v) || std::fabs(v) > 1e7) throw EVivarion(name + ": its region lies beyond any world");
    if (r.X0 > r.X1 || r.Y0 > r.Y1) throw EVivarion(name + ": its region's corners are the wrong way round");
  }
}

std::string EventBytes(const std::vector<TWorldEvent>& events) {
  std::string w;
  PutBytes(w, static_cast<uint32_t>(events.size()));
  for (const TWorldEvent& e : events) {
    PutBytes(w, static_cast<uint8_t>(e.Kind));
    PutBytes(w, e.Step);
    PutBytes(w, e.Until);
    PutText<uint32_t>(w, e.Key);
    for (double v : {e.From, e.To}) PutBytes(w, v);
    PutBytes(w, e.Period);
    PutBytes(w, e.Fraction);
    PutBytes(w, e.Count);
    PutBytes(w, static_cast<uint8_t>((e.Animals ? 1 : 0) | (e.Plants ? 2 : 0) | (e.Everywhere ? 4 : 0)));
    for (double v : {e.Region.X0, e.Region.Y0, e.Region.X1, e.Region.Y1}) PutBytes(w, v);
    PutText<uint32_t>(w, e.AnimalText);
    PutText<uint32_t>(w, e.AnimalName);
  }
  return w;
}

std::vector<TWorldEvent> EventsFromBytes(std::string_view bytes) {
  TByteReader r(bytes, EventFaults());
  const auto count = r.Get<uint32_t>();
  if (count > bytes.size() / 64) Damaged("more events than they have room for");
  std::vector<TWorldEvent> events(count);
  for (TWorldEvent& e : events) {
    const auto kind = r.Get<uint8_t>();
    if (kind > static_cast<uint8_t>(TEventKind::AddAnimals)) Damaged("a kind of event this program does not know");
    e.Kind = static_cast<TEventKind>(kind);
    e.Step = r.Get<int64_t>();
    e.Until = r.Get<int64_t>();
    e.Key = r.Text<uint32_t>();
    e.From = r.Finite<double>();
    e.To = r.Finite<double>();
    e.Period = r.Get<int64_t>();
    e.Fraction = r.Finite<double>();
    e.Count = r.Get<int32_t>();
    const auto flags = r.Get<uint8_t>();
    e.Animals = flags & 1, e.Plants = flags & 2, e.Everywhere = flags & 4;
    for (double* v : {&e.Region.X0, &e.Region.Y0, &e.Region.X1, &e.Region.Y1}) *v = r.Finite<double>();
    e.AnimalText = r.Text<uint32_t>();
    e.AnimalName = r.Text<uint32_t>();
    try {
      CheckEvent(e);
    } catch (const EVivarion& fault) {
      Damaged(std::string("an event that cannot act (") + fault.what() + ")");
    }
  }
  if (!r.AtEnd()) Damaged("bytes beyond their end");
  return events;
}

}  // namespace viv
