// Animal files: a creature's body and organs as XML.
#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/files.h"
#include "config/number_text.h"
#include "creature/animal_document.h"
#include "creature/creature.h"
#include "parts/xml_attribute.h"

namespace viv {

namespace {

std::string ReadWholeFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EVivarion("cannot open the file");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw EVivarion("cannot read the file");
  return text.str();
}

}  // namespace

void TCreature::ReadDocument(const pugi::xml_document& document) {
  pugi::xml_node root = document.document_element();
  if (!root) throw EVivarion("the document has no root element");
  Vegetable = StrToBool(AttributeText(root, "vegetable"));
  Radius = StrToSingle(AttributeText(root, "radius"));
  MaxEnergy = StrToSingle(AttributeText(root, "maxenergy"));
  Color = static_cast<TColor>(StrToInt(AttributeText(root, "color")));
  Parts.LoadFromXML(document);
}

void TCreature::LoadFromFile(const std::string& fileName) {
  WithFileName(fileName, [&] {
    std::error_code ec;
    if (std::filesystem::is_directory(fileName, ec)) throw EVivarion("this is a folder, not an animal file");
    pugi::xml_document document;
    ParseAnimalDocument(ReadWholeFile(fileName), document);
    ReadDocument(document);
  });
}

void TCreature::LoadFromText(const std::string& text, const std::string& name) {
  WithFileName(name, [&] {
    pugi::xml_document document;
    ParseAnimalDocument(text, document);
    ReadDocument(document);
  });
}

std::string TCreature::ToXmlText() const {
  pugi::xml_document document;
  pugi::xml_node root = document.append_child("vivarion");
  root.append_attribute("vegetable").set_value(Vegetable ? "True" : "False");
  root.append_attribute("radius").set_value(FloatToText(Radius).c_str());
  root.append_attribute("maxenergy").set_value(FloatToText(MaxEnergy).c_str());
  root.append_attribute("color").set_value(std::to_string(static_cast<int32_t>(Color)).c_str());
  Parts.SaveToXML(document);
  std::ostringstream out;
  document.save(out, "", pugi::format_raw);
  return out.str();
}

void TCreature::SaveToFile(const std::string& fileName) const { WriteFileAtomically(fileName, ToXmlText(), false); }

}  // namespace viv
