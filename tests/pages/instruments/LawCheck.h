// Table-driven checks of the instruments' laws: one row per law and telling
// value, with its tolerance (the reference values carry three decimals or more).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace velmora::calibration::test {

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double kInf = std::numeric_limits<double>::infinity();

struct LawCase {
  std::string name;
  std::function<float()> law;
  double expected;
  double tolerance;
};

inline void CheckLaws(const std::vector<LawCase>& cases) {
  for (const LawCase& c : cases) {
    const float got = c.law();
    if (std::isnan(c.expected)) {
      EXPECT_TRUE(std::isnan(got)) << c.name;
    } else {
      EXPECT_NEAR(got, c.expected, c.tolerance) << c.name;
    }
  }
}

}  // namespace velmora::calibration::test
