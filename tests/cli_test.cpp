// The runner end to end: the real program, its output and its exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/progress_line.h"
#include "sim/world_file.h"

namespace {

namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out, err;
};

class Runner : public ::testing::Test {
 protected:
  fs::path dir = fs::temp_directory_path() /
                 (std::string("vivarion-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                  std::to_string(getpid()));
  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "settings.ini") << "[VIVARION]\nRemming=0.001\nBrown=3\nPhiRemming=0.1\nGravity=0.00001\n"
                                           "SunLight=0.5\nCostOfLiving=0.01\nMinEnergy=50\nRadiusCost=1\nPartsCost=1\n"
                                           "CreatureCost=1\nMaxFood=300\n";
  }
  void TearDown() override { fs::remove_all(dir); }

  Result Run(const std::string& args) {
    const std::string errFile = (dir / "stderr.txt").string();
    const std::string command = "cd '" + dir.string() + "' && '" VIVARION_CLI_PATH "' " + args + " 2>'" + errFile + "'";
    Result r;
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) r.out.append(buf.data(), n);
    r.status = WEXITSTATUS(pclose(pipe));
    std::ifstream in(errFile);
    r.err.assign(std::istreambuf_iterator<char>(in), {});
    return r;
  }
  std::string Settings() { return "--settings settings.ini "; }
};

TEST_F(Runner, ASeededRunReportsItsCounts) {
  Result r = Run(Settings() + "--seed 3 --steps 400 --report 200");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::istringstream lines(r.out);
  std::string first, second, extra;
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_FALSE(std::getline(lines, extra));
  EXPECT_EQ(first.rfind("step=200 creatures=", 0), 0u) << first;
  EXPECT_EQ(second.rfind("step=400 creatures=", 0), 0u) << second;
  EXPECT_NE(second.find(" food="), std::string::npos);
  EXPECT_NE(second.find(" biomass="), std::string::npos);
  EXPECT_NE(second.find(" species="), std::string::npos);
}

TEST_F(Runner, TheSameSeedGivesTheSameRunOnEveryPath) {
  Result a = Run(Settings() + "--seed 11 --steps 1500 --report 100 --csv a.csv");
  Result b = Run(Settings() + "--seed 11 --steps 1500 --report 100 --csv b.csv");
  Result ref = Run(Settings() + "--seed 11 --steps 1500 --report 100 --reference --threads 1");
  ASSERT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(a.out, ref.out);
  std::ifstream ca(dir / "a.csv"), cb(dir / "b.csv");
  std::string ta(std::istreambuf_iterator<char>(ca), {}), tb(std::istreambuf_iterator<char>(cb), {});
  EXPECT_EQ(ta, tb);
  EXPECT_EQ(ta.rfind("step,creatures,food,biomass,species\n100,", 0), 0u) << ta;
  EXPECT_EQ(std::count(ta.begin(), ta.end(), '\n'), 16);
}

TEST_F(Runner, FastAndReferenceRunsSaveTheSameAnimals) {
  fs::create_directories(dir / "fast");
  fs::create_directories(dir / "plain");
  std::ofstream(dir / "one.ini") << "[Population]\nNumCreatures=1\nNumFood=300\n";
  ASSERT_EQ(Run(Settings() + "--population one.ini --seed 5 --steps 20000 --save-animals fast").status, 0);
  ASSERT_EQ(Run(Settings() + "--population one.ini --seed 5 --steps 20000 --save-animals plain --reference --threads 1")
                .status,
            0);
  size_t files = 0;
  for (auto& e : fs::directory_iterator(dir / "fast")) {
    std::ifstream a(e.path()), b(dir / "plain" / e.path().filename());
    ASSERT_TRUE(b.good()) << e.path().filename();
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), std::string(std::istreambuf_iterator<char>(b), {}));
    ++files;
  }
  EXPECT_GT(files, 1u);  // the world has evolved species of its own by then
  EXPECT_EQ(files, static_cast<size_t>(std::distance(fs::directory_iterator(dir / "plain"), fs::directory_iterator())));
}

TEST_F(Runner, UsageErrorsExitWithTwo) {
  for (const char* args :
       {"--steps", "--steps -1", "--steps abc", "--size 800", "--frobnicate", "--threads 0", "--until 5 --steps 5"}) {
    Result r = Run(args);
    EXPECT_EQ(r.status, 2) << args;
    // One line that says what is wrong, and where to read more: not the whole help.
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
    EXPECT_NE(r.err.find("\nsee 'vivarion-cli --help'\n"), std::string::npos) << args;
  }
  EXPECT_EQ(Run("--sed 4").err,
            "vivarion-cli: unknown option --sed (did you mean --seed?)\nsee 'vivarion-cli --help'\n");
  EXPECT_EQ(Run("--frobnicate").err, "vivarion-cli: unknown option --frobnicate\nsee 'vivarion-cli --help'\n");
  EXPECT_NE(Run("--steps 5 --follow biggest").err.find("or 'largest', not 'biggest'"), std::string::npos);
  ASSERT_EQ(Run(Settings() + "--steps 50 --save-world w.vivw").status, 0);
  Result early = Run(Settings() + "--load-world w.vivw --until 20");
  EXPECT_EQ(early.status, 2);
  EXPECT_EQ(early.err, "vivarion-cli: --until 20 is before the world's step 50\nsee 'vivarion-cli --help'\n");
  EXPECT_EQ(early.out, "");
  Result help = Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--save-animals DIR"), std::string::npos);
}

TEST_F(Runner, ABrokenAnimalFileExitsWithOneNamingIt) {
  std::ofstream(dir / "broken.viv") << "<vivarion radius=\"1\"><parts/></vivarion>";
  Result r = Run(Settings() + "--steps 5 broken.viv");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "vivarion-cli: broken.viv: Could not convert variant of type (Null) into type (String): no attribute "
            "\"vegetable\" in <vivarion>\n");
  Result missing = Run(Settings() + "--steps 5 nowhere.viv");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "vivarion-cli: nowhere.viv: cannot open the file\n");
}

TEST_F(Runner, ABrokenSettingsFileExitsWithOne) {
  std::ofstream(dir / "bad.ini") << "[VIVARION]\nGravity=strong\n";
  Result r = Run("--settings bad.ini --steps 5");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "vivarion-cli: bad.ini: Gravity: 'strong' is not a valid floating point value\n");
}

TEST_F(Runner, ThePopulationFileSetsTheCounts) {
  std::ofstream(dir / "pop.ini") << "[Population]\nNumCreatures=3\nNumFood=7\n";
  Result r = Run(Settings() + "--steps 0 --population pop.ini");
  EXPECT_EQ(r.out, "step=0 creatures=3 food=7 biomass=55 species=1\n");
  std::ofstream(dir / "population.ini") << "[Population]\nNumCreatures=2\nNumFood=x\n";
  r = Run(Settings() + "--steps 0");
  EXPECT_EQ(r.out, "step=0 creatures=2 food=300 biomass=332 species=1\n");
  r = Run(Settings() + "--steps 0 --population none.ini");
  EXPECT_EQ(r.status, 1);
}

TEST_F(Runner, AnimalsSavedAfterTheRunLoadAgain) {
  fs::create_directories(dir / "out");
  Result r = Run(Settings() + "--seed 2 --steps 50 --save-animals out --png world.png");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir / "out" / "ADAM.viv"));
  EXPECT_GT(fs::file_size(dir / "world.png"), 1000u);
  Result again = Run(Settings() + "--seed 2 --steps 10 out/ADAM.viv");
  EXPECT_EQ(again.status, 0) << again.err;
  // Saving again never overwrites.
  auto before = fs::last_write_time(dir / "out" / "ADAM.viv");
  Run(Settings() + "--seed 3 --steps 5 --save-animals out");
  EXPECT_EQ(fs::last_write_time(dir / "out" / "ADAM.viv"), before);
  Result missing = Run(Settings() + "--steps 1 --save-animals nowhere");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "vivarion-cli: nowhere: cannot write into the folder: No such file or directory\n");
}

TEST_F(Runner, BrokenAnimalFilesFailCleanlyAndTouchNothing) {
  // The broken files sit in an animals folder next to a good one; each run names its file.
  const fs::path animals = dir / "animals";
  fs::copy(fs::path(VIVARION_TEST_DATA) / "malformed", animals);
  std::ifstream table(animals / "expected.txt");
  auto listing = [&] {
    std::string all;
    for (auto& e : fs::directory_iterator(animals)) {
      std::ifstream in(e.path());
      all += e.path().filename().string() + ":" + std::string(std::istreambuf_iterator<char>(in), {}) + "\n";
    }
    return all;
  };
  const std::string before = listing();
  std::string line;
  int rows = 0;
  while (std::getline(table, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::string file = line.substr(0, line.find('|'));
    std::string message = line.substr(line.rfind('|') + 1);
    Result r = Run(Settings() + "--steps 3 --save-animals animals animals/" + file);
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_EQ(r.err, "vivarion-cli: animals/" + file + ": " + message + "\n") << file;
    EXPECT_EQ(r.out, "") << file;
    ++rows;
  }
  EXPECT_GE(rows, 15);
  EXPECT_EQ(listing(), before);
}

TEST_F(Runner, AWorldSavedAndLoadedGoesOnWithItsStepsAndHash) {
  Result whole = Run(Settings() + "--seed 4 --steps 600 --report 300 --hash");
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_NE(whole.out.find("step=600 creatures="), std::string::npos);
  const size_t at = whole.out.find(" hash=");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(whole.out.find_first_not_of("0123456789abcdef", at + 6), at + 22);  // 16 lowercase hex digits
  ASSERT_EQ(Run(Settings() + "--seed 4 --steps 300 --save-world w.vivw").status, 0);
  Result resumed = Run(Settings() + "--seed 1 --load-world w.vivw --until 600 --report 300 --hash");
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_EQ(resumed.err, "vivarion-cli: note: --seed is not used: the generator's state comes from the world file\n");
  EXPECT_EQ(resumed.out, whole.out.substr(whole.out.find("step=600")));
  // Without --hash the status line is as it always was.
  EXPECT_EQ(Run(Settings() + "--load-world w.vivw --steps 300").out,
            resumed.out.substr(0, resumed.out.find(" hash=")) + "\n");
}

TEST_F(Runner, BadWorldFilesFailWithOneLineNamingThem) {
  ASSERT_EQ(Run(Settings() + "--seed 4 --steps 10 --save-world w.vivw").status, 0);
  std::ifstream in(dir / "w.vivw", std::ios::binary);
  const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto write = [&](const char* name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
  };
  write("empty.vivw", "");
  write("short.vivw", good.substr(0, good.size() / 2));
  std::string flipped = good;
  flipped[good.size() - 3] ^= 1;
  write("flipped.vivw", flipped);
  std::string newer = good;
  newer[8] = static_cast<char>(viv::WorldFormatVersion + 1);
  std::string reserved = good;
  reserved[12] = 1;
  write("reserved.vivw", reserved);
  write("newer.vivw", newer);
  write("animal.vivw", "<vivarion vegetable=\"False\" radius=\"40\"/>");
  fs::create_directories(dir / "folder.vivw");
  const std::pair<std::string, std::string> cases[] = {
      {"empty.vivw", "the file is empty, not a world file"},
      {"short.vivw", "the world file is damaged: it is truncated"},
      {"flipped.vivw", "the world file is damaged: its checksum does not match its contents"},
      {"newer.vivw", "the world file has format " + std::to_string(viv::WorldFormatVersion + 1) +
                         ", newer than this program reads (" + std::to_string(viv::WorldFormatVersion) + ")"},
      {"reserved.vivw", "the world file is damaged: its header's reserved field is not zero"},
      {"animal.vivw", "this is an animal file, not a world file"},
      {"folder.vivw", "this is a folder, not a world file"},
      {"none.vivw", "cannot open the file"},
  };
  for (auto [file, message] : cases) {
    Result r = Run(Settings() + "--load-world " + file);
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_EQ(r.err, std::string("vivarion-cli: ") + file + ": " + message + "\n");
    EXPECT_EQ(r.out, "");
  }
  // A world file of the first format (written by the previous release, 4 animals, seed 4, 500
  // steps) still loads and goes on as the world it holds.
  fs::copy_file(fs::path(VIVARION_TEST_DATA) / "worlds" / "format1.vivw", dir / "format1.vivw");
  std::ofstream(dir / "four.ini") << "[Population]\nNumCreatures=4\nNumFood=300\n";
  EXPECT_EQ(Run(Settings() + "--load-world format1.vivw --steps 500").out,
            Run(Settings() + "--population four.ini --seed 4 --steps 1000").out);
  // One of format 5 (every rule family of its time set, 3 animals, seed 2, 1,500 steps) goes on
  // under the rules it keeps as the unbroken run.
  fs::copy_file(fs::path(VIVARION_TEST_DATA) / "worlds" / "format5.vivw", dir / "format5.vivw");
  std::ofstream(dir / "rules5.ini") << "[VIVARION]\nRemming=0.001\nBrown=3\nPhiRemming=0.1\nGravity=0.00001\n"
                                       "SunLight=0.5\nCostOfLiving=0.01\nMinEnergy=50\nRadiusCost=1\nPartsCost=1\n"
                                       "CreatureCost=1\nMaxFood=300\nOrganLoss=0.1\nPlantFloor=30\nCopySkip=0.2\n"
                                       "FreshIds=0.5\nFormulaMutation=0.01\nLightPatches=2\nPatchRadius=150\n"
                                       "PatchDistance=100\nPatchShade=0.2\nSeasonLength=5000\nSeasonDepth=0.3\n"
                                       "PlantColors=3\nPlantColorChange=0.05\nColorDiet=0.5\nColorMutation=8\n";
  std::ofstream(dir / "three.ini") << "[Population]\nNumCreatures=3\nNumFood=300\n";
  const Result resumed = Run(Settings() + "--load-world format5.vivw --world-settings --steps 1500 --hash");
  EXPECT_EQ(resumed.out, Run("--settings rules5.ini --population three.ini --seed 2 --steps 3000 --hash").out);
  EXPECT_NE(resumed.out.find("step=3000 "), std::string::npos) << resumed.err;
}

// Hostile input, each refused with one line naming the file and the fault, quickly and
// without running out of memory: files that are not regular files, settings that would wipe
// the world or grow it without end, animals that no world file could hold, and work without bounds.
TEST_F(Runner, HostileInputIsRefusedWithOneLine) {
  ASSERT_EQ(mkfifo((dir / "pipe.vivw").c_str(), 0600), 0);
  std::ofstream(dir / "noSection.ini") << "Remming=0.001\nSunLight=0.5\n";
  std::ofstream(dir / "negative.ini") << "[VIVARION]\nCostOfLiving=-1\nMaxFood=300\n";
  std::ofstream(dir / "patch.ini") << "[VIVARION]\nLightPatches=1\nPatchRadius=1e39\n";
  std::ofstream(dir / "minus.viv")
      << "<vivarion vegetable=\"False\" radius=\"-3e38\" maxenergy=\"2000\" color=\"0\"><parts/></vivarion>";
  std::ofstream(dir / "longid.viv")
      << "<vivarion vegetable=\"False\" radius=\"40\" maxenergy=\"2000\" color=\"0\"><parts>"
         "<part type=\"eye\" id=\"" +
             std::string(70000, 'e') + "\" r=\"1\" phi=\"0\"/></parts></vivarion>";
  std::ofstream(dir / "crowd.ini") << "[Population]\nNumCreatures=2000000\nNumFood=10\n";
  const std::pair<std::string, std::string> cases[] = {
      {"--load-world pipe.vivw", "pipe.vivw: this is not a regular file, not a world file"},
      {"--load-world /dev/zero", "/dev/zero: this is not a regular file, not a world file"},
      {"/dev/zero", "/dev/zero: this is not a regular file, not an animal file"},
      {"--settings noSection.ini", "noSection.ini: this is not a settings file: it has no [VIVARION] section"},
      {"--settings negative.ini", "negative.ini: CostOfLiving: -1 is out of range (0 to 1000000)"},
      {"--settings patch.ini", "patch.ini: PatchRadius: 1E39 is out of range (0 to 1000000)"},
      {"minus.viv", "minus.viv: the radius -3e38 is not a size (it must be 0 or more)"},
      {"longid.viv", "longid.viv: an organ's id is 70000 characters long, more than the 65536 an id may have"},
      {"w.vivw", "w.vivw: this is a world file, not an animal file (it is opened as a world: Ctrl+O, --load-world)"},
      {"--population crowd.ini",
       "a world of 2000010 creatures is more than the limit of 1000000 (NumCreatures and "
       "NumFood of the population)"},
  };
  ASSERT_EQ(Run(Settings() + "--steps 5 --save-world w.vivw").status, 0);
  for (const auto& [args, message] : cases) {
    const std::string settings = args.find("--settings") == std::string::npos ? Settings() : "";
    Result r = Run(settings + "--steps 5 " + args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_EQ(r.err, "vivarion-cli: " + message + "\n") << args;
  }
  // A world that outgrows the creature limit stops with the keys to look at, not out of memory.
  std::ofstream(dir / "few.ini") << "[Population]\nNumCreatures=1\nNumFood=50\n";
  Result grown = Run(Settings() + "--population few.ini --steps 2000 --max-creatures 200");
  EXPECT_EQ(grown.status, 1);
  EXPECT_NE(grown.err.find("more than the limit of 200 (the settings let it grow without end: see MaxFood"),
            std::string::npos)
      << grown.err;
  // An output the organ does not have is taken (it reads as 0) and told.
  std::ofstream(dir / "seven.viv")
      << "<vivarion vegetable=\"False\" radius=\"40\" maxenergy=\"2000\" color=\"0\"><parts>"
         "<part type=\"eye\" id=\"E\" r=\"1\" phi=\"0\"/><part type=\"engine\" id=\"F\" r=\"1\" "
         "phi=\"3.14\" angle=\"0\" formula=\"E.7*8\"/></parts></vivarion>";
  Result seven = Run(Settings() + "--steps 5 seven.viv seven.viv");
  EXPECT_EQ(seven.status, 0);
  EXPECT_EQ(seven.err,
            "vivarion-cli: warning: seven.viv: the formula of 'F' reads E.7: 'E' is an eye, whose outputs are "
            "0 to 2, not 7; it reads as 0\n");
  Result threads = Run(Settings() + "--steps 5 --threads 100000");
  EXPECT_EQ(threads.status, 2);
  EXPECT_NE(threads.err.find("--threads: at most "), std::string::npos) << threads.err;
}

// Outputs never overwrite an input or each other, never write through a link or onto a
// device, and the rows of a resumed world go on from the rows written up to its step.
TEST_F(Runner, OutputsKeepToTheirOwnFilesAndResumedRowsGoOn) {
  ASSERT_EQ(Run(Settings() + "--seed 2 --steps 300 --report 100 --save-world w.vivw --stats rows.csv").status, 0);
  const std::string own = "; give each its own file\n";
  const std::pair<std::string, std::string> clashes[] = {
      {"--load-world w.vivw --stats w.vivw", "w.vivw: named by both --load-world and --stats" + own},
      {"--steps 5 --csv settings.ini", "settings.ini: named by both --settings and --csv" + own},
      {"--steps 5 --csv y.csv --stats ./y.csv", "./y.csv: named by both --csv and --stats" + own},
      {"--steps 5 --csv /dev/null",
       "/dev/null: this is not a regular file; outputs are written to regular files only\n"},
  };
  for (const auto& [args, message] : clashes) {
    Result r = Run(Settings() + args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_EQ(r.err, "vivarion-cli: " + message) << args;
  }
  EXPECT_FALSE(fs::exists(dir / "y.csv"));
  Result empty = Run(Settings() + "--steps 5 --save-world ''");
  EXPECT_EQ(empty.status, 2);
  EXPECT_NE(empty.err.find("--save-world needs a file name, not an empty one"), std::string::npos) << empty.err;
  // A link is replaced by the output; what it named is left as it was.
  std::ofstream(dir / "target.txt") << "keep";
  fs::create_symlink("target.txt", dir / "link.csv");
  ASSERT_EQ(Run(Settings() + "--steps 10 --report 5 --csv link.csv").status, 0);
  std::ifstream target(dir / "target.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(target), {}), "keep");
  EXPECT_FALSE(fs::is_symlink(dir / "link.csv"));
  // Resumed with the same --stats and --evolution: the rows are those of a run that never
  // stopped (the flows since the last report and the shadow's lines travel in the file).
  ASSERT_EQ(Run(Settings() + "--seed 2 --steps 300 --report 100 --save-world w.vivw --evolution evo.csv").status, 0);
  ASSERT_EQ(
      Run(Settings() + "--load-world w.vivw --steps 300 --report 100 --stats rows.csv --evolution evo.csv").status, 0);
  ASSERT_EQ(Run(Settings() + "--seed 2 --steps 600 --report 100 --stats straight.csv --evolution evo2.csv").status, 0);
  auto read = [&](const char* name) {
    std::ifstream in(dir / name);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string rows = read("rows.csv");
  EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 7);
  EXPECT_EQ(rows, read("straight.csv"));
  EXPECT_EQ(read("evo.csv"), read("evo2.csv"));
}

}  // namespace

// Faults a user meets before the world even runs: a settings file that is not there, a copy
// of the runner with no settings anywhere, outputs that cannot be written (found before the
// run, not after it), and pictures of both kinds in one run.
TEST_F(Runner, SettingsAndOutputsAreSettledBeforeTheFirstStep) {
  Result missing = Run("--settings nosuch.ini --steps 10");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "vivarion-cli: nosuch.ini: cannot open the settings file\n");
  fs::create_directories(dir / "folder.ini");
  Result folder = Run("--settings folder.ini --steps 10");
  EXPECT_EQ(folder.status, 1);
  EXPECT_NE(folder.err.find("folder.ini: this is a folder"), std::string::npos) << folder.err;

  std::ofstream(dir / "typo.ini") << "[VIVARION]\nSunLigth=0.75\nBrown=3\nfoo = 1\n";
  Result typo = Run("--settings typo.ini --steps 10");
  EXPECT_EQ(typo.status, 0);
  EXPECT_EQ(typo.err, "vivarion-cli: typo.ini: unknown keys ignored: SunLigth, foo\n");

  fs::copy_file(VIVARION_CLI_PATH, dir / "copied-cli");
  Result copied =
      Run("--version >/dev/null; HOME='" + dir.string() + "' XDG_CONFIG_HOME= ./copied-cli --seed 1 --steps 10");
  EXPECT_EQ(copied.status, 0) << copied.err;
  EXPECT_NE(copied.err.find("no settings file found (looked for " + (dir / "VIVARION.ini").string() + ", " +
                            (dir / ".config/vivarion/VIVARION.ini").string()),
            std::string::npos)
      << copied.err;
  EXPECT_NE(copied.err.find("using the built-in values"), std::string::npos) << copied.err;

  for (const char* option : {"--save-world", "--csv", "--stats", "--species-csv", "--phylogeny", "--plot", "--png"}) {
    Result r = Run(Settings() + "--steps 100000000 " + option + " nowhere/out");
    EXPECT_EQ(r.status, 1) << option;
    EXPECT_EQ(r.err, "vivarion-cli: nowhere/out: cannot write the file: No such file or directory\n") << option;
    EXPECT_EQ(r.out, "") << option;  // refused before the first step
  }
  Result checkpoint = Run(Settings() + "--steps 100000000 --checkpoint folder.ini --checkpoint-every 5");
  EXPECT_EQ(checkpoint.err, "vivarion-cli: folder.ini: cannot write the file: Is a directory\n");
  Result animals = Run(Settings() + "--steps 100000000 --save-animals nowhere");
  EXPECT_EQ(animals.err, "vivarion-cli: nowhere: cannot write into the folder: No such file or directory\n");

  Result pictures = Run(Settings() + "--seed 2 --steps 20 --png a.png --plot b.png");
  EXPECT_EQ(pictures.status, 0) << pictures.err;
  EXPECT_GT(fs::file_size(dir / "a.png"), 1000u);
  EXPECT_GT(fs::file_size(dir / "b.png"), 1000u);
  EXPECT_TRUE(fs::is_empty(dir / "folder.ini"));  // no probe or temporary file left behind
}

// A world resumed under a settings file that differs from the one it was saved under: the keys
// that differ are named, and --world-settings runs it under its own.
TEST_F(Runner, ResumingUnderOtherSettingsIsNamedOrAvoided) {
  ASSERT_EQ(Run(Settings() + "--seed 6 --steps 200 --save-world w.vivw").status, 0);
  std::ifstream in(dir / "settings.ini");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  text.replace(text.find("Brown=3"), 7, "Brown=2");
  std::ofstream(dir / "other.ini") << text << "OrganLoss=0.1\n";
  Result other = Run("--settings other.ini --load-world w.vivw --steps 100");
  EXPECT_EQ(other.status, 0);
  EXPECT_EQ(other.err, "vivarion-cli: settings differ from the world file's: Brown 3 -> 2, OrganLoss 0 -> 0.1\n");
  Result own = Run("--settings other.ini --load-world w.vivw --steps 300 --world-settings");
  EXPECT_EQ(own.err, "");
  EXPECT_EQ(own.out, Run(Settings() + "--seed 6 --steps 500").out);
  Result same = Run(Settings() + "--load-world w.vivw --steps 1");
  EXPECT_EQ(same.err, "");
  Result alone = Run(Settings() + "--world-settings");
  EXPECT_EQ(alone.status, 2);
  EXPECT_EQ(alone.err.rfind("vivarion-cli: --world-settings goes with --load-world\n", 0), 0u) << alone.err;
}

namespace {

// The time left follows the recent speed: a world that slows as it grows must not be judged
// by its fast start.
TEST(ProgressLine, TheRateIsTheLastTenSeconds) {
  std::ostringstream err;
  viv::TProgressLine line(err, false, 0, 1000000);
  const auto t0 = std::chrono::steady_clock::now();
  line.Sample(t0, 0);
  for (int s = 1; s <= 10; ++s) line.Sample(t0 + std::chrono::seconds(s), 10000 * s);  // 10,000 a second
  for (int s = 11; s <= 30; ++s) line.Sample(t0 + std::chrono::seconds(s), 100000 + 1000 * (s - 10));  // 1,000
  EXPECT_NEAR(line.RecentRate(), 1000, 1);
}

}  // namespace
