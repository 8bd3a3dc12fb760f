#pragma once
// A CSV file written row by row as a run makes them, each row flushed, so that `tail -f`
// and plotting tools follow a long run. No file name: nothing is written.
#include <cstdint>
#include <fstream>
#include <string>

namespace viv {

class TRowFile {
 public:
  // Creates (or empties) the file and writes the header; throws EVivarion naming the file
  // when it cannot be written. A link of that name is replaced, not written through; the file
  // is replaced whole, so that a kill never leaves it emptied. With
  // resumedAt (the step of a world that goes on), an existing file of the same header keeps its
  // rows up to that step (stepColumn: the field that holds the step) and the run's are added.
  TRowFile(const std::string& fileName, const std::string& header, int64_t resumedAt = -1, int stepColumn = 0);
  void Write(const std::string& row);

  // For a world that goes on from resumedAt with a report every report steps: what is wrong
  // when an existing file of that name lacks the rows of the reports up to then (as a file
  // emptied by hand, or by a kill in an older version), or empty when nothing is.
  static std::string MissingRows(const std::string& fileName, const std::string& header, int64_t resumedAt,
                                 int64_t report, int stepColumn = 0);

 private:
  std::string fileName_;
  std::ofstream file_;
};

}  // namespace viv
