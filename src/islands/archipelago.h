#pragma once
// The islands' messages over MPI: every call is collective (all ranks make the same calls in
// the same order), so that no rank waits for one that has stopped.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace viv {

class TArchipelago {
 public:
  TArchipelago();  // after MPI_Init
  int32_t Island = 0;   // this rank
  int32_t Islands = 1;  // the number of ranks

  // Whether every island is well; when one is not, the first island writes each failed
  // island's message to err ("vivarion-islands: island I: ...") and all return false.
  bool AllWell(const std::string& error, std::ostream& err) const;
  // Each island's text, in island order, at the first island (empty elsewhere).
  std::vector<std::string> Gather(const std::string& text) const;
  // Sends bytes to the next island ((i + 1) mod P) and returns what the previous one sent.
  std::string PassOn(const std::string& bytes) const;
  // The first island's value, at every island.
  uint64_t FromFirst(uint64_t value) const;
  // The smallest and the largest value over the islands.
  void Range(int64_t value, int64_t& smallest, int64_t& largest) const;
};

}  // namespace viv
