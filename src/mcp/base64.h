#pragma once
// Base64 (RFC 4648, with padding), as MCP sends binary content such as pictures.
#include <string>

namespace viv {

std::string Base64(const std::string& bytes);

}  // namespace viv
