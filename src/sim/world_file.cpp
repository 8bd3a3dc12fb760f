#include "sim/world_file.h"

#include <xxhash.h>
#include <zstd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "config/byte_codec.h"
#include "config/duck.h"
#include "config/errors.h"
#include "config/files.h"
#include "config/random.h"
#include "config/settings.h"
#include "creature/grid.h"
#include "parts/formula.h"
#include "parts/organ_kinds.h"
#include "parts/organ_limits.h"

namespace viv {

namespace {

constexpr char Magic[8] = {'V', 'I', 'V', 'W', 'O', 'R', 'L', 'D'};
constexpr size_t HeaderSize = 8 + 4 + 4 + 8 + 8 + 8;
// Limits that no world of this program comes near; a file that claims more is damaged, and
// is refused before anything is allocated for it.
constexpr uint64_t MaxBody = uint64_t{1} << 30;
// The most compressible real world measured (30,000 animals just seeded) unpacks to 60 times
// its packed size; a small hostile file must not unpack to gigabytes.
constexpr uint64_t MaxUnpackRatio = 200, UnpackAllowance = uint64_t{4} << 20;
constexpr uint32_t MaxNameLength = 255;               // a species name
constexpr uint32_t MaxTextLength = MaxOrganIdLength;  // an organ id, a file name
// Far beyond any world: what a loaded count may be, so that the counts it goes on to take
// never wrap around.
constexpr uint64_t MaxSerialCount = uint64_t{1} << 62;

// An organ listed before is written as this code and its place (the kinds' own codes are below it).
constexpr uint8_t SameAsCode = 255;

// Little-endian fields appended to a string. For the hash, the writer leaves out what does
// not decide the world's future: where creatures were read from, the pacing of the window
// and the fins' drawn flap (changed only by drawing).
class TWriter {
 public:
  explicit TWriter(bool forHash = false) : ForHash(forHash) {}
  const bool ForHash;
  std::string Bytes;
  template <class T>
  void Put(T v) {
    PutBytes(Bytes, v);
  }
  void Text(const std::string& s) { PutText<uint32_t>(Bytes, s); }
};

[[noreturn]] void Damaged(const std::string& what) { throw EVivarion("the world file is damaged: " + what); }

// Reads what TWriter wrote, with the world file's messages for its faults.
class TReader : public TByteReader {
 public:
  explicit TReader(std::string_view bytes) : TByteReader(bytes) {}
  float Real() { return Finite<float>(); }
  std::string Text(uint32_t maxLength) { return TByteReader::Text<uint32_t>(maxLength); }
  // The world file's format version, which decides the fields read.
  uint32_t Version = WorldFormatVersion;
};

// Every key by name and value (format 6), so that a key added later needs no new format; the
// hash takes the values alone, in the settings' own order for it.
void PutSettings(TWriter& w, const TSettings& s) {
  if (w.ForHash) {
    ForEachHashedSetting(s, [&](double value, bool whole) {
      if (whole) w.Put(static_cast<int32_t>(value));
      else w.Put(value);
    });
    return;
  }
  const std::vector<std::string> keys = SettingsKeys();
  w.Put(static_cast<uint64_t>(keys.size()));
  for (const std::string& key : keys) {
    w.Text(key);
    w.Put(s.Get(key));
  }
}

// The index of the first listing of each organ: the same organ listed twice is written once,
// then referred to.
class TFirstListing {
 public:
  explicit TFirstListing(const std::vector<TPart*>& parts) : parts_(parts) {
    if (parts.size() <= SmallList) return;  // a short body is searched directly
    for (size_t k = 0; k < parts.size(); ++k) first_.emplace(parts[k], static_cast<uint32_t>(k));
  }
  // The index of p's first listing (k itself when p is first listed at k).
  uint32_t Of(const TPart* p, uint32_t k) const {
    if (parts_.size() > SmallList) return first_.at(p);
    for (uint32_t i = 0; i < k; ++i)
      if (parts_[i] == p) return i;
    return k;
  }

 private:
  static constexpr size_t SmallList = 32;
  const std::vector<TPart*>& parts_;
  std::unordered_map<const TPart*, uint32_t> first_;
};

// The organ's own values through the writer, as its kind writes them.
class TStateWriter : public TOrganStateOut {
 public:
  explicit TStateWriter(TWriter& w) : w_(w) {}
  void Real(float value) override { w_.Put(value); }
  void Whole(int32_t value) override { w_.Put(value); }
  void Text(const std::string& value) override { w_.Text(value); }
  bool ForHash() const override { return w_.ForHash; }

 private:
  TWriter& w_;
};

void PutPart(TWriter& w, const TPart* p, uint32_t first, uint32_t k) {
  if (first < k) {
    w.Put(static_cast<uint8_t>(SameAsCode));
    w.Put(first);
    return;
  }
  w.Put(OrganKindOf(p->Kind()).FileCode);
  w.Text(p->Id);
  w.Put(p->Size), w.Put(p->R), w.Put(p->Phi);
  TStateWriter state(w);
  p->PutState(state);
}

void PutCreature(TWriter& w, const TCreature& c) {
  w.Put(c.Serial), w.Put(c.ParentSerial), w.Put(c.BirthStep);
  if (!w.ForHash) w.Put(static_cast<uint8_t>(c.ParentElsewhere));
  w.Put(c.Taxon);
  w.Put(c.Radius), w.Put(c.Heading), w.Put(c.Color), w.Put(c.VX), w.Put(c.VY), w.Put(c.X), w.Put(c.Y);
  w.Put(c.Spin), w.Put(c.MaxEnergy), w.Put(static_cast<uint8_t>(c.Vegetable)), w.Put(c.MutationRate);
  w.Text(c.Name);
  if (!w.ForHash) w.Text(c.Origin);
  w.Put(static_cast<uint32_t>(c.Parts.Count()));
  const TFirstListing first(c.Parts.Items);
  for (uint32_t k = 0; k < c.Parts.Items.size(); ++k) PutPart(w, c.Parts.Items[k], first.Of(c.Parts.Items[k], k), k);
}

// The grid's cells that list creatures of the world, in cell order, each with the population
// indices of its entries in their order (which decides the order of collisions).
void PutGrid(TWriter& w, const TCreatureList& world) {
  std::unordered_map<const TCreature*, uint32_t> index;
  for (int32_t i = 0; i < world.Count(); ++i) index[world.List[i]] = static_cast<uint32_t>(i);
  std::vector<std::pair<int, int>> cells;
  for (const TCreature* c : world.List) {
    auto [i, j] = CellOf(c->X, c->Y);
    const TGridCell& cell = world.Context.Grid.Cell(i, j);
    if (std::find(cell.begin(), cell.end(), c) != cell.end()) cells.emplace_back(i, j);
  }
  std::sort(cells.begin(), cells.end());
  cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
  w.Put(static_cast<uint64_t>(cells.size()));
  for (auto [i, j] : cells) {
    w.Put(static_cast<int32_t>(i)), w.Put(static_cast<int32_t>(j));
    std::vector<uint32_t> entries;
    for (const TCreature* c : world.Context.Grid.Cell(i, j))
      if (auto it = index.find(c); it != index.end()) entries.push_back(it->second);
    w.Put(static_cast<uint32_t>(entries.size()));
    for (uint32_t e : entries) w.Put(e);
  }
}

std::string StateBytes(const TCreatureList& world, int64_t stepCount, const TSpeciesHistory* history,
                       const TTaxonHistory* taxa, bool forHash) {
  TWriter w(forHash);
  w.Put(stepCount);
  w.Put(world.Context.NextSerial);
  w.Put(world.Context.NextTaxon);
  for (uint64_t v : world.Context.Random.State()) w.Put(v);
  PutSettings(w, world.Context.Rules);
  w.Put(static_cast<uint64_t>(world.Count()));
  for (const TCreature* c : world.List) PutCreature(w, *c);
  PutGrid(w, world);
  w.Text(history ? history->Bytes(forHash) : TSpeciesHistory().Bytes(forHash));
  w.Text(taxa ? taxa->Bytes(forHash) : TTaxonHistory().Bytes(forHash));
  return std::move(w.Bytes);
}

// The organ's own values, read back as its kind wrote them.
class TStateReader : public TOrganStateIn {
 public:
  explicit TStateReader(TReader& r) : r_(r) {}
  float Real() override { return r_.Real(); }
  int32_t Whole() override { return r_.Get<int32_t>(); }
  std::string Formula() override { return r_.Text(MaxFormulaText); }
  [[noreturn]] void Damaged(const std::string& what) override { viv::Damaged(what); }

 private:
  TReader& r_;
};

// A creature read back, with a part list whose organs are owned once each.
TPart* GetPart(TReader& r, TCreature* owner, const std::vector<TPart*>& earlier) {
  const uint8_t code = r.Get<uint8_t>();
  if (code == SameAsCode) {
    const uint32_t k = r.Get<uint32_t>();
    if (k >= earlier.size()) Damaged("an organ refers to one that does not exist");
    return earlier[k];
  }
  const TOrganKind* kind = OrganKindCoded(code);
  std::string id = r.Text(MaxTextLength);
  const float size = r.Real(), radius = r.Real(), phi = r.Real();
  if (kind == nullptr) Damaged("an organ of an unknown kind");
  // Every value is read before the organ is made, so that a damaged file leaks nothing.
  TStateReader state(r);
  TPart* p = kind->FromState(state, owner, id, radius, phi);
  p->Size = size, p->R = radius, p->Phi = phi;
  return p;
}

// Made in world with the serial read, or with a new one of the world's count.
TCreature* GetCreature(TReader& r, TWorldContext& world, bool newSerial = false) {
  const uint64_t serial = r.Get<uint64_t>();
  auto c = newSerial ? std::make_unique<TCreature>(world) : std::make_unique<TCreature>(world, serial);
  c->ParentSerial = r.Get<uint64_t>();
  c->BirthStep = r.Get<int64_t>();
  if (r.Version >= 2) c->ParentElsewhere = r.Get<uint8_t>() != 0;
  if (r.Version >= 3) c->Taxon = r.Get<uint64_t>();
  c->Radius = r.Real(), c->Heading = r.Real(), c->Color = r.Get<uint32_t>();
  if (!(c->Radius >= 0) || !std::isfinite(c->Radius)) Damaged("a creature with a negative size");
  c->VX = r.Real(), c->VY = r.Real(), c->X = r.Real(), c->Y = r.Real();
  c->Spin = r.Real(), c->MaxEnergy = r.Real();
  c->Vegetable = r.Get<uint8_t>() != 0;
  c->MutationRate = r.Real();
  c->Name = r.Text(MaxNameLength);
  c->Origin = r.Text(MaxTextLength);
  if (!IsSpeciesName(c->Name)) Damaged("a species name that is not letters");
  const uint32_t parts = r.Get<uint32_t>();
  if (parts > MaxOrgans) Damaged("a creature with more organs than any body holds");
  for (uint32_t k = 0; k < parts; ++k) c->Parts.Add(GetPart(r, c.get(), c->Parts.Items));
  if (FormulaTextLength(c->Parts) > MaxFormulaText) Damaged("a creature with more formula text than any animal holds");
  return c.release();
}

// The checksum of a file: of the packed body, and from format 2 of the header before it too.
uint64_t Checksum(uint32_t version, std::string_view header, std::string_view packed) {
  if (version < 2) return XXH64(packed.data(), packed.size(), 0);
  XXH64_state_t* state = XXH64_createState();
  XXH64_reset(state, 0);
  XXH64_update(state, header.data(), header.size());
  XXH64_update(state, packed.data(), packed.size());
  const uint64_t sum = XXH64_digest(state);
  XXH64_freeState(state);
  return sum;
}

}  // namespace

std::string WorldBody(const TCreatureList& world, int64_t stepCount, const TSpeciesHistory* history,
                      const TTaxonHistory* taxa, const std::vector<TWorldEvent>* events) {
  std::string body = StateBytes(world, stepCount, history, taxa, false);
  TWriter w;
  w.Text(world.Context.Rules.FileName);
  w.Text(EventBytes(events ? *events : std::vector<TWorldEvent>()));
  return body + w.Bytes;
}

uint64_t WorldHash(const TCreatureList& world, int64_t stepCount, const TSpeciesHistory* history,
                   const TTaxonHistory* taxa, const std::vector<TWorldEvent>* events) {
  std::string state = StateBytes(world, stepCount, history, taxa, true);
  if (events && !events->empty()) state += EventBytes(*events);
  return XXH64(state.data(), state.size(), 0);
}

std::string WorldFileBytes(const TCreatureList& world, int64_t stepCount, const TSpeciesHistory* history,
                           const TTaxonHistory* taxa, const std::vector<TWorldEvent>* events) {
  const std::string body = WorldBody(world, stepCount, history, taxa, events);
  std::string packed(ZSTD_compressBound(body.size()), '\0');
  const size_t n = ZSTD_compress(packed.data(), packed.size(), body.data(), body.size(), 3);
  if (ZSTD_isError(n)) throw EVivarion(std::string("cannot compress the world: ") + ZSTD_getErrorName(n));
  packed.resize(n);
  TWriter header;
  header.Bytes.append(Magic, sizeof Magic);
  header.Put(WorldFormatVersion);
  header.Put(uint32_t{0});
  header.Put(static_cast<uint64_t>(body.size()));
  header.Put(static_cast<uint64_t>(packed.size()));
  header.Put(Checksum(WorldFormatVersion, header.Bytes, packed));
  return header.Bytes + packed;
}

void SaveWorldFile(const std::string& fileName, const TCreatureList& world, int64_t stepCount,
                   const TSpeciesHistory* history, const TTaxonHistory* taxa, const std::vector<TWorldEvent>* events) {
  std::string bytes;
  WithFileName(fileName, [&] { bytes = WorldFileBytes(world, stepCount, history, taxa, events); });
  WriteFileAtomically(fileName, bytes, false);
}

namespace {

// The settings of formats 1 to 5: the values of the keys known then, in a fixed order.
TSettings GetSettingsOfFormat5(TReader& r) {
  TSettings s;
  for (double* v : {&s.Remming, &s.Brown, &s.PhiRemming, &s.PhiBrown, &s.ChemicalStabilizer, &s.Gravity, &s.SunLight,
                    &s.CostOfLiving, &s.MinEnergy, &s.RadiusCost, &s.PartsCost, &s.CreatureCost, &s.OrganLoss})
    *v = r.Get<double>();
  for (int32_t* v : {&s.MaxFood, &s.NiceValue, &s.PlantFloor}) *v = r.Get<int32_t>();
  if (r.Version < 4) return s;
  for (double* v :
       {&s.CopySkip, &s.FreshIds, &s.FormulaMutation, &s.PatchRadius, &s.PatchDistance, &s.PatchShade, &s.SeasonDepth})
    *v = r.Get<double>();
  for (int32_t* v : {&s.LightPatches, &s.SeasonLength}) *v = r.Get<int32_t>();
  if (r.Version < 5) return s;
  for (double* v : {&s.PlantColorChange, &s.ColorDiet}) *v = r.Get<double>();
  for (int32_t* v : {&s.PlantColors, &s.ColorMutation}) *v = r.Get<int32_t>();
  return s;
}

// Keys by name; a key the file lacks is 0 (its rule off), one this program does not know is
// refused: the world would run without a rule it was made under.
TSettings GetSettings(TReader& r) {
  if (r.Version <= 5) return GetSettingsOfFormat5(r);
  TSettings s;
  const uint64_t count = r.Count(12);
  std::set<std::string> seen;
  for (uint64_t k = 0; k < count; ++k) {
    const std::string key = r.Text(MaxNameLength);
    const double value = r.Get<double>();
    if (!IsSettingsKey(key)) {
      const bool printable =
          std::all_of(key.begin(), key.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
      Damaged("a setting this program does not know" + (printable ? " (" + key + ")" : std::string()));
    }
    if (!seen.insert(LowerAscii(key)).second) Damaged("the setting " + key + " twice");
    try {
      s.Set(key, value);
    } catch (const EConvertError& e) {
      Damaged(std::string("a setting out of range (") + e.what() + ")");
    }
  }
  return s;
}

// What a valid checksum does not vouch for: serials, parents and birth steps that a world of
// this program could have, and formulas that can be evaluated (else the first step fails).
void CheckCreatures(const TCreatureList& fresh, uint64_t nextSerial, int64_t stepCount, uint32_t version) {
  std::unordered_set<uint64_t> serials;
  serials.reserve(fresh.List.size());
  for (const TCreature* c : fresh.List) {
    if (c->Serial >= nextSerial || c->Serial == 0) Damaged("a creature's serial is out of order");
    if (!serials.insert(c->Serial).second) Damaged("two creatures have the same serial");
    // A migrant's parent serial is of its old world's count, which says nothing here.
    if (!c->ParentElsewhere && (c->ParentSerial >= nextSerial || (version >= 2 && c->ParentSerial >= c->Serial)))
      Damaged("a creature's parent is born after it");
    if (c->BirthStep < 0 || c->BirthStep > stepCount) Damaged("a creature is born after the world's step");
    for (const TPart* p : c->Parts.Items) {
      const std::string* formula = p->FormulaText();
      if (!formula) continue;
      try {
        TCompiledFormula(*formula).Eval(c);
      } catch (const std::exception& e) {
        Damaged("creature " + std::to_string(c->Serial) + " has a formula that fails (" + e.what() + ")");
      }
    }
  }
}

}  // namespace

TLoadedWorld LoadWorldBody(std::string_view body, TCreatureList& world, uint32_t version, int64_t creatureLimit) {
  TReader r(body);
  r.Version = version;
  TLoadedWorld loaded;
  loaded.StepCount = r.Get<int64_t>();
  if (loaded.StepCount < 0) Damaged("a negative step count");
  if (loaded.StepCount > MaxStepCount) Damaged("a step count that no world reaches");
  const uint64_t nextSerial = r.Get<uint64_t>();
  const uint64_t nextTaxon = version >= 3 ? r.Get<uint64_t>() : 1;
  if (nextSerial > MaxSerialCount || nextTaxon > MaxSerialCount) Damaged("a count of creatures that no world reaches");
  TRandomState random;
  for (uint64_t& v : random) v = r.Get<uint64_t>();
  if (random == TRandomState{}) Damaged("the random generator's state is all zero");
  loaded.Settings = GetSettings(r);
  try {
    loaded.Settings.Check();
  } catch (const EConvertError& e) {
    Damaged(std::string("a setting out of range (") + e.what() + ")");
  }

  // Everything is read into a list of its own first: a fault leaves the running world as it was.
  TCreatureList fresh;
  const uint64_t count = r.Count(64);
  for (uint64_t i = 0; i < count; ++i) fresh.Add(GetCreature(r, fresh.Context));
  CheckCreatures(fresh, nextSerial, loaded.StepCount, version);
  std::vector<std::vector<uint32_t>> cells;
  std::vector<std::pair<int, int>> where;
  std::vector<uint8_t> listed(count, 0);
  const uint64_t cellCount = r.Count(16);
  for (uint64_t k = 0; k < cellCount; ++k) {
    const int32_t i = r.Get<int32_t>(), j = r.Get<int32_t>();
    const uint32_t n = r.Get<uint32_t>();
    if (n > count) Damaged("a grid cell longer than the world");
    if (n == 0) Damaged("the grid lists a cell without creatures");
    if (!where.empty() && std::make_pair(i, j) <= where.back()) Damaged("the grid lists its cells out of order");
    std::vector<uint32_t> entries(n);
    for (uint32_t& e : entries) {
      e = r.Get<uint32_t>();
      if (e >= count || listed[e]++) Damaged("the grid lists a creature twice or one that does not exist");
      const TCreature* c = fresh.List[e];
      if (CellOf(c->X, c->Y) != std::make_pair(static_cast<int>(i), static_cast<int>(j)))
        Damaged("the grid lists a creature away from its place");
    }
    cells.push_back(std::move(entries));
    where.emplace_back(i, j);
  }
  loaded.History.FromBytes(r.Text(static_cast<uint32_t>(std::min<uint64_t>(body.size(), UINT32_MAX))), version,
                           loaded.StepCount);
  // Founders from files were one nameless species before format 2; only later files must agree.
  if (version >= 2 && !loaded.History.AgreesWith(fresh)) Damaged("its species history does not match its creatures");
  if (version >= 3) {
    loaded.Taxa.FromBytes(r.Text(static_cast<uint32_t>(std::min<uint64_t>(body.size(), UINT32_MAX))), version,
                          loaded.StepCount);
    for (const TCreature* c : fresh.List)
      if (c->Taxon >= nextTaxon || (c->Vegetable && c->Taxon != 0)) Damaged("a creature's taxon is out of order");
    if (!loaded.Taxa.Taxa.empty() && loaded.Taxa.Taxa.back().Id >= nextTaxon) Damaged("a taxon is out of order");
    if (!loaded.Taxa.AgreesWith(fresh)) Damaged("its taxa do not match its creatures");
  }
  loaded.Version = version;
  loaded.Settings.FileName = loaded.SettingsFile = r.Text(MaxTextLength);
  if (version >= 8)
    loaded.Events = EventsFromBytes(r.Text(static_cast<uint32_t>(std::min<uint64_t>(body.size(), UINT32_MAX))));
  if (!r.AtEnd()) Damaged("it goes on after its end");
  // Animals its events will still add are counted now, so that a small file cannot ask for
  // more memory than the limit allows when a step reaches them.
  int64_t added = 0;
  for (const TWorldEvent& e : loaded.Events)
    if (e.Kind == TEventKind::AddAnimals && e.Step > loaded.StepCount) added += e.Count;
  if (added > 0 && static_cast<int64_t>(count) + added > creatureLimit)
    throw EVivarion("its events would add " + std::to_string(added) + " animals to its " + std::to_string(count) +
                    " creatures, more than the limit of " + std::to_string(creatureLimit) + " creatures");

  // Read in full: now the world changes, and nothing below can fail.
  world.Clear();
  TWorldContext& context = world.Context;
  context.Grid.Reset();
  world.List.swap(fresh.List);
  for (TCreature* c : world.List) c->World = &context;
  for (size_t k = 0; k < cells.size(); ++k) {
    TGridCell& cell = context.Grid.Cell(where[k].first, where[k].second);
    for (uint32_t e : cells[k]) cell.push_back(world.List[e]);
  }
  context.Random.SetState(random);
  context.NextSerial = nextSerial;
  context.NextTaxon = nextTaxon;
  return loaded;
}

TLoadedWorld LoadWorldBytes(std::string_view bytes, const std::string& name, TCreatureList& world,
                            int64_t creatureLimit) {
  TLoadedWorld loaded;
  WithFileName(name, [&] {
    if (bytes.empty()) throw EVivarion("the file is empty, not a world file");
    if (bytes.size() < sizeof Magic || std::memcmp(bytes.data(), Magic, sizeof Magic) != 0) {
      const bool xml = bytes.find("<vivarion") != std::string_view::npos;
      throw EVivarion(xml ? "this is an animal file, not a world file" : "this is not a world file");
    }
    if (bytes.size() < HeaderSize) Damaged("it is cut short in its header");
    TReader header(bytes.substr(sizeof Magic, HeaderSize - sizeof Magic));
    const uint32_t version = header.Get<uint32_t>();
    const uint32_t reserved = header.Get<uint32_t>();
    const uint64_t bodySize = header.Get<uint64_t>(), packedSize = header.Get<uint64_t>();
    const uint64_t checksum = header.Get<uint64_t>();
    if (version > WorldFormatVersion)
      throw EVivarion("the world file has format " + std::to_string(version) + ", newer than this program reads (" +
                      std::to_string(WorldFormatVersion) + ")");
    if (version == 0) Damaged("format 0 does not exist");
    if (reserved != 0) Damaged("its header's reserved field is not zero");
    const std::string_view packed = bytes.substr(HeaderSize);
    if (packed.size() < packedSize) Damaged("it is truncated");
    if (packed.size() > packedSize) Damaged("it goes on after its end");
    if (Checksum(version, bytes.substr(0, HeaderSize - 8), packed) != checksum)
      Damaged("its checksum does not match its contents");
    if (bodySize > MaxBody || bodySize > packedSize * MaxUnpackRatio + UnpackAllowance)
      Damaged("it would unpack to far more than any world of its size holds");
    if (ZSTD_getFrameContentSize(packed.data(), packed.size()) != bodySize) Damaged("its sizes do not agree");
    std::string body(bodySize, '\0');
    const size_t n = ZSTD_decompress(body.data(), body.size(), packed.data(), packed.size());
    if (ZSTD_isError(n) || n != bodySize) Damaged("its contents do not unpack");
    loaded = LoadWorldBody(body, world, version, creatureLimit);
  });
  return loaded;
}

TLoadedWorld LoadWorldFile(const std::string& fileName, TCreatureList& world, int64_t creatureLimit) {
  // No world is larger than its header and the packed form of the largest body.
  const std::string bytes = ReadRegularFile(fileName, HeaderSize + ZSTD_compressBound(MaxBody), "a world file");
  return LoadWorldBytes(bytes, fileName, world, creatureLimit);
}

std::string CreatureBytes(const std::vector<const TCreature*>& creatures) {
  TWriter w;
  w.Put(static_cast<uint64_t>(creatures.size()));
  for (const TCreature* c : creatures) PutCreature(w, *c);
  return std::move(w.Bytes);
}

std::vector<TCreature*> CreaturesFromBytes(std::string_view bytes, TWorldContext& world) {
  TReader r(bytes);
  const uint64_t n = r.Get<uint64_t>();
  if (n > bytes.size()) Damaged("more creatures than bytes");
  // Read whole before any serial is taken, so that damaged bytes change nothing.
  {
    TReader check(bytes);
    check.Get<uint64_t>();
    TWorldContext scratch;
    for (uint64_t k = 0; k < n; ++k) std::unique_ptr<TCreature>(GetCreature(check, scratch));
  }
  std::vector<TCreature*> read;
  for (uint64_t k = 0; k < n; ++k) read.push_back(GetCreature(r, world, true));
  return read;
}

}  // namespace viv
