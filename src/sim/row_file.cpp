#include "sim/row_file.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>

#include "config/errors.h"
#include "config/files.h"

namespace viv {

namespace {

struct TKeptRows {
  std::string Text;
  int64_t LastStep = -1;  // of the last row kept; -1 for none
};

// The rows of a file of that header whose step is at most last (none when the file is missing
// or has another header).
TKeptRows RowsUpTo(const std::string& fileName, const std::string& header, int64_t last, int stepColumn) {
  TKeptRows kept;
  if (!IsRegularFile(fileName)) return kept;
  const std::string text = ReadRegularFile(fileName, uint64_t{1} << 32, "a table of rows");
  if (text.compare(0, header.size(), header) != 0) return kept;
  size_t from = header.size();
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
      if (ec == std::errc() && step <= last) {
        kept.Text.append(row).append(1, '\n');
        kept.LastStep = step;
      }
    }
    from = end + 1;
  }
  return kept;
}

}  // namespace

TRowFile::TRowFile(const std::string& fileName, const std::string& header, int64_t resumedAt, int stepColumn)
    : fileName_(fileName) {
  if (fileName.empty()) return;
  const std::string earlier = resumedAt >= 0 ? RowsUpTo(fileName, header, resumedAt, stepColumn).Text : "";
  // The rows kept go to a new file renamed into place: a kill at any moment leaves the old
  // rows or the new ones, never an emptied file. The run's rows are added after them.
  WriteFileAtomically(fileName, header + earlier, false);
  file_.open(fileName, std::ios::binary | std::ios::app);
  if (!file_) throw EVivarion(fileName + ": cannot write the file: " + std::strerror(errno));
}

std::string TRowFile::MissingRows(const std::string& fileName, const std::string& header, int64_t resumedAt,
                                  int64_t report, int stepColumn) {
  if (fileName.empty() || report <= 0 || resumedAt < report || !IsRegularFile(fileName)) return {};
  const int64_t expected = resumedAt - resumedAt % report;
  const int64_t last = RowsUpTo(fileName, header, resumedAt, stepColumn).LastStep;
  if (last >= expected) return {};
  return fileName + ": the world goes on from step " + std::to_string(resumedAt) + ", but the file holds " +
         (last < 0 ? std::string("no rows") : "rows only up to step " + std::to_string(last)) +
         ": the rows of the reports up to step " + std::to_string(expected) + " are missing";
}

void TRowFile::Write(const std::string& row) {
  if (fileName_.empty()) return;
  file_ << row << std::flush;
  if (!file_) throw EVivarion(fileName_ + ": cannot write the file: " + std::strerror(errno));
}

}  // namespace viv
