// Every broken animal file gives one clear error naming the file, and nothing crashes.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "test_support.h"
#include "world/world.h"

namespace viv {
namespace {

namespace fs = std::filesystem;

struct Broken {
  std::string file, message;
  bool atStep;
};

std::vector<Broken> ReadTable() {
  std::vector<Broken> rows;
  std::ifstream in(std::string(VIVARION_TEST_DATA) + "/malformed/expected.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    Broken b;
    std::istringstream s(line);
    std::getline(s, b.file, '|');
    std::getline(s, b.message, '|');
    b.atStep = b.message == "step";
    if (b.atStep) std::getline(s, b.message);
    rows.push_back(b);
  }
  return rows;
}

using Malformed = CleanWorld;

TEST_F(Malformed, EveryBrokenFileGivesItsMessage) {
  const auto rows = ReadTable();
  ASSERT_GE(rows.size(), 15u);
  for (const Broken& b : rows) {
    const std::string path = std::string(VIVARION_TEST_DATA) + "/malformed/" + b.file;
    TWorld world;
    std::string message;
    try {
      world.Populate(800, 600, {path}, {1, 5});
      if (b.atStep) world.WorldStep();
    } catch (const std::exception& e) {
      message = e.what();
    }
    EXPECT_EQ(message, path + ": " + b.message) << b.file;
  }
}

TEST_F(Malformed, WellFormedVariantsStillLoad) {
  // A byte-order mark, a UTF-8 declaration, references to XML's entities and to characters,
  // a comment and a non-ASCII id.
  TCreature c;
  c.LoadFromText(
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><!-- made by hand --><vivarion "
      "vegetable=\"False\" radius=\"&#52;0\" maxenergy=\"2000\" color=\"1\"><parts><part type=\"eye\" "
      "id=\"&lt;\xC3\xA9&amp;&#x41;&quot;\" phi=\"0\"/></parts></vivarion>\n",
      "hand.viv");
  EXPECT_EQ(c.Radius, 40);
  EXPECT_EQ(c.Parts.GetPart(0)->Id, "<\xC3\xA9&A\"");
}

TEST_F(Malformed, GeneratedMonstersAreHandled) {
  const fs::path dir = fs::temp_directory_path() / TestFolderName("vivarion");
  fs::remove_all(dir);
  fs::create_directories(dir / "folder.viv");
  const std::string head = R"(<vivarion vegetable="False" radius="40" maxenergy="2000" color="1"><parts>)";
  // A formula of a megabyte, valid: read and evaluated like any other.
  std::string formula;
  while (formula.size() < (1 << 20)) formula += "E.1*0.5+";
  std::ofstream(dir / "long.viv")
      << head << R"(<part type="eye" id="E" phi="0"/><part type="engine" id="M" phi="3" angle="0" formula=")" << formula
      << R"("/></parts></vivarion>)";
  // Elements nested a hundred thousand deep inside an organ.
  std::ofstream deep(dir / "deep.viv");
  deep << head << R"(<part type="eye" id="E" phi="0">)";
  for (int i = 0; i < 100000; ++i) deep << "<a>";
  for (int i = 0; i < 100000; ++i) deep << "</a>";
  deep << "</part></parts></vivarion>";
  deep.close();

  TCreature longOne;
  longOne.LoadFromFile((dir / "long.viv").string());
  longOne.Parts.GetPart(1)->Update(Random);
  TCreature deepOne;
  deepOne.LoadFromFile((dir / "deep.viv").string());
  EXPECT_EQ(deepOne.Parts.Count(), 1);
  TCreature folder;
  try {
    folder.LoadFromFile((dir / "folder.viv").string());
    FAIL();
  } catch (const EVivarion& e) {
    EXPECT_EQ(std::string(e.what()), (dir / "folder.viv").string() + ": this is a folder, not an animal file");
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace viv
