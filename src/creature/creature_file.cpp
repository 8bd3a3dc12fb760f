// Animal files: a creature's body and organs as XML.
#include <pugixml.hpp>

#include <filesystem>
#include <sstream>

#include "config/files.h"
#include "config/number_text.h"
#include "creature/creature.h"
#include "parts/xml_attribute.h"

namespace viv {

namespace {

// The reader's own message for a document that failed to parse.
std::string ParseMessage(const pugi::xml_parse_result& parsed) {
  if (parsed.status == pugi::status_file_not_found) return "cannot open the file";
  if (parsed.status == pugi::status_io_error) return "cannot read the file";
  return std::string(parsed.description()) + " at offset " + std::to_string(parsed.offset);
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
    pugi::xml_parse_result parsed = document.load_file(fileName.c_str());
    if (!parsed) throw EVivarion(ParseMessage(parsed));
    ReadDocument(document);
  });
}

void TCreature::LoadFromText(const std::string& text, const std::string& name) {
  WithFileName(name, [&] {
    pugi::xml_document document;
    pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size());
    if (!parsed) throw EVivarion(ParseMessage(parsed));
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

void TCreature::SaveToFile(const std::string& fileName) const {
  WriteFileAtomically(fileName, ToXmlText(), false);
}

}  // namespace viv
