#include "creature/animal_document.h"

#include <cstring>
#include <set>
#include <string_view>

#include "config/duck.h"
#include "config/errors.h"

namespace viv {

namespace {

[[noreturn]] void Fail(const std::string& message) { throw EVivarion(message); }

// The offset of the first byte that breaks UTF-8, or npos.
size_t FirstBadUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n;
    uint32_t code;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      n = 1, code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2, code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3, code = c & 0x07;
    } else {
      return i;
    }
    if (i + n >= s.size()) return i;
    for (size_t k = 1; k <= n; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return i;
      code = (code << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    if ((n == 2 && code < 0x800) || (n == 3 && code < 0x10000) || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return i;
    i += n + 1;
  }
  return std::string_view::npos;
}

// Every "&" of a raw value must start one of XML's five entities or a character reference.
void CheckReferences(std::string_view raw, const std::string& where) {
  for (size_t i = raw.find('&'); i != std::string_view::npos; i = raw.find('&', i + 1)) {
    const size_t end = raw.find(';', i);
    const std::string_view name = end == std::string_view::npos ? raw.substr(i + 1) : raw.substr(i + 1, end - i - 1);
    bool known = end != std::string_view::npos &&
                 (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos");
    if (!known && end != std::string_view::npos && name.size() >= 2 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      known = !digits.empty() &&
              digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") == std::string_view::npos;
    }
    if (!known) Fail("undefined entity \"&" + std::string(name.substr(0, 40)) + "\" in " + where);
  }
}

// The checks on the tree as parsed without expanding entities, so that raw text is seen.
void CheckRawTree(const pugi::xml_document& raw) {
  int roots = 0;
  for (pugi::xml_node n : raw.children()) {
    if (n.type() == pugi::node_element) ++roots;
    if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) Fail("text outside the root element");
  }
  if (roots > 1) Fail("more than one root element");
  // Walks every element without recursion: documents may nest very deep.
  pugi::xml_node n = raw.first_child();
  while (n) {
    if (n.type() == pugi::node_element) {
      std::set<std::string_view> names;
      for (pugi::xml_attribute a : n.attributes()) {
        const std::string where = "attribute \"" + std::string(a.name()) + "\" of <" + n.name() + ">";
        if (!names.insert(a.name()).second) Fail("repeated " + where);
        if (std::strchr(a.value(), '<')) Fail("a \"<\" in the value of " + where);
        CheckReferences(a.value(), where);
      }
    } else if (n.type() == pugi::node_pcdata) {
      CheckReferences(n.value(), std::string("the text of <") + n.parent().name() + ">");
    }
    if (n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n && !n.next_sibling()) n = n.parent();
    if (n) n = n.next_sibling();
  }
}

void CheckEncoding(const std::string& text, const pugi::xml_document& raw) {
  for (pugi::xml_node n : raw.children()) {
    if (n.type() != pugi::node_declaration) continue;
    const std::string encoding = n.attribute("encoding").value();
    const std::string lower = LowerAscii(encoding);
    if (!encoding.empty() && lower != "utf-8" && lower != "utf8" && lower != "us-ascii" && lower != "ascii")
      Fail("the file declares the encoding \"" + encoding + "\"; only UTF-8 is read");
  }
  const size_t bad = FirstBadUtf8(text);
  if (bad != std::string::npos) Fail("the file is not UTF-8 text (byte " + std::to_string(bad) + ")");
}

// The parser's own message for a document that failed to parse.
std::string ParseMessage(const pugi::xml_parse_result& parsed) {
  return std::string(parsed.description()) + " at offset " + std::to_string(parsed.offset);
}

}  // namespace

void ParseAnimalDocument(const std::string& text, pugi::xml_document& document) {
  // UTF-8 only: the parser is told so, and other encodings are refused by the checks.
  pugi::xml_parse_result parsed =
      document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) Fail(ParseMessage(parsed));
  // Once more as a fragment without expanding entities: the parser then keeps text beside
  // the root element and raw values, for the checks it leaves to us.
  pugi::xml_document raw;
  const unsigned rawOptions =
      (pugi::parse_default | pugi::parse_declaration | pugi::parse_fragment) & ~pugi::parse_escapes;
  parsed = raw.load_buffer(text.data(), text.size(), rawOptions, pugi::encoding_utf8);
  if (!parsed) Fail(ParseMessage(parsed));
  CheckEncoding(text, raw);
  CheckRawTree(raw);
}

}  // namespace viv
