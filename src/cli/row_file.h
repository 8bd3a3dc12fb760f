#pragma once
// A CSV file written row by row as a run makes them, each row flushed, so that `tail -f`
// and plotting tools follow a long run. No file name: nothing is written.
#include <fstream>
#include <string>

namespace viv {

class TRowFile {
 public:
  // Creates (or empties) the file and writes the header; throws EVivarion naming the file
  // when it cannot be written.
  TRowFile(const std::string& fileName, const std::string& header);
  void Write(const std::string& row);

 private:
  std::string fileName_;
  std::ofstream file_;
};

}  // namespace viv
