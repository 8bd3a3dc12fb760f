#include "cli/row_file.h"

#include <cerrno>
#include <cstring>

#include "config/errors.h"

namespace viv {

TRowFile::TRowFile(const std::string& fileName, const std::string& header) : fileName_(fileName) {
  if (fileName.empty()) return;
  file_.open(fileName, std::ios::binary | std::ios::trunc);
  Write(header);
}

void TRowFile::Write(const std::string& row) {
  if (fileName_.empty()) return;
  file_ << row << std::flush;
  if (!file_) throw EVivarion(fileName_ + ": cannot write the file: " + std::strerror(errno));
}

}  // namespace viv
