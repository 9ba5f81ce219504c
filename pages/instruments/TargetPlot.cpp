// The target plot's laws, sprite and draw step.
#include "pages/instruments/TargetPlot.h"

#include <cmath>

#include "engine/Font.h"
#include "engine/Sprite.h"

namespace velmora {

bool calibration::HasTarget(double range) { return !(range == -1 || std::isnan(range)); }

double calibration::TargetOffset(double range) { return range < 10000 ? range / 29 : range / 60; }

void TargetPlot::CreateSprites(const SpriteFactory& make) {
  symbol = make({.picture = "Map_Plane", .x = 0, .y = 0, .scaleX = 0.25f, .scaleY = 0.25f});
}

bool TargetPlot::Draw(const DrawKit& kit, const FlightData& r, const Sprite& ownAircraft) {
  const double range = r.TargetRange;
  if (!calibration::HasTarget(range)) return false;
  offset_ = calibration::TargetOffset(range);
  const bool near = range < 10000;
  Font& font = kit.font(FontRole::DialReadout);
  font.TextOut(235, 530, near ? "5" : "10");
  font.TextOut(557, 530, near ? "5" : "10");
  font.TextOut(85, 530, near ? "10" : "20");
  font.TextOut(697, 530, near ? "10" : "20");
  const double x0 = ownAircraft.X();
  const double y0 = ownAircraft.Y();
  symbol->SetX(static_cast<float>(std::sin(r.TargetBearing) * offset_ + x0 + 8));
  symbol->SetY(static_cast<float>(y0 - std::cos(r.TargetBearing) * offset_ + 20));
  symbol->Angle = static_cast<float>(r.Heading - r.TargetHeading);
  symbol->Draw();
  return true;
}

}  // namespace velmora
