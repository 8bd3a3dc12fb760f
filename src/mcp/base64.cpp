#include "mcp/base64.h"

#include <cstdint>

namespace viv {

std::string Base64(const std::string& bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t k = 0;
  for (; k + 2 < bytes.size(); k += 3) {
    const uint32_t n = static_cast<uint8_t>(bytes[k]) << 16 | static_cast<uint8_t>(bytes[k + 1]) << 8 |
                       static_cast<uint8_t>(bytes[k + 2]);
    out += {digits[n >> 18], digits[(n >> 12) & 63], digits[(n >> 6) & 63], digits[n & 63]};
  }
  if (k + 1 == bytes.size()) {
    const uint32_t n = static_cast<uint8_t>(bytes[k]) << 16;
    out += {digits[n >> 18], digits[(n >> 12) & 63], '=', '='};
  } else if (k + 2 == bytes.size()) {
    const uint32_t n = static_cast<uint8_t>(bytes[k]) << 16 | static_cast<uint8_t>(bytes[k + 1]) << 8;
    out += {digits[n >> 18], digits[(n >> 12) & 63], digits[(n >> 6) & 63], '='};
  }
  return out;
}

}  // namespace viv
