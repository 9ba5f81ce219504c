#include "pages/Notation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velmora::notation {
namespace {

TEST(Notation, RoundHalfEven) {
  struct Case { double in, out; } cases[] = {
      {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-3.5, -4}, {99.5, 100}, {98.5, 98},
      {632.5, 632}, {625.625, 626}, {2.4999, 2}, {-0.4, -0.0}, {1e300, 1e300},
  };
  for (auto c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(Notation, IntTextTruncatesTowardZero) {
  struct Case { double in; const char* out; } cases[] = {
      {0, "0"}, {3.9, "3"}, {-0.4, "0"}, {-1, "-1"}, {-12.7, "-12"}, {12750, "12750"},
      {1e20, "100000000000000000000"}, {-1e19, "-10000000000000000000"},
      {std::numeric_limits<double>::quiet_NaN(), "NAN"},
      {std::numeric_limits<double>::infinity(), "INF"},
      {-std::numeric_limits<double>::infinity(), "-INF"},
  };
  for (auto c : cases) EXPECT_EQ(IntText(c.in).view(), c.out) << c.in;
}

TEST(Notation, RoundTextTiesToEven) {
  EXPECT_EQ(RoundText(99.5).view(), "100");
  EXPECT_EQ(RoundText(98.5).view(), "98");
  EXPECT_EQ(RoundText(-0.5).view(), "0");
  EXPECT_EQ(RoundText(64.9).view(), "65");
}

TEST(Notation, FixedKeepsFiveSignificantDigits) {
  struct Case { double x; int d; const char* out; } cases[] = {
      {1234.56, 2, "1234.60"},   // fifth significant digit decides
      {760, 1, "760.0"},
      {0, 2, "0.00"},
      {0.845, 2, "0.84"},       // 0.845 is just below the tie in binary
      {1.005, 2, "1.00"},
      {0.125, 2, "0.13"},       // exact tie: away from zero
      {-0.125, 2, "-0.13"},
      {12.36, 1, "12.4"},
      {12345.6, 0, "12346"},
      {799.6, 0, "800"},
      {99999.5, 0, "1E5"},      // rounding carries into a sixth digit
      {12345.67, 1, "12346.0"},
      {-0.04, 1, "0.0"},        // no negative zero
      {-3.14159, 2, "-3.14"},
      {0.000123456, 2, "0.00"},
      {0.00123456, 6, "0.001235"},
      {123456, 0, "1.2346E5"},
      {1000000, 2, "1E6"},
      {-987654321, 1, "-9.8765E8"},
      {1e300, 0, "1E300"},
  };
  for (auto c : cases) EXPECT_EQ(FixedText(c.x, c.d).view(), c.out) << c.x << " d=" << c.d;
}

TEST(Notation, FixedNonFinite) {
  EXPECT_EQ(FixedText(std::nan(""), 2).view(), "NAN");
  EXPECT_EQ(FixedText(-INFINITY, 0).view(), "-INF");
}

TEST(Notation, TextIsBoundedAndConcatenates) {
  Text t("P");
  t.Append(FixedText(760, 1).view());
  EXPECT_EQ(t.view(), "P760.0");
  Text big(std::string(200, 'x'));
  EXPECT_EQ(big.size(), Text::kCapacity);
}

}  // namespace
}  // namespace velmora::notation
