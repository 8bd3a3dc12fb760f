#pragma once
// Parsing the text of an animal file into a document, with the checks of well-formed XML
// that the parser leaves to its caller.
#include <pugixml.hpp>

#include <string>

namespace viv {

// Parses text into document. Throws EVivarion with a message for text that is not UTF-8
// (or declares another encoding) or not well-formed XML: the parser's own errors, a
// repeated attribute, more than one root element, text outside the root element, a raw
// "<" in an attribute value, an entity other than the five of XML and character references.
void ParseAnimalDocument(const std::string& text, pugi::xml_document& document);

}  // namespace viv
