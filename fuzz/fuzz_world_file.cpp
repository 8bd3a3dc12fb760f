// Any bytes as a world file (when they start with "V") or as the unpacked body of one (the
// checksum stops nearly every mutated file, so the body's reader is fuzzed on its own): an
// error naming the fault, or a world that steps, reports, writes its tables and trees without
// crashing, and saves to bytes that load again (what loads must save).
#include <cstdlib>
#include <string_view>

#include "sim/simulation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  viv::TSimulation sim;
  sim.CreatureLimit = 20000;  // a small limit keeps hostile additions quick
  try {
    if (!bytes.empty() && bytes[0] == 'V') sim.LoadWorldBytes(bytes, "fuzz.vivw");
    else sim.LoadWorldBody(bytes.empty() ? bytes : bytes.substr(1), "fuzz body");
    sim.SetRules(sim.FileSettings());
  } catch (const std::exception&) {
    return 0;
  }
  viv::TSimulation again;
  try {
    again.LoadWorldBytes(sim.WorldBytes(), "the saved fuzz world");
  } catch (const std::exception&) {
    std::abort();  // a world that loads saves to bytes that do not load
  }
  try {
    if (sim.Population().Count() <= 64)
      for (int i = 0; i < 3; ++i) sim.Step();
    sim.SpeciesReport(true);
    sim.EvolutionReport(true);
    (void)sim.History().SpeciesCsv(), (void)sim.History().Newick();
    (void)sim.Taxa().TaxaCsv(), (void)sim.Taxa().Newick();
  } catch (const std::exception&) {
  }
  return 0;
}
