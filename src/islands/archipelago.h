#pragma once
// The islands' messages over MPI. Each process (rank) holds IslandsPerRank islands, numbered
// rank x IslandsPerRank + k, and every call takes or gives one value per island of this
// process. Every call is collective (all ranks make the same calls in the same order), so
// that no rank waits for one that has stopped.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace viv {

class TArchipelago {
 public:
  TArchipelago();  // after MPI_Init; one island per rank until SetIslandsPerRank
  int32_t Rank = 0;
  int32_t Ranks = 1;
  int32_t IslandsPerRank = 1;
  int32_t Islands = 1;  // Ranks x IslandsPerRank

  void SetIslandsPerRank(int32_t perRank);
  // The number of this process's first island.
  int32_t FirstIsland() const { return Rank * IslandsPerRank; }

  // Whether every island is well (errors: one per island of this process, empty when well);
  // when one is not, the first process writes each failed island's message to err
  // ("vivarion-islands: island I: ...") and all return false.
  bool AllWell(const std::vector<std::string>& errors, std::ostream& err) const;
  // Each island's text, in island order, at the first process (empty elsewhere).
  std::vector<std::string> Gather(const std::vector<std::string>& texts) const;
  // Island i sends its bytes to the next island ((i + 1) mod Islands); returns what each
  // island of this process received from the one before it.
  std::vector<std::string> PassOn(const std::vector<std::string>& bytes) const;
  // The first process's value, at every process.
  uint64_t FromFirst(uint64_t value) const;
  // The smallest and the largest value over all islands.
  void Range(const std::vector<int64_t>& values, int64_t& smallest, int64_t& largest) const;
};

}  // namespace viv
