#include "config/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "config/errors.h"

namespace viv {

std::string FloatToText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  // 15 significant digits: one before the point and fourteen after it. to_chars never
  // consults the locale, so the separator is "." whatever LC_ALL says.
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  std::string s(buf, ec == std::errc() ? end : buf);
  bool negative = s[0] == '-';
  if (negative) s.erase(0, 1);
  size_t ePos = s.find('e');
  int exponent = 0;
  const char* e = s.c_str() + ePos + 1;
  if (*e == '+') ++e;
  std::from_chars(e, s.c_str() + s.size(), exponent);
  std::string digits = s.substr(0, 1) + s.substr(2, ePos - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out;
  if (exponent >= -4 && exponent < 15) {
    if (exponent < 0) {
      out = "0." + std::string(-exponent - 1, '0') + digits;
    } else if (static_cast<int>(digits.size()) <= exponent + 1) {
      out = digits + std::string(exponent + 1 - digits.size(), '0');
    } else {
      out = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
    }
  } else {
    out = digits.substr(0, 1);
    if (digits.size() > 1) out.append(1, '.').append(digits, 1);
    out += 'E';  // appended apart: GCC 12 warns falsely (-Wrestrict) on "E" + text
    out += std::to_string(exponent);
  }
  return negative ? "-" + out : out;
}

std::string WholeText(double value) {
  constexpr double top = 9223372036854775807.0;  // rounds to 2^63, the first value that does not fit
  if (!(value == value)) return "0";
  if (value >= top) return std::to_string(INT64_MAX);
  if (value <= -top) return std::to_string(INT64_MIN);
  return std::to_string(static_cast<int64_t>(value));
}

namespace {

// A text as an error message quotes it: a long one is cut, so that a value of megabytes does
// not become a message of megabytes.
std::string Quoted(const std::string& text) {
  constexpr size_t shown = 60;
  if (text.size() <= shown) return "'" + text + "'";
  return "'" + text.substr(0, shown) + "...' (" + std::to_string(text.size()) + " characters)";
}

[[noreturn]] void BadFloat(const std::string& text) {
  throw EConvertError(Quoted(text) + " is not a valid floating point value");
}

// Checks the grammar and returns the number without spaces, ready for from_chars
// (which takes no "+" and needs a digit in the mantissa).
bool CleanFloat(const std::string& text, std::string& clean) {
  size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') clean += '-';
    ++i;
  }
  bool digit = false, point = false;
  std::string mantissa;
  for (; i < n; ++i) {
    char c = text[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digit = true;
      mantissa += c;
    } else if (c == '.' && !point) {
      point = true;
      mantissa += c;
    } else {
      break;
    }
  }
  if (!digit && !point) return false;
  if (!digit) mantissa.assign(1, '0');
  clean += mantissa;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    std::string exponent = "e";
    if (i < n && (text[i] == '+' || text[i] == '-')) exponent += text[i++];
    bool expDigit = false;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) {
      exponent += text[i++];
      expDigit = true;
    }
    if (!expDigit) return false;
    clean += exponent;
  }
  while (i < n && text[i] == ' ') ++i;
  return i == n;
}

// The power of ten of the first significant digit of a cleaned number ("0.05e-3" gives -5),
// enough to tell an overflow from an underflow without the C library's locale.
long long DecimalExponent(const std::string& clean) {
  size_t i = clean[0] == '-' ? 1 : 0;
  long long position = 0;  // digits before the point, less leading zeros after it
  bool seenPoint = false, significant = false;
  for (; i < clean.size() && clean[i] != 'e'; ++i) {
    if (clean[i] == '.') {
      seenPoint = true;
    } else if (!significant && clean[i] == '0') {
      if (seenPoint) --position;
    } else {
      significant = true;
      if (!seenPoint) ++position;
    }
  }
  long long exponent = 0;
  if (i < clean.size()) {
    const char* p = clean.c_str() + i + 1;
    if (*p == '+') ++p;
    // An exponent too long for 64 bits is out of range either way: its sign decides.
    if (std::from_chars(p, clean.c_str() + clean.size(), exponent).ec != std::errc())
      exponent = *p == '-' ? -(1LL << 60) : (1LL << 60);
  }
  return (significant ? position - 1 : -(1LL << 60)) + exponent;
}

}  // namespace

double StrToFloat(const std::string& text) {
  std::string clean;
  if (!CleanFloat(text, clean)) BadFloat(text);
  double value = 0;
  auto [end, ec] = std::from_chars(clean.data(), clean.data() + clean.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Underflow reads as zero; overflow is no number we can hold.
    if (DecimalExponent(clean) >= 0) BadFloat(text);
    return clean[0] == '-' ? -0.0 : 0.0;
  }
  if (ec != std::errc() || end != clean.data() + clean.size()) BadFloat(text);
  return value;
}

float StrToSingle(const std::string& text) {
  double value = StrToFloat(text);
  // Values from FLT_MAX up to the midpoint below 2^128 round to FLT_MAX; from there on they
  // would round to infinity. The cast itself must stay within the range of a float.
  constexpr double kMax = std::numeric_limits<float>::max();
  constexpr double kRoundsToInfinity = 0x1p128 - 0x1p103;
  if (!(std::fabs(value) < kRoundsToInfinity)) BadFloat(text);
  if (std::fabs(value) > kMax)
    return value > 0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
  return static_cast<float>(value);
}

int32_t StrToInt(const std::string& text) {
  auto bad = [&]() -> int32_t { throw EConvertError(Quoted(text) + " is not a valid integer value"); };
  size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < n && text[i] == '$') {
    base = 16, ++i;
  } else if (i < n && (text[i] == 'x' || text[i] == 'X')) {
    base = 16, ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16, i += 2;
  }
  if (i == n) return bad();
  uint64_t magnitude = 0;
  for (; i < n; ++i) {
    int d;
    char c = text[i];
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return bad();
    magnitude = magnitude * base + d;
    if (magnitude > 0xFFFFFFFFull) return bad();
  }
  if (base == 16) {
    // Hexadecimal covers the whole 32-bit pattern: $FFFFFFFF is -1.
    uint32_t bits = static_cast<uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
  }
  if (negative) {
    if (magnitude > 2147483648ull) return bad();
    return static_cast<int32_t>(-static_cast<int64_t>(magnitude));
  }
  if (magnitude > 2147483647ull) return bad();
  return static_cast<int32_t>(magnitude);
}

bool StrToBool(const std::string& text) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "true") return true;
  if (lower == "false") return false;
  try {
    return StrToFloat(text) != 0;
  } catch (const EConvertError&) {
    throw EConvertError(Quoted(text) + " is not a valid boolean value");
  }
}

}  // namespace viv
