#include "islands/archipelago.h"

#include <mpi.h>

#include <algorithm>
#include <cstdint>

#include "config/byte_codec.h"

namespace viv {

namespace {

// The texts of one process as one string: each with its length in front.
std::string Pack(const std::vector<std::string>& texts) {
  std::string packed;
  for (const std::string& t : texts) PutText<uint64_t>(packed, t);
  return packed;
}

void Unpack(const std::string& packed, std::vector<std::string>& texts) {
  TByteReader r(packed,
                TByteFaults::Two("the islands' exchange is damaged: ", "it is cut short", "a text runs past its end"));
  while (!r.AtEnd()) texts.push_back(r.Text<uint64_t>());
}

// Bytes from this rank to `to` and from `from` back, sizes first.
std::string Exchange(const std::string& bytes, int to, int from) {
  uint64_t size = bytes.size(), incoming = 0;
  MPI_Sendrecv(&size, 1, MPI_UINT64_T, to, 0, &incoming, 1, MPI_UINT64_T, from, 0, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
  std::string received(incoming, '\0');
  MPI_Sendrecv(bytes.data(), static_cast<int>(size), MPI_CHAR, to, 1, received.data(), static_cast<int>(incoming),
               MPI_CHAR, from, 1, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
  return received;
}

}  // namespace

TArchipelago::TArchipelago() {
  MPI_Comm_rank(MPI_COMM_WORLD, &Rank);
  MPI_Comm_size(MPI_COMM_WORLD, &Ranks);
  Islands = Ranks;
}

void TArchipelago::SetIslandsPerRank(int32_t perRank) {
  IslandsPerRank = std::max(perRank, 1);
  Islands = Ranks * IslandsPerRank;
}

bool TArchipelago::AllWell(const std::vector<std::string>& errors, std::ostream& err) const {
  int failed = 0, anyFailed = 0;
  for (const std::string& e : errors) failed |= e.empty() ? 0 : 1;
  MPI_Allreduce(&failed, &anyFailed, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD);
  if (!anyFailed) return true;
  const std::vector<std::string> all = Gather(errors);
  for (size_t i = 0; i < all.size(); ++i)
    if (!all[i].empty()) err << "vivarion-islands: island " << i << ": " << all[i] << '\n';
  err.flush();
  return false;
}

std::vector<std::string> TArchipelago::Gather(const std::vector<std::string>& texts) const {
  const std::string text = Pack(texts);
  const int length = static_cast<int>(text.size());
  std::vector<int> lengths(Rank == 0 ? Ranks : 0), offsets(lengths.size());
  MPI_Gather(&length, 1, MPI_INT, lengths.data(), 1, MPI_INT, 0, MPI_COMM_WORLD);
  std::string all;
  if (Rank == 0) {
    int total = 0;
    for (int i = 0; i < Ranks; ++i) offsets[i] = total, total += lengths[i];
    all.resize(static_cast<size_t>(total));
  }
  MPI_Gatherv(text.data(), length, MPI_CHAR, all.data(), lengths.data(), offsets.data(), MPI_CHAR, 0, MPI_COMM_WORLD);
  std::vector<std::string> gathered;
  for (int i = 0; i < static_cast<int>(lengths.size()); ++i) Unpack(all.substr(offsets[i], lengths[i]), gathered);
  return gathered;
}

std::vector<std::string> TArchipelago::PassOn(const std::vector<std::string>& bytes) const {
  // Within the process each island takes its neighbour's; the last one's go to the next
  // process, whose first island takes them.
  std::vector<std::string> received(bytes.size());
  for (size_t k = 1; k < bytes.size(); ++k) received[k] = bytes[k - 1];
  if (!bytes.empty()) received[0] = Exchange(bytes.back(), (Rank + 1) % Ranks, (Rank + Ranks - 1) % Ranks);
  return received;
}

uint64_t TArchipelago::FromFirst(uint64_t value) const {
  MPI_Bcast(&value, 1, MPI_UINT64_T, 0, MPI_COMM_WORLD);
  return value;
}

void TArchipelago::Range(const std::vector<int64_t>& values, int64_t& smallest, int64_t& largest) const {
  int64_t low = INT64_MAX, high = INT64_MIN;
  for (int64_t v : values) low = std::min(low, v), high = std::max(high, v);
  MPI_Allreduce(&low, &smallest, 1, MPI_INT64_T, MPI_MIN, MPI_COMM_WORLD);
  MPI_Allreduce(&high, &largest, 1, MPI_INT64_T, MPI_MAX, MPI_COMM_WORLD);
}

}  // namespace viv
