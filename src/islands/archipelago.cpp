#include "islands/archipelago.h"

#include <mpi.h>

#include <cstdint>

namespace viv {

TArchipelago::TArchipelago() {
  MPI_Comm_rank(MPI_COMM_WORLD, &Island);
  MPI_Comm_size(MPI_COMM_WORLD, &Islands);
}

bool TArchipelago::AllWell(const std::string& error, std::ostream& err) const {
  int failed = error.empty() ? 0 : 1, anyFailed = 0;
  MPI_Allreduce(&failed, &anyFailed, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD);
  if (!anyFailed) return true;
  const std::vector<std::string> errors = Gather(error);
  for (size_t i = 0; i < errors.size(); ++i)
    if (!errors[i].empty()) err << "vivarion-islands: island " << i << ": " << errors[i] << '\n';
  err.flush();
  return false;
}

std::vector<std::string> TArchipelago::Gather(const std::string& text) const {
  const int length = static_cast<int>(text.size());
  std::vector<int> lengths(Island == 0 ? Islands : 0), offsets(lengths.size());
  MPI_Gather(&length, 1, MPI_INT, lengths.data(), 1, MPI_INT, 0, MPI_COMM_WORLD);
  std::string all;
  if (Island == 0) {
    int total = 0;
    for (int i = 0; i < Islands; ++i) offsets[i] = total, total += lengths[i];
    all.resize(static_cast<size_t>(total));
  }
  MPI_Gatherv(text.data(), length, MPI_CHAR, all.data(), lengths.data(), offsets.data(), MPI_CHAR, 0, MPI_COMM_WORLD);
  std::vector<std::string> texts;
  for (int i = 0; i < static_cast<int>(lengths.size()); ++i) texts.push_back(all.substr(offsets[i], lengths[i]));
  return texts;
}

std::string TArchipelago::PassOn(const std::string& bytes) const {
  const int next = (Island + 1) % Islands, previous = (Island + Islands - 1) % Islands;
  uint64_t size = bytes.size(), incoming = 0;
  MPI_Sendrecv(&size, 1, MPI_UINT64_T, next, 0, &incoming, 1, MPI_UINT64_T, previous, 0, MPI_COMM_WORLD,
               MPI_STATUS_IGNORE);
  std::string received(incoming, '\0');
  MPI_Sendrecv(bytes.data(), static_cast<int>(size), MPI_CHAR, next, 1, received.data(), static_cast<int>(incoming),
               MPI_CHAR, previous, 1, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
  return received;
}

uint64_t TArchipelago::FromFirst(uint64_t value) const {
  MPI_Bcast(&value, 1, MPI_UINT64_T, 0, MPI_COMM_WORLD);
  return value;
}

void TArchipelago::Range(int64_t value, int64_t& smallest, int64_t& largest) const {
  MPI_Allreduce(&value, &smallest, 1, MPI_INT64_T, MPI_MIN, MPI_COMM_WORLD);
  MPI_Allreduce(&value, &largest, 1, MPI_INT64_T, MPI_MAX, MPI_COMM_WORLD);
}

}  // namespace viv
