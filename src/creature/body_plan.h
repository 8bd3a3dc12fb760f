#pragma once
// An animal's heritable body plan, the key of its taxon: what it has and how it is wired,
// with the values that mutate at every division left coarse. Two animals with the same plan
// behave alike; a child whose plan differs from its parent's founds a taxon of its own.
#include <cstdint>
#include <string>

namespace viv {

class TCreature;

// The plan as text: each distinct organ id in order of first appearance with its kind and,
// for engines and brains, the structure of the formula of its first organ (each term's organ
// id, output and the sign of its factor, in a fixed order); then the number of organs of each
// kind and the division energy, both in factor-of-two bins.
std::string BodyPlanText(const TCreature& creature);
// XXH64 of that text: equal plans have equal signatures.
uint64_t BodyPlanSignature(const TCreature& creature);
// How many distinct organs the creature's formulas use to move it: the engines and every
// organ whose output reaches an engine through formulas, brains in between.
int32_t UsedOrgans(const TCreature& creature);

}  // namespace viv
