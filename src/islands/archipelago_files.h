#pragma once
// The world files of an archipelago. Each island writes a file of its own; a small manifest,
// written by the first island once every island's file is whole, names the set, so that a
// run killed at any moment leaves a complete set of one step to resume from.
#include <cstdint>
#include <string>
#include <vector>

namespace viv {

// "cp.vivw", island 2, step 450 -> "cp.island2.step450.vivw": a checkpoint's island file.
std::string CheckpointIslandFile(const std::string& name, int32_t island, int64_t step);

// Writes the manifest at name atomically: the island count, the step and each island's file
// (in island order, named relative to the manifest's folder).
void WriteManifest(const std::string& name, int64_t step, const std::vector<std::string>& files);

// The file that island loads for --load-world name in a run of islands islands: the one the
// manifest at name lists, or, without a manifest, the island's file of that name. Throws
// EVivarion naming the file when the saved archipelago has another number of islands.
std::string IslandWorldFile(const std::string& name, int32_t island, int32_t islands);

// Removes this island's checkpoint files of name other than keep (older sets, and those of
// a set that a killed run did not finish).
void RemoveOtherCheckpoints(const std::string& name, int32_t island, const std::string& keep);

}  // namespace viv
