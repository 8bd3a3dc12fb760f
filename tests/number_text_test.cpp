#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "config/errors.h"
#include "config/number_text.h"

namespace viv {
namespace {

struct TextRow {
  double value;
  const char* text;
};

TEST(NumberText, WritesTheGeneralFormatOfTheWidenedFloat) {
  const TextRow rows[] = {
      {0, "0"},
      {1, "1"},
      {-1, "-1"},
      {0.3f, "0.300000011920929"},
      {0.1f, "0.100000001490116"},
      {1e-5, "1E-5"},
      {1.5e20, "1.5E20"},
      {0.0001, "0.0001"},
      {0.00012345, "0.00012345"},
      {0.00009, "9E-5"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},
      {999999999999999.0, "999999999999999"},
      {2000, "2000"},
      {3.1415927f, "3.14159274101257"},
      {-0.5235988f, "-0.523598790168762"},
      {33574992, "33574992"},
      {1.25e-7, "1.25E-7"},
      {-2.5e30, "-2.5E30"},
  };
  for (const auto& row : rows) EXPECT_EQ(FloatToText(row.value), row.text) << row.value;
}

TEST(NumberText, SinglesSurviveTheRoundTrip) {
  constexpr float kMax = std::numeric_limits<float>::max();
  const float values[] = {0.3f,
                          0.1f,
                          3.1415927f,
                          -0.13f,
                          1e-7f,
                          3.4e38f,
                          1.17549435e-38f,
                          40,
                          0.18f,
                          123.456f,
                          kMax,
                          -kMax,
                          std::numeric_limits<float>::denorm_min(),
                          -0.0f};
  for (float v : values) EXPECT_EQ(StrToSingle(FloatToText(v)), v) << v;
}

TEST(NumberText, ASingleIsAnyTextThatRoundsToAFiniteFloat) {
  constexpr float kMax = std::numeric_limits<float>::max();
  EXPECT_EQ(FloatToText(kMax), "3.40282346638529E38");
  EXPECT_EQ(StrToSingle("3.4028235e38"), kMax);
  EXPECT_EQ(StrToSingle("-3.4028235677e38"), -kMax);  // just below the midpoint to 2^128
  EXPECT_THROW(StrToSingle("3.4028236e38"), EConvertError);
  EXPECT_THROW(StrToSingle("-3.40282357e38"), EConvertError);
}

TEST(NumberText, OutOfRangeRealsAreToldApartWithoutTheCLibrary) {
  EXPECT_EQ(StrToFloat("1.5e-400"), 0);
  EXPECT_EQ(StrToFloat("0.000001e-320"), 0);
  EXPECT_EQ(StrToFloat("1e-310"), 1e-310);
  for (const char* big : {"2.5e400", "0.01e311", "1e99999999999999999999"})
    EXPECT_THROW(StrToFloat(big), EConvertError);
  EXPECT_EQ(StrToFloat("1e-99999999999999999999"), 0);
}

TEST(NumberText, ReadsRealsWithTheHostGrammar) {
  EXPECT_EQ(StrToFloat("0.05"), 0.05);
  EXPECT_EQ(StrToFloat("300"), 300);
  EXPECT_EQ(StrToFloat("  -1.5e3  "), -1500);
  EXPECT_EQ(StrToFloat("+.5"), 0.5);
  EXPECT_EQ(StrToFloat("5."), 5);
  EXPECT_EQ(StrToFloat("8 "), 8);
  EXPECT_EQ(StrToFloat("1E-5"), 1e-5);
  EXPECT_EQ(StrToFloat("1e-400"), 0);  // underflow reads as zero
}

TEST(NumberText, RejectsMalformedRealsWithTheHostMessage) {
  for (const char* bad :
       {"", " ", "abc", "1.2.3", "1e", "1e+", "--1", "1 2", "0x10", "1,5", "NaN", "inf", "1e400", "8-LeftEye.1*8"}) {
    try {
      StrToFloat(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid floating point value");
    }
  }
}

TEST(NumberText, SinglesOutsideTheFloatRangeAreRejected) {
  EXPECT_EQ(StrToSingle("3e38"), 3e38f);
  EXPECT_THROW(StrToSingle("1e39"), EConvertError);
  EXPECT_THROW(StrToSingle("-1e300"), EConvertError);
}

TEST(NumberText, ReadsIntegersInDecimalAndHexadecimal) {
  EXPECT_EQ(StrToInt("300"), 300);
  EXPECT_EQ(StrToInt("  -42"), -42);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("x10"), 16);
  EXPECT_EQ(StrToInt("X1a"), 26);
  EXPECT_EQ(StrToInt("0x2005050"), 0x2005050);
  EXPECT_EQ(StrToInt("0XfF"), 255);
  EXPECT_EQ(StrToInt("-$10"), -16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
}

TEST(NumberText, RejectsMalformedIntegersWithTheHostMessage) {
  for (const char* bad : {"", "1 ", "1 *", "abc", "1.0", "2147483648", "-2147483649", "$", "0x", "$1FFFFFFFF", "12a"}) {
    try {
      StrToInt(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid integer value");
    }
  }
}

TEST(NumberText, ReadsBooleans) {
  EXPECT_TRUE(StrToBool("True"));
  EXPECT_TRUE(StrToBool("tRUE"));
  EXPECT_FALSE(StrToBool("FALSE"));
  EXPECT_TRUE(StrToBool("1"));
  EXPECT_TRUE(StrToBool("-0.5"));
  EXPECT_FALSE(StrToBool("0"));
  try {
    StrToBool("yes");
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'yes' is not a valid boolean value");
  }
}

// The browser's build writes numbers with printf where the desktop has to_chars: the same
// text for every kind of value, so that formulas, settings and rows read the same there.
TEST(NumberText, PrintfWritesWhatToCharsWrites) {
  std::vector<double> doubles = {0.13,
                                 0.1,
                                 1e-5,
                                 1200000,
                                 1234567,
                                 100000,
                                 0.0001,
                                 -2.25,
                                 1.0 / 3,
                                 5e-324,
                                 std::numeric_limits<double>::max(),
                                 -0.0,
                                 0.0,
                                 1e22,
                                 123456789012345678.0};
  std::vector<float> floats = {0.13f, 1e-5f, 1200000.f, 3.4e38f, 1e-45f, -0.5f, 0.0001f, 16777217.f, 0.3f};
  uint64_t state = 88172645463325252ULL;
  for (int k = 0; k < 20000; ++k) {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    double d;
    std::memcpy(&d, &state, sizeof d);
    if (std::isfinite(d)) doubles.push_back(d);
    doubles.push_back(static_cast<double>(state % 2000001) / 100 - 10000);  // two decimals, as factors
    float f;
    const uint32_t bits = static_cast<uint32_t>(state >> 11);
    std::memcpy(&f, &bits, sizeof f);
    if (std::isfinite(f)) floats.push_back(f);
    floats.push_back(static_cast<float>(std::nearbyint(static_cast<double>(state % 100001) - 50000) / 100));
  }
  for (double d : doubles) {
    ASSERT_EQ(PortableShortestText(d), ShortestText(d)) << d;
    ASSERT_EQ(PortableSixDecimals(d), SixDecimals(d)) << d;
  }
  for (float f : floats) ASSERT_EQ(PortableShortestText(f), ShortestText(f)) << f;
}

}  // namespace
}  // namespace viv
