#include "link/FlightData.h"

#include <gtest/gtest.h>

#include <set>

namespace velmora {
namespace {

TEST(FlightData, StartupValuesLeaveUnlistedFieldsAtZero) {
  FlightData d;
  d.TrueAirspeed = 0;  // zero-filled at process start
  ApplyStartupValues(d);
  EXPECT_EQ(d.Pitch, -0.5);
  EXPECT_EQ(d.LoadFactor, 1.0);
  EXPECT_EQ(d.PressureSetting, 760.0);
  EXPECT_EQ(d.TargetRange, -1.0);
  EXPECT_EQ(d.LocalizerDeviation, -1.0);
  EXPECT_EQ(d.GlideslopeDeviation, -1.0);
  for (const auto& f : kFlightFields) {
    if (f.name == "Pitch" || f.name == "LoadFactor" || f.name == "PressureSetting" ||
        f.name == "TargetRange" || f.name == "LocalizerDeviation" || f.name == "GlideslopeDeviation")
      continue;
    EXPECT_EQ(d.*f.member, 0.0) << f.name;
  }
}

TEST(FlightData, StartupOverwritesListedFieldsButNotDirectorOrFuel) {
  FlightData d;
  d.Bank = 12;
  d.DirectorPitch = 3;  // not in the start-up list: keeps its value
  d.FuelQuantity1 = 500;
  ApplyStartupValues(d);
  EXPECT_EQ(d.Bank, 0.0);
  EXPECT_EQ(d.DirectorPitch, 3.0);
  EXPECT_EQ(d.FuelQuantity1, 500.0);
}

TEST(FlightData, MessagePositionsCoverOneToThirtyThreeOnce) {
  std::set<int> seen;
  for (const auto& f : kFlightFields)
    if (f.position != 0) {
      EXPECT_TRUE(seen.insert(f.position).second) << f.name;
    }
  EXPECT_EQ(seen.size(), 33u);
  EXPECT_EQ(*seen.begin(), 1);
  EXPECT_EQ(*seen.rbegin(), 33);
}

}  // namespace
}  // namespace velmora
