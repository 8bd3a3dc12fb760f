#include "sim/timeline_file.h"

#include <xxhash.h>

#include <algorithm>
#include <cstring>

#include "config/byte_codec.h"
#include "config/errors.h"
#include "config/files.h"
#include "sim/world_file.h"

namespace viv {
namespace {

constexpr char Magic[8] = {'V', 'I', 'V', 'T', 'L', 'I', 'N', 'E'};
constexpr uint32_t TimelineFormatVersion = 1;
// Far above any budget a timeline is given.
constexpr uint64_t MaxTimelineFile = uint64_t{64} << 30;
// A keyframe is a world file's body, which is at most 1 GiB; a whole keyframe unpacks to at
// most 200 times its packed size (as world files), and one packed against it to at most four
// times its anchor (a body grown more than that packs to more than a quarter of the anchor,
// and becomes an anchor itself), with room for small worlds.
constexpr uint64_t MaxBody = uint64_t{1} << 30, MaxUnpackRatio = 200, UnpackAllowance = uint64_t{4} << 20;

[[noreturn]] void Damaged(const std::string& what) { throw EVivarion("the timeline file is damaged: " + what); }

}  // namespace

std::string TimelineFileFor(const std::string& worldFile) {
  const std::string ext = ".vivw";
  if (worldFile.size() > ext.size() && worldFile.compare(worldFile.size() - ext.size(), ext.size(), ext) == 0)
    return worldFile.substr(0, worldFile.size() - ext.size()) + ".vivt";
  return worldFile + ".vivt";
}

void SaveTimeline(const std::string& fileName, const TTimeline& timeline, const TSimulation& sim) {
  std::string out(Magic, sizeof Magic);
  PutBytes(out, TimelineFormatVersion);
  PutBytes(out, WorldFormatVersion);
  PutBytes(out, timeline.Spacing());
  PutBytes(out, timeline.Budget());
  PutBytes(out, timeline.Last());
  PutBytes(out, sim.StepCount());
  PutBytes(out, sim.Hash());
  PutBytes(out, static_cast<uint64_t>(timeline.Frames().size()));
  for (const auto& [step, frame] : timeline.Frames()) {
    PutBytes(out, step);
    PutBytes(out, frame->Anchor);
    PutBytes(out, frame->RawSize);
    PutBytes(out, static_cast<uint64_t>(frame->Packed.size()));
    out += frame->Packed;
  }
  const std::vector<int64_t> seams = timeline.Seams();
  PutBytes(out, static_cast<uint64_t>(seams.size()));
  for (int64_t s : seams) PutBytes(out, s);
  PutBytes(out, static_cast<uint64_t>(XXH64(out.data(), out.size(), 0)));
  WriteFileAtomically(fileName, out, false);
}

TTimeline LoadTimeline(const std::string& fileName, const TSimulation& sim) {
  const std::string bytes = ReadRegularFile(fileName, MaxTimelineFile, "a timeline file");
  TTimeline timeline;
  WithFileName(fileName, [&] {
    if (bytes.size() < sizeof Magic || std::memcmp(bytes.data(), Magic, sizeof Magic) != 0) {
      const bool world = bytes.rfind("VIVWORLD", 0) == 0;
      throw EVivarion(world ? "this is a world file, not a timeline file" : "this is not a timeline file");
    }
    if (bytes.size() < sizeof Magic + 8) Damaged("it is cut short");
    uint64_t sum = 0;
    std::memcpy(&sum, bytes.data() + bytes.size() - 8, 8);
    if (XXH64(bytes.data(), bytes.size() - 8, 0) != sum) Damaged("its checksum does not match its contents");
    TByteReader r(
        std::string_view(bytes).substr(sizeof Magic, bytes.size() - sizeof Magic - 8),
        TByteFaults::Two("the timeline file is damaged: ", "it is cut short", "its keyframes do not fit together"));
    uint32_t version = 0, worldVersion = 0;
    r.Get(version);
    r.Get(worldVersion);
    if (version > TimelineFormatVersion)
      throw EVivarion("the timeline file has format " + std::to_string(version) + ", newer than this program reads");
    if (worldVersion != WorldFormatVersion)
      throw EVivarion("the timeline's keyframes are of world format " + std::to_string(worldVersion) +
                      ", and this program replays only its own (" + std::to_string(WorldFormatVersion) + ")");
    int64_t spacing = 0, last = 0, worldStep = 0;
    uint64_t budget = 0, worldHash = 0;
    r.Get(spacing);
    r.Get(budget);
    r.Get(last);
    r.Get(worldStep);
    r.Get(worldHash);
    if (worldStep != sim.StepCount() || worldHash != sim.Hash())
      throw EVivarion("this timeline belongs to another world (it was saved with a world at step " +
                      std::to_string(worldStep) + ", and this world is at step " + std::to_string(sim.StepCount()) +
                      (worldStep == sim.StepCount() ? " but is another world)" : ")"));
    if (spacing < 1 || last < worldStep) r.Damaged();
    if (budget > TTimeline::MaxBudget)
      Damaged("it asks for a memory budget of " + std::to_string(budget) + " bytes, more than any timeline keeps");
    std::map<int64_t, std::shared_ptr<const TKeyframe>> frames;
    const uint64_t n = r.Count(32);
    for (uint64_t k = 0; k < n; ++k) {
      auto frame = std::make_shared<TKeyframe>();
      int64_t step = 0;
      r.Get(step);
      r.Get(frame->Anchor);
      r.Get(frame->RawSize);
      frame->Packed = r.Text<uint64_t>();
      // In step order, each packed against a whole keyframe kept before it.
      if (step < 0 || step > last || (!frames.empty() && step <= frames.rbegin()->first)) r.Damaged();
      if (frame->Anchor != step && (!frames.count(frame->Anchor) || frames.at(frame->Anchor)->Anchor != frame->Anchor))
        r.Damaged();
      const uint64_t most = frame->Anchor == step ? frame->Packed.size() * MaxUnpackRatio + UnpackAllowance
                                                  : frames.at(frame->Anchor)->RawSize * 4 + UnpackAllowance;
      if (frame->RawSize > std::min(most, MaxBody))
        Damaged("the keyframe of step " + std::to_string(step) + " claims " + std::to_string(frame->RawSize) +
                " bytes, more than its packed bytes can hold");
      frames[step] = std::move(frame);
    }
    if (frames.empty()) r.Damaged();
    std::set<int64_t> seams;
    const uint64_t m = r.Count(8);
    for (uint64_t k = 0; k < m; ++k) {
      int64_t s = 0;
      r.Get(s);
      if (s < frames.begin()->first || s > last) r.Damaged();
      seams.insert(s);
    }
    if (!r.AtEnd()) Damaged("it goes on after its end");
    timeline = TTimeline(spacing, budget);
    timeline.Restore(std::move(frames), std::move(seams), last, sim, fileName);
  });
  // The file's step and hash say whose it is; its keyframes must say the same.
  if (!timeline.LeadsTo(sim))
    throw EVivarion(fileName + ": this timeline belongs to another world (its keyframes do not lead to this world)");
  return timeline;
}

}  // namespace viv
