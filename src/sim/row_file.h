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
  // when it cannot be written. A link of that name is replaced, not written through. With
  // resumedAt (the step of a world that goes on), an existing file of the same header keeps its
  // rows up to that step (stepColumn: the field that holds the step) and the run's are added.
  TRowFile(const std::string& fileName, const std::string& header, int64_t resumedAt = -1, int stepColumn = 0);
  void Write(const std::string& row);

 private:
  std::string fileName_;
  std::ofstream file_;
};

}  // namespace viv
