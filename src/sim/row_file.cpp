#include "sim/row_file.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>

#include "config/errors.h"
#include "config/files.h"

namespace viv {

namespace {

// The rows of text (after its header) whose step is at most last.
std::string RowsUpTo(const std::string& text, size_t from, int64_t last, int stepColumn) {
  std::string kept;
  while (from < text.size()) {
    size_t end = text.find('\n', from);
    if (end == std::string::npos) break;  // a row cut short by a kill
    const std::string_view row(text.data() + from, end - from);
    size_t start = 0;
    for (int k = 0; k < stepColumn && start != std::string_view::npos; ++k) {
      start = row.find(',', start);
      if (start != std::string_view::npos) ++start;
    }
    int64_t step = 0;
    if (start != std::string_view::npos) {
      const auto [p, ec] = std::from_chars(row.data() + start, row.data() + row.size(), step);
      if (ec == std::errc() && step <= last) kept.append(row).append(1, '\n');
    }
    from = end + 1;
  }
  return kept;
}

}  // namespace

TRowFile::TRowFile(const std::string& fileName, const std::string& header, int64_t resumedAt, int stepColumn)
    : fileName_(fileName) {
  if (fileName.empty()) return;
  std::string earlier;
  if (resumedAt >= 0 && IsRegularFile(fileName)) {
    const std::string text = ReadRegularFile(fileName, uint64_t{1} << 32, "a table of rows");
    if (text.compare(0, header.size(), header) == 0) earlier = RowsUpTo(text, header.size(), resumedAt, stepColumn);
  }
  UnlinkIfLink(fileName);
  file_.open(fileName, std::ios::binary | std::ios::trunc);
  Write(header + earlier);
}

void TRowFile::Write(const std::string& row) {
  if (fileName_.empty()) return;
  file_ << row << std::flush;
  if (!file_) throw EVivarion(fileName_ + ": cannot write the file: " + std::strerror(errno));
}

}  // namespace viv
