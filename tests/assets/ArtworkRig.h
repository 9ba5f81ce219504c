// What the artwork tests share: the sprite table rows they check, the quad
// rule between picture and screen, and the drawn pictures by name.
#pragma once

#include "pages/instruments/Airspeed.h"
#include "pages/instruments/Altimeter.h"
#include "pages/instruments/AngleOfAttack.h"
#include "pages/instruments/Attitude.h"
#include "pages/instruments/Engines.h"
#include "pages/instruments/Hsi.h"
#include "pages/instruments/LoadFactorMeter.h"
#include "pages/instruments/MachScale.h"
#include "pages/instruments/SlipBall.h"
#include "pages/instruments/VerticalSpeed.h"
#include "tools/artgen/ArtGeometry.h"
#include "tools/artgen/Artwork.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <string>
#include <vector>

namespace velmora::artwork_test {

namespace cal = calibration;
using art::Picture;
using art::Pt;

inline constexpr double kDeg = std::numbers::pi / 180.0;

// A sprite as the start-up table places it.
struct Sprite {
  double x, y;
  int w, h;
  double cx = 0, cy = 0, sx = 1, sy = 1;
  Pt Pivot() const { return {x + cx * w, y + cy * h}; }
};

// The quad rule: picture point -> screen, turned by `angle` about the pivot.
inline Pt ToScreen(const Sprite& s, Pt q, double angle) {
  const Pt c = s.Pivot();
  const double ux = s.x - 0.5 + q.x / s.w * (s.w + 0.5) - c.x;
  const double uy = s.y - 0.5 + q.y / s.h * (s.h + 0.5) - c.y;
  const double co = std::cos(angle * kDeg), si = std::sin(angle * kDeg);
  return {c.x + s.sx * co * ux - s.sy * si * uy, c.y + s.sx * si * ux + s.sy * co * uy};
}

// Screen -> picture for a sprite turned by `angle`.
inline Pt ToPicture(const Sprite& s, Pt p, double angle = 0) {
  const Pt c = s.Pivot();
  const double co = std::cos(angle * kDeg), si = std::sin(angle * kDeg);
  const double ux = (co * (p.x - c.x) + si * (p.y - c.y)) / s.sx;
  const double uy = (-si * (p.x - c.x) + co * (p.y - c.y)) / s.sy;
  return {(ux + c.x - s.x + 0.5) * s.w / (s.w + 0.5), (uy + c.y - s.y + 0.5) * s.h / (s.h + 0.5)};
}

inline const Picture& Pic(std::string_view name) {
  static std::map<std::string_view, Picture> cache;
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, art::DrawPicture(name)).first;
  return it->second;
}

inline bool Inside(const Picture& p, int x, int y) { return x >= 0 && y >= 0 && x < p.width && y < p.height; }

// Strongest channel of a pixel: white, amber and red marks all stand out
// from the dark faces by it.
inline int Vivid(const Picture& p, int x, int y) {
  const std::uint32_t c = p.At(x, y);
  return static_cast<int>(std::max({(c >> 16) & 0xFFu, (c >> 8) & 0xFFu, c & 0xFFu}));
}

// A mark pixel (opaque, strongest channel at least `bright`) within one pixel of q.
inline bool MarkNear(const Picture& p, Pt q, int bright = 200) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int x = static_cast<int>(std::floor(q.x)) + dx, y = static_cast<int>(std::floor(q.y)) + dy;
      if (Inside(p, x, y) && p.Alpha(x, y) > 200 && Vivid(p, x, y) >= bright) return true;
    }
  return false;
}

// Sprite table rows used here.
inline const Sprite kSpeedDial{103, 330, 219, 213}, kSpeedArrow{127, 394, 83, 44, 1, 1};
inline const Sprite kVsDial{555, 113, 102, 203}, kVsArrow{650, 147, 23, 80, 0.25, 1};
inline const Sprite kAoaDial{160, 107, 104, 220}, kAoaArrow{185, 215, 176, 48, 1, 1};
inline const Sprite kAltDial{488, 335, 219, 211}, kAltKm{592, 402, 54, 45, 0.1, 0.9}, kAltM{568, 436, 35, 93, 0.82, 0.05};
inline const Sprite kEngine{730, 155, 198, 278}, kEngine2{740, 155, 177, 283};
inline const Sprite kLeftArrow{502, 180, 252, 16, 0, 0.5, 1.2, 1.2}, kRightArrow{905, 180, 252, 16, 1, 0.5, 1.2, 1.2};
inline const Sprite kTape{275, 16, 256, 1600}, kMach{0, 392, 900, 31};
inline const Sprite kGScale{90, 90, 64, 221}, kGArrow{93, 90, 33, 10};
inline const Sprite kCard{318, 380, 168, 169, 0.5, 0.5}, kAdf{396, 384, 11, 162, 0.5, 0.5}, kRmi{395, 384, 13, 160, 0.5, 0.5};
inline const Sprite kTube{356, 340, 94, 23}, kBall{399, 160, 9, 201, 0.5, 0};
inline const Sprite kPpi{745, 415, 200, 171, 0, 0, 0.9, 0.9};
inline const Sprite kFrame{0, 0, 1024, 665};

struct DialCase {
  std::string name;
  std::string_view dial;
  Sprite dialSprite, needleSprite;
  Pt tip;
  art::Ring ring;
  std::function<double(double)> law;
  std::vector<double> values;
  int bright = 200;
};

inline std::vector<double> Steps(double from, double to, double step) {
  std::vector<double> v;
  for (double x = from; x <= to + 1e-9; x += step) v.push_back(x);
  return v;
}
}  // namespace velmora::artwork_test
