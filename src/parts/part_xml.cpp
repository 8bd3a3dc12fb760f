// Organs to and from the "parts" element of an animal file.
#include <pugixml.hpp>

#include "config/duck.h"
#include "config/number_text.h"
#include "parts/organ_kinds.h"
#include "parts/part_list.h"
#include "parts/xml_attribute.h"

namespace viv {

namespace {

// "<part> 3 (id "MidEngine")": an element as a user finds it in the file.
std::string ElementName(const pugi::xml_node& node) {
  std::string text = "<" + std::string(node.name()) + ">";
  if (node.parent() && node.parent().type() == pugi::node_element) {
    int position = 1;
    for (pugi::xml_node n = node.previous_sibling(); n; n = n.previous_sibling())
      position += n.type() == pugi::node_element;
    text += " " + std::to_string(position);
  }
  if (pugi::xml_attribute id = node.attribute("id")) text += " (id \"" + std::string(id.value()) + "\")";
  return text;
}

}  // namespace

std::string AttributeText(const pugi::xml_node& node, const char* name) {
  pugi::xml_attribute a = node.attribute(name);
  if (!a)
    throw EConvertError("Could not convert variant of type (Null) into type (String): no attribute \"" +
                        std::string(name) + "\" in " + ElementName(node));
  return a.value();
}

float AttributeSingle(const pugi::xml_node& node, const char* name) { return StrToSingle(AttributeText(node, name)); }

namespace {

TPart* ReadPart(const pugi::xml_node& node, TVirtualCreature* owner) {
  std::string type = AttributeText(node, "type");
  std::string id = AttributeText(node, "id");
  if (const TOrganKind* kind = OrganKindNamed(type)) return kind->FromXml(node, owner, id);
  throw EVivarion("TPartList.LoadFromXML: No such part type: " + type);
}

}  // namespace

void TPartList::LoadFromXML(const pugi::xml_document& document) {
  pugi::xml_node root = document.document_element();
  pugi::xml_node parts = root.child("parts");
  if (!parts) throw EVivarion("TPartList.LoadFromXML: the root element has no \"parts\" element");
  for (pugi::xml_node node : parts.children()) {
    switch (node.type()) {
      case pugi::node_element: Add(ReadPart(node, Owner)); break;
      case pugi::node_comment:
      case pugi::node_pi: break;
      default: throw EVivarion("TPartList.LoadFromXML: the \"parts\" element holds something that is not an organ");
    }
  }
}

void TPartList::SaveToXML(pugi::xml_document& document) const {
  pugi::xml_node parts = document.document_element().append_child("parts");
  for (const TPart* part : Items) part->SaveToXML(parts);
}

void TPart::SaveToXML(pugi::xml_node parent) const {
  pugi::xml_node node = parent.append_child("part");
  std::string names = PropertyNames(), name;
  while (!names.empty()) {
    SplitOff(names, "|", name);
    node.append_attribute(name.c_str()).set_value(GetProperty(name).c_str());
  }
}

}  // namespace viv
