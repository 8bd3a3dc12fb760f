#pragma once
// Reading attributes of animal files.
#include <pugixml.hpp>

#include <string>

namespace viv {

// The text of an attribute; a missing one is the conversion error of a null value,
// "Could not convert variant of type (Null) into type (String)".
std::string AttributeText(const pugi::xml_node& node, const char* name);
// The attribute as a single-precision number (EConvertError when it does not read as one).
float AttributeSingle(const pugi::xml_node& node, const char* name);

}  // namespace viv
