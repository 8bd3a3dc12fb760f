#pragma once
// Where the programs find their files, in the build tree and once installed: the settings
// file and the sample animals.
#include <string>
#include <vector>

namespace viv {

// The read-only files installed with the programs: share/vivarion/ beside bin/, found from
// the running executable, so an installation can be moved to any prefix. With a trailing "/".
std::string InstalledDataFolder();

// The settings file to use, the first of:
// 1. VIVARION.ini beside the program (the build tree, or a copy put there on purpose);
// 2. $XDG_CONFIG_HOME/vivarion/VIVARION.ini (~/.config when the variable is unset);
// 3. the installed default, which is first copied to 2. so that the user edits a file of
//    their own (if it cannot be copied, the default itself is used).
// When there is none, the file beside the program, whose absence the settings reader reports.
std::string FindSettingsFile();

// The same search, saying where it looked: Found is false when no settings file exists in any
// of Places, and File then names the one beside the program (the built-in values serve).
struct TSettingsSearch {
  std::string File;
  bool Found = false;
  std::vector<std::string> Places;
};
TSettingsSearch SearchSettingsFile();
// The same search for a program whose file lies in programFolder (1.) and whose installed
// files lie in installedFolder (3.); both with a trailing "/". The Python module looks from
// its own folder, not the interpreter's.
TSettingsSearch SearchSettingsFile(const std::string& programFolder, const std::string& installedFolder);
// "no settings file found (looked for A, B and C); using the built-in values", for the
// programs to print when a search found nothing.
std::string SettingsNotFoundNote(const TSettingsSearch& search);

// A settings file named by the user must be there: throws EVivarion "FILE: this is a folder,
// not a settings file" or "FILE: cannot open the settings file" otherwise.
void CheckSettingsFile(const std::string& file);

// The user's settings file of step 2 above.
std::string UserSettingsFile();

}  // namespace viv
