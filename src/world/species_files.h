#pragma once
// The living species as animal files: what S and the runner's --save-animals write.
#include <string>

#include "world/creature_list.h"

namespace viv {

// Writes the first living animal of each species name to Folder/Name.viv unless that file
// exists. Returns the number of files written; kept, when given, counts the species whose
// file existed.
int SaveSpeciesFiles(const TCreatureList& world, const std::string& folder, int* kept = nullptr);

}  // namespace viv
