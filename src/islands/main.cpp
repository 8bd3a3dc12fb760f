// vivarion-islands: an archipelago of worlds, one or more per MPI rank, with migration between them.
#include <mpi.h>

#include <clocale>
#include <iostream>
#include <stdexcept>
#include <string_view>

#include "islands/archipelago.h"
#include "islands/island_options.h"
#include "islands/island_run.h"
#include "islands/study_over_mpi.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Help and version need no MPI (the manual page is made from them).
  for (const std::string& a : args) {
    if (a == "-h" || a == "--help") {
      std::cout << viv::IslandsUsage << viv::RunnerUsage;
      return 0;
    }
    if (a == "--version") {
      std::cout << "vivarion-islands " VIVARION_VERSION "\n";
      return 0;
    }
  }
  MPI_Init(&argc, &argv);
  int status = 0;
  {
    viv::TArchipelago archipelago;
    viv::TIslandOptions options;
    try {
      options = viv::ParseIslandOptions(args);
      archipelago.SetIslandsPerRank(options.IslandsPerRank);
      // One island would send its migrants to itself: a mistake, not a plan.
      if (archipelago.Islands == 1 && options.MigrateEvery > 0)
        throw std::invalid_argument(
            "--migrate-every needs two islands or more (mpirun -n 2 or more, or --islands-per-rank 2 or more)");
    } catch (const std::invalid_argument& e) {
      if (archipelago.Rank == 0) std::cerr << "vivarion-islands: " << e.what() << "\nsee 'vivarion-islands --help'\n";
      status = 2;
    }
    if (status == 0 && !options.Run.ExperimentFile.empty())
      status = viv::RunStudyOverMpi(options, archipelago, std::cout, std::cerr);
    else if (status == 0) status = viv::RunIsland(options, archipelago, std::cout, std::cerr);
  }
  MPI_Finalize();
  return status;
}
