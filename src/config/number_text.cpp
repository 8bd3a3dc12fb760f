#include "config/number_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "config/errors.h"

namespace viv {
namespace {

// The browser's C++ library has no floating-point to_chars and from_chars; its C library's
// printf and strtod are exact too, and know only the C locale, so the same text comes out.
#ifdef __EMSCRIPTEN__
std::string Scientific(double value, int decimals) {
  char buf[64];
  const int n = std::snprintf(buf, sizeof buf, "%.*e", decimals, value);
  return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}
std::errc ReadDouble(const std::string& text, double& value, const char*& end) {
  errno = 0;
  char* stop = nullptr;
  const double read = std::strtod(text.c_str(), &stop);
  end = stop;
  if (stop == text.c_str()) return std::errc::invalid_argument;
  if (errno == ERANGE && (std::isinf(read) || read == 0)) return std::errc::result_out_of_range;
  value = read;
  return {};
}
#else
std::string Scientific(double value, int decimals) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, decimals);
  return std::string(buf, ec == std::errc() ? end : buf);
}
std::errc ReadDouble(const std::string& text, double& value, const char*& end) {
  const auto [stop, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  end = stop;
  return ec;
}
#endif

// What std::to_chars does without a format: the fewest significant digits that read back to
// the same value (the nearest of them to it), written plain or in scientific form, whichever
// is shorter (plain on a tie).
template <class Real>
std::string Shortest(Real value, Real (*read)(const char*, char**)) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (value == 0) return std::signbit(value) ? "-0" : "0";
  char buf[400];  // room for the largest double's digits
  for (int digits = 1; digits <= std::numeric_limits<Real>::max_digits10; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, static_cast<double>(value));
    if (read(buf, nullptr) == value) break;
  }
  std::string s = buf;
  const bool negative = s[0] == '-';
  if (negative) s.erase(0, 1);
  const size_t e = s.find('e');
  const int exponent = std::atoi(s.c_str() + e + 1);
  std::string digits = s.substr(0, 1) + (e > 2 ? s.substr(2, e - 2) : "");
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string scientific = digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : "") + "e";
  scientific += exponent < 0 ? "-" : "+";
  const int magnitude = exponent < 0 ? -exponent : exponent;
  scientific += (magnitude < 10 ? "0" : "") + std::to_string(magnitude);
  std::string plain;
  const int n = static_cast<int>(digits.size());
  if (exponent < 0) plain = "0." + std::string(-exponent - 1, '0') + digits;
  else if (n <= exponent + 1) {
    // A whole number is written with its exact digits, as printf's %f writes it.
    std::snprintf(buf, sizeof buf, "%.0f", std::fabs(static_cast<double>(value)));
    plain = buf;
  } else plain = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
  return (negative ? "-" : "") + (scientific.size() < plain.size() ? scientific : plain);
}

double ReadDoubleText(const char* text, char** end) { return std::strtod(text, end); }
float ReadFloatText(const char* text, char** end) { return std::strtof(text, end); }

}  // namespace

std::string PortableShortestText(double value) { return Shortest(value, ReadDoubleText); }
std::string PortableShortestText(float value) { return Shortest(value, ReadFloatText); }
std::string PortableSixDecimals(double value) {
  // As to_chars into 64 characters: a value that takes more is "0".
  char buf[512];
  const int n = std::snprintf(buf, sizeof buf, "%.6f", value);
  return n > 0 && n <= 64 ? std::string(buf, static_cast<size_t>(n)) : "0";
}

#ifdef __EMSCRIPTEN__
std::string ShortestText(double value) { return PortableShortestText(value); }
std::string ShortestText(float value) { return PortableShortestText(value); }
std::string SixDecimals(double value) { return PortableSixDecimals(value); }
#else
namespace {

template <class Real>
std::string Shortest(Real value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, ec == std::errc() ? end : buf);
}

}  // namespace

std::string ShortestText(double value) { return Shortest(value); }
std::string ShortestText(float value) { return Shortest(value); }
std::string SixDecimals(double value) {
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
  return ec == std::errc() ? std::string(text, end) : "0";
}
#endif

std::string FloatToText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  // 15 significant digits: one before the point and fourteen after it. to_chars never
  // consults the locale, so the separator is "." whatever LC_ALL says.
  std::string s = Scientific(value, 14);
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
  const char* end = nullptr;
  const std::errc ec = ReadDouble(clean, value, end);
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
