#pragma once
// Writing files so that a crash or a full disk never leaves half a file behind.
#include <string>

namespace viv {

// Writes Content to a temporary file in the target's folder and renames it into place.
// With noReplace, an existing file of that name is left untouched and false is returned.
// Throws EVivarion naming the file when it cannot be written; no temporary file remains.
bool WriteFileAtomically(const std::string& fileName, const std::string& content, bool noReplace);

// Whether a file (or anything else) of that name exists.
bool FileExists(const std::string& fileName);

}  // namespace viv
