#pragma once
// A timeline's keyframes packed with zstd: whole, or as the difference from an older keyframe's
// body. Two bodies a thousand steps apart share nearly all their histories, so the difference
// takes a few percent of the whole.
#include <cstdint>
#include <string>
#include <string_view>

namespace viv {

// Packs body; with a base (an older body), packs only what the base does not already hold.
std::string PackKeyframe(std::string_view body, std::string_view base = {});
// Unpacks what PackKeyframe packed with the same base to its rawSize bytes. Throws EVivarion
// ("a keyframe does not unpack") on damaged bytes or a wrong size.
std::string UnpackKeyframe(std::string_view packed, uint64_t rawSize, std::string_view base = {});

}  // namespace viv
