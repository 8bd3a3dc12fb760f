#pragma once
// Writing files so that a crash or a full disk never leaves half a file behind.
#include <cstdint>
#include <string>

namespace viv {

// Writes Content to a temporary file in the target's folder and renames it into place.
// With noReplace, an existing file of that name is left untouched and false is returned.
// Throws EVivarion naming the file when it cannot be written; no temporary file remains. The
// temporary file is ".NAME.vivarion-XXXXXX" beside the target; such files left by a save to the
// same target that was killed are removed first.
bool WriteFileAtomically(const std::string& fileName, const std::string& content, bool noReplace);

// For files written by other means (a film, written frame by frame): makes the temporary file
// that WriteFileAtomically would write, removing killed saves' leftovers, and returns its name;
// MoveIntoPlace renames it over fileName (or removes it and throws, naming fileName).
std::string MakeTemporaryBeside(const std::string& fileName);
void MoveIntoPlace(const std::string& temporary, const std::string& fileName);

// Throws what WriteFileAtomically would throw if the file cannot be written (its folder is
// missing or read-only, the name is a folder, or it names something other than a regular file
// or a link, such as a device, which is left alone), without touching the file: outputs are
// checked before a long run, not after it.
void CheckWritable(const std::string& fileName);

// Whether two names are the same file: the same file where both exist (links and "../"
// followed), else the same path once made absolute.
bool SameFile(const std::string& a, const std::string& b);

// Before a file is written in place (not renamed over): a link of that name is removed, so
// that writing makes a file of its own instead of overwriting whatever the link names.
void UnlinkIfLink(const std::string& fileName);

// The same for a folder that files will be written into.
void CheckWritableFolder(const std::string& folder);

// The whole of a regular file (or of what a link names), at most maxBytes of it. Anything
// else is refused before a byte is read, so that a pipe, a device or a folder never blocks
// or fills memory: throws EVivarion naming the file ("this is a folder, not WHAT", "this is not
// a regular file, not WHAT", "the file is too large for WHAT", "cannot open the file"); what
// names the kind of file with its article ("an animal file").
std::string ReadRegularFile(const std::string& fileName, uint64_t maxBytes, const std::string& what);

// Whether a regular file (or a link to one) of that name exists.
bool IsRegularFile(const std::string& fileName);

// Whether a file (or anything else) of that name exists.
bool FileExists(const std::string& fileName);

}  // namespace viv
