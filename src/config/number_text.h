#pragma once
// Numbers as text, the same on every machine: "." is always the decimal separator.
#include <cstdint>
#include <string>

namespace viv {

// General format with up to 15 significant digits: 0.300000011920929, 1E-5, 1.5E20.
std::string FloatToText(double value);

// A real as a whole number (toward zero), held within the 64-bit range: a value too large
// for it is written as the largest that fits, never wrapped or negative; NaN as 0.
std::string WholeText(double value);

// The shortest text that reads back to the same value, as std::to_chars writes it ("0.13",
// "1e-05", "1200000"), and a value with six decimals: the same on every machine.
std::string ShortestText(double value);
std::string ShortestText(float value);
std::string SixDecimals(double value);
// The same by printf and strtod, for a C++ library without floating-point to_chars (the
// browser's); the tests hold them to the above.
std::string PortableShortestText(double value);
std::string PortableShortestText(float value);
std::string PortableSixDecimals(double value);

// Reads a real: optional spaces, sign, digits with at most one ".", an optional exponent,
// optional spaces. Throws EConvertError "'text' is not a valid floating point value".
double StrToFloat(const std::string& text);

// As StrToFloat, and the value must also be finite as a single-precision float.
float StrToSingle(const std::string& text);

// Reads a 32-bit integer: optional leading spaces, a sign, then decimal digits or
// hexadecimal digits after "$", "x", "X", "0x" or "0X"; nothing may follow.
// Throws EConvertError "'text' is not a valid integer value".
int32_t StrToInt(const std::string& text);

// "True" or "False" in any letter case, or a number (non-zero is true).
// Throws EConvertError "'text' is not a valid boolean value".
bool StrToBool(const std::string& text);

}  // namespace viv
