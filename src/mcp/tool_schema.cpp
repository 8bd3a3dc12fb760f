#include <cmath>
#include <string>

#include "mcp/toolbox.h"

namespace viv {

namespace {

// How a JSON value's kind reads in a message.
std::string KindOf(const TJson& value) {
  if (value.is_boolean()) return "true or false";
  if (value.is_number_integer() || value.is_number_unsigned()) return "a whole number";
  if (value.is_number()) return "a number";
  if (value.is_string()) return "a text";
  if (value.is_array()) return "a list";
  if (value.is_object()) return "an object";
  return "null";
}

// Whether value is of the schema's type: whole numbers may be written 1000 or 1000.0, never 1e3.5.
bool OfType(const TJson& value, const std::string& type) {
  if (type == "integer")
    return value.is_number_integer() || value.is_number_unsigned() ||
           (value.is_number_float() && std::isfinite(value.get<double>()) &&
            std::trunc(value.get<double>()) == value.get<double>());
  if (type == "number") return value.is_number();
  if (type == "string") return value.is_string();
  if (type == "boolean") return value.is_boolean();
  if (type == "array") return value.is_array();
  if (type == "object") return value.is_object();
  return true;
}

std::string Wanted(const std::string& type) {
  if (type == "integer") return "a whole number";
  if (type == "number") return "a number";
  if (type == "string") return "a text";
  if (type == "boolean") return "true or false";
  if (type == "array") return "a list";
  return "an object";
}

void CheckValue(const std::string& where, const TJson& schema, const TJson& value) {
  if (schema.contains("type")) {
    const std::string type = schema["type"];
    if (!OfType(value, type)) throw ETool(where + " needs " + Wanted(type) + ", not " + KindOf(value));
  }
  if (value.is_number()) {
    const double v = value.get<double>();
    if (schema.contains("minimum") && v < schema["minimum"].get<double>())
      throw ETool(where + " must be at least " + schema["minimum"].dump() + ", not " + value.dump());
    if (schema.contains("maximum") && v > schema["maximum"].get<double>())
      throw ETool(where + " must be at most " + schema["maximum"].dump() + ", not " + value.dump());
  }
  if (schema.contains("enum")) {
    bool known = false;
    for (const TJson& option : schema["enum"]) known = known || option == value;
    if (!known) throw ETool(where + " must be one of " + schema["enum"].dump() + ", not " + value.dump());
  }
  if (value.is_string() && value.get_ref<const std::string&>().find('\0') != std::string::npos)
    throw ETool(where + " holds a NUL character");
  if (value.is_array()) {
    if (schema.contains("minItems") && value.size() < schema["minItems"].get<size_t>())
      throw ETool(where + " needs at least " + schema["minItems"].dump() + " items, not " +
                  std::to_string(value.size()));
    if (schema.contains("maxItems") && value.size() > schema["maxItems"].get<size_t>())
      throw ETool(where + " takes at most " + schema["maxItems"].dump() + " items, not " +
                  std::to_string(value.size()));
    if (schema.contains("items"))
      for (size_t k = 0; k < value.size(); ++k)
        CheckValue(where + "[" + std::to_string(k) + "]", schema["items"], value[k]);
  }
  if (value.is_object() && schema.contains("properties")) CheckArguments(where, schema, value);
}

}  // namespace

void CheckArguments(const std::string& tool, const TJson& schema, const TJson& arguments) {
  if (!arguments.is_object()) throw ETool(tool + ": the arguments must be an object, not " + KindOf(arguments));
  const TJson& properties = schema.value("properties", TJson::object());
  std::string names;
  for (const auto& [name, _] : properties.items()) names += (names.empty() ? "" : ", ") + name;
  if (schema.contains("required"))
    for (const TJson& name : schema["required"])
      if (!arguments.contains(name.get<std::string>()))
        throw ETool(tool + ": the argument '" + name.get<std::string>() + "' is missing");
  for (const auto& [name, value] : arguments.items()) {
    if (!properties.contains(name)) {
      if (schema.contains("additionalProperties") && schema["additionalProperties"] != false) continue;
      throw ETool(tool + ": no argument is called '" + name + "' (it takes " + (names.empty() ? "none" : names) + ")");
    }
    CheckValue(tool + ": " + name, properties[name], value);
  }
}

TJson ObjectSchema(TJson properties, const std::vector<std::string>& required) {
  if (properties.is_null()) properties = TJson::object();  // {} reads as null
  TJson schema = {{"type", "object"}, {"properties", std::move(properties)}, {"additionalProperties", false}};
  if (!required.empty()) schema["required"] = required;
  return schema;
}

TJson WholeSchema(const std::string& description, double minimum, double maximum) {
  return {{"type", "integer"}, {"description", description}, {"minimum", minimum}, {"maximum", maximum}};
}

TJson NumberSchema(const std::string& description) { return {{"type", "number"}, {"description", description}}; }
TJson TextSchema(const std::string& description) { return {{"type", "string"}, {"description", description}}; }
TJson FlagSchema(const std::string& description) { return {{"type", "boolean"}, {"description", description}}; }

TJson WorldNameSchema() { return TextSchema("the world's name, as new_world or load_world gave it"); }

TJson KeysSchema(const std::string& description) {
  return {{"type", "object"}, {"description", description}, {"additionalProperties", NumberSchema("the key's value")}};
}

std::string WorldName(const TJson& arguments, const char* key) { return arguments.at(key).get<std::string>(); }

}  // namespace viv
