#pragma once
// The exceptions that reach the user. Each carries the complete message to show.
#include <stdexcept>
#include <string>

namespace viv {

// A text that is not a valid number, integer or boolean.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An index outside a list.
class EListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The program's own failures: an unknown organ in a formula, an unknown organ type,
// a malformed animal file, a file that cannot be read or written.
class EVivarion : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Runs f; an exception from it comes out with "FileName: " in front of its message,
// keeping its type, so that the user learns which file was at fault.
template <class F>
void WithFileName(const std::string& fileName, F&& f) {
  try {
    f();
  } catch (const EConvertError& e) {
    throw EConvertError(fileName + ": " + e.what());
  } catch (const EListError& e) {
    throw EListError(fileName + ": " + e.what());
  } catch (const EVivarion& e) {
    throw EVivarion(fileName + ": " + e.what());
  }
}

}  // namespace viv
