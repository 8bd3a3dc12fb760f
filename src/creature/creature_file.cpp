// Animal files: a creature's body and organs as XML.
#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/files.h"
#include "config/number_text.h"
#include "creature/animal_document.h"
#include "creature/creature.h"
#include "parts/organ_limits.h"
#include "parts/xml_attribute.h"

namespace viv {

void TCreature::ReadDocument(const pugi::xml_document& document) {
  pugi::xml_node root = document.document_element();
  if (!root) throw EVivarion("the document has no root element");
  Vegetable = StrToBool(AttributeText(root, "vegetable"));
  const std::string radius = AttributeText(root, "radius");
  Radius = StrToSingle(radius);
  // A body's size is its energy: a negative one has no meaning and would upset the world's
  // indexes of where creatures reach.
  if (!(Radius >= 0)) throw EVivarion("the radius " + radius + " is not a size (it must be 0 or more)");
  MaxEnergy = StrToSingle(AttributeText(root, "maxenergy"));
  Color = static_cast<TColor>(StrToInt(AttributeText(root, "color")));
  Parts.LoadFromXML(document);
  CheckAnimalLimits(Parts);
}

void TCreature::LoadFromFile(const std::string& fileName) {
  const std::string text = ReadRegularFile(fileName, MaxAnimalFileBytes, "an animal file");
  if (text.rfind("VIVWORLD", 0) == 0)
    throw EVivarion(fileName +
                    ": this is a world file, not an animal file (it is opened as a world: Ctrl+O, --load-world)");
  WithFileName(fileName, [&] {
    pugi::xml_document document;
    ParseAnimalDocument(text, document);
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
