#include <filesystem>
#include <fstream>

#include "parts/brain.h"
#include "parts/engine.h"
#include "parts/eye.h"
#include "test_support.h"
#include "world/world.h"

namespace viv {
namespace {

namespace fs = std::filesystem;

class AnimalFile : public CleanWorldWithFolder {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The message of loading text as an animal file, with the file name removed.
  std::string LoadError(const std::string& text) {
    std::string path = Write("bad.viv", text);
    TCreature c;
    try {
      c.LoadFromFile(path);
    } catch (const std::exception& e) {
      std::string m = e.what();
      EXPECT_EQ(m.rfind(path + ": ", 0), 0u) << m;
      return m.substr(path.size() + 2);
    }
    return "";
  }
};

const char* const Body = R"(<vivarion vegetable="False" radius="40" maxenergy="2000" color="33574992">)";

TEST_F(AnimalFile, WritesTheDocumentAsSpecifiedAndReadsItBack) {
  TCreature* adam = CreateAdam(World);
  std::string text = adam->ToXmlText();
  EXPECT_EQ(
      text.rfind(std::string("<?xml version=\"1.0\"?>") + Body +
                     "<parts><part type=\"brain\" id=\"Brain\" r=\"0\" "
                     "phi=\"0\" random=\"0\" constant=\"1\" formula=\"\"/><part type=\"eye\" id=\"RightEye\" r=\"1\" "
                     "phi=\"0.523598790168762\"/>",
                 0),
      0u)
      << text;
  EXPECT_NE(text.find("<part type=\"engine\" id=\"MidEngine\" r=\"1\" phi=\"3.14159274101257\" angle=\"0\" "
                      "formula=\"RightEye.1*8 + LeftEye.1*8\"/>"),
            std::string::npos);
  std::string path = (dir / "ADAM.viv").string();
  adam->SaveToFile(path);
  TCreature back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Vegetable, false);
  EXPECT_EQ(back.Radius, 40);
  EXPECT_EQ(back.MaxEnergy, 2000);
  EXPECT_EQ(back.Color, 0x02005050u);
  EXPECT_EQ(back.Name, "");
  ASSERT_EQ(back.Parts.Count(), 8);
  for (int i = 0; i < 8; ++i) {
    TPart* a = adam->Parts.GetPart(i);
    TPart* b = back.Parts.GetPart(i);
    EXPECT_EQ(b->Owner, &back);
    for (const char* prop : {"type", "id", "r", "phi", "angle", "formula", "random", "constant"})
      EXPECT_EQ(a->GetProperty(prop), b->GetProperty(prop)) << i << prop;
  }
  // Read and written again: the same bytes.
  std::string again = (dir / "again.viv").string();
  back.SaveToFile(again);
  EXPECT_EQ(ReadFile(again), ReadFile(path));
  delete adam;
}

TEST_F(AnimalFile, MutatedValuesSurviveTheRoundTripExactly) {
  TCreature* adam = CreateAdam(World);
  for (int i = 0; i < 20; ++i)
    for (TPart* p : adam->Parts.Items) p->Mutate(1, Random);
  adam->Radius = 12.345678f;
  adam->MaxEnergy = 1e-7f;
  std::string path = (dir / "m.viv").string();
  adam->SaveToFile(path);
  TCreature back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Radius, adam->Radius);
  EXPECT_EQ(back.MaxEnergy, adam->MaxEnergy);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(back.Parts.GetPart(i)->Phi, adam->Parts.GetPart(i)->Phi);
  EXPECT_EQ(static_cast<TBrain*>(back.Parts.GetPart(0))->Constant,
            static_cast<TBrain*>(adam->Parts.GetPart(0))->Constant);
  delete adam;
}

TEST_F(AnimalFile, ReadsLooselyWrittenFiles) {
  std::string path =
      Write("loose.viv",
            "<?xml version=\"1.0\"?>\n<animal color=\"$FF\" maxenergy=\" 500 \" radius=\"10\" vegetable=\"1\" "
            "extra=\"x\">\n  <!-- organs -->\n  <parts>\n    <organ id=\"E\" type=\"eye\" r=\"0.5\" phi=\"1\"/>\n"
            "    <part type=\"brain\" id=\"B\" r=\"0.5\" phi=\"0\" random=\"0\" constant=\"2\" formula=\"\"/>\n"
            "    <?pi ignored?>\n    <part type=\"eye\" id=\"E\" phi=\"2\"/>\n  </parts>\n</animal>\n");
  TCreature c;
  c.LoadFromFile(path);
  EXPECT_TRUE(c.Vegetable);
  EXPECT_EQ(c.Color, 255u);
  EXPECT_EQ(c.MaxEnergy, 500);
  ASSERT_EQ(c.Parts.Count(), 3);
  EXPECT_EQ(c.Parts.GetPart(0)->R, 1.0f);  // eyes always sit on the rim
  EXPECT_EQ(c.Parts.GetPart(1)->R, 0.5f);  // brains keep their r
  EXPECT_EQ(c.FindPart("E"), c.Parts.GetPart(0));
  std::string empty = Write("empty.viv", std::string(Body) + "<parts/></vivarion>");
  TCreature e;
  e.LoadFromFile(empty);
  EXPECT_EQ(e.Parts.Count(), 0);
}

TEST_F(AnimalFile, EveryFaultGivesItsMessage) {
  const std::string b = Body;
  struct Row {
    std::string text, message;
  } rows[] = {
      {b + "<parts><part type=\"Eye\" id=\"E\" phi=\"0\"/></parts></vivarion>",
       "TPartList.LoadFromXML: No such part type: Eye"},
      {b + "<parts><part id=\"E\" phi=\"0\"/></parts></vivarion>",
       "Could not convert variant of type (Null) into type (String): no attribute \"type\" in <part> 1 (id \"E\")"},
      {b + "<parts><!-- c --><part type=\"eye\" id=\"E\" phi=\"0\"/><part type=\"engine\" id=\"F\" phi=\"0\" "
           "formula=\"\"/></parts></vivarion>",
       "Could not convert variant of type (Null) into type (String): no attribute \"angle\" in <part> 2 (id \"F\")"},
      {b + "<parts><part type=\"eye\" id=\"E\" phi=\"north\"/></parts></vivarion>",
       "'north' is not a valid floating point value"},
      {"<vivarion vegetable=\"maybe\" radius=\"1\" maxenergy=\"1\" color=\"1\"><parts/></vivarion>",
       "'maybe' is not a valid boolean value"},
      {"<vivarion vegetable=\"False\" radius=\"1\" maxenergy=\"1\" color=\"red\"><parts/></vivarion>",
       "'red' is not a valid integer value"},
      {"<vivarion vegetable=\"False\" radius=\"1e39\" maxenergy=\"1\" color=\"1\"><parts/></vivarion>",
       "'1e39' is not a valid floating point value"},
      {"<vivarion vegetable=\"False\" radius=\"NaN\" maxenergy=\"1\" color=\"1\"><parts/></vivarion>",
       "'NaN' is not a valid floating point value"},
      {"<vivarion vegetable=\"False\" maxenergy=\"1\" color=\"1\"><parts/></vivarion>",
       "Could not convert variant of type (Null) into type (String): no attribute \"radius\" in <vivarion>"},
      {b + "</vivarion>", "TPartList.LoadFromXML: the root element has no \"parts\" element"},
      {b + "<parts>text<part type=\"eye\" id=\"E\" phi=\"0\"/></parts></vivarion>",
       "TPartList.LoadFromXML: the \"parts\" element holds something that is not an organ"},
      {"", "No document element found at offset 0"},
      {b + "<parts>", "Start-end tags mismatch at offset 80"},
  };
  for (const Row& row : rows) EXPECT_EQ(LoadError(row.text), row.message) << row.text;
  TCreature c;
  try {
    c.LoadFromFile((dir / "missing.viv").string());
    FAIL();
  } catch (const EVivarion& e) {
    EXPECT_EQ(std::string(e.what()), (dir / "missing.viv").string() + ": cannot open the file");
  }
  EXPECT_THROW(c.LoadFromFile(dir.string()), EVivarion);  // a folder is no file
}

TEST_F(AnimalFile, FieldsAndOrgansReadBeforeAFaultStay) {
  std::string path =
      Write("half.viv",
            std::string(Body) +
                "<parts><part type=\"eye\" id=\"E\" phi=\"0\"/><part type=\"gill\" id=\"G\"/></parts></vivarion>");
  TCreature c;
  EXPECT_THROW(c.LoadFromFile(path), EVivarion);
  EXPECT_EQ(c.Radius, 40);
  EXPECT_EQ(c.Parts.Count(), 1);
}

}  // namespace
}  // namespace viv
