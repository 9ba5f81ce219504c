// Primitives: quads and rectangles, arc vertex generation, outlines, the
// store limit.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "engine/Primitives.h"
#include "engine/Screen.h"
#include "engine/RecordingDevice.h"

namespace velmora {
namespace {

struct Scene {
  RecordingDevice dev;
  Screen screen{&dev};
  Primitives prim{&screen};
  Scene() {
    EXPECT_EQ(screen.Initialize(), ScreenStatus::Ok);
    screen.BeginFrame();
    screen.SetBlendMode(BlendMode::Additive);  // a texture bound and a mode set must not leak in
    dev.BindTexture(7);
    dev.ClearLog();
  }
};

TEST(Primitives, RectangleFilledAndOutline) {
  for (bool filled : {true, false}) {
    Scene s;
    s.prim.Filled = filled;
    s.prim.Rectangle(ColorToARGB(0), 417, 400, 4, 100);
    const auto kind = filled ? CallKind::DrawFan : CallKind::DrawLineStrip;
    auto draws = s.dev.CallsOf(kind);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0]->texture, 0u) << "shapes draw untextured";
    const auto& v = draws[0]->vertices;
    ASSERT_EQ(v.size(), filled ? 4u : 5u);
    const float want[5][2] = {{417, 400}, {421, 400}, {421, 500}, {417, 500}, {417, 400}};
    for (std::size_t i = 0; i < v.size(); ++i) {
      EXPECT_EQ(v[i].x, want[i][0]) << i;
      EXPECT_EQ(v[i].y, want[i][1]) << i;
      EXPECT_EQ(v[i].color, 0xFE000000u) << "modulated by the screen colour";
    }
  }
}

TEST(Primitives, QuadKeepsPointOrderAndColours) {
  Scene s;
  s.prim.Quad(1, 2, 3, 4, 0, 0, 10, 1, 11, 12, -1, 9);
  const auto& v = s.dev.CallsOf(CallKind::DrawFan).at(0)->vertices;
  const float want[4][2] = {{0, 0}, {10, 1}, {11, 12}, {-1, 9}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(v[i].x, want[i][0]);
    EXPECT_EQ(v[i].y, want[i][1]);
  }
}

TEST(Primitives, ArcVertices) {
  struct Case {
    const char* what;
    float radius, start, end;
    int segments;
  } cases[] = {
      {"sector 0..60", 300, 0, 60, 300},     {"reverse 60..0", 300, 60, 0, 300}, {"135 degrees", 300, 0, 135, 300},
      {"2.5 rounds to even 2", 2.5f, 0, 90, 2}, {"3.5 rounds to even 4", 3.5f, 0, 90, 4}, {"full circle", 10, 0, 360, 10},
      {"largest allowed", 999.4f, 0, 10, 999},
  };
  for (const auto& c : cases) {
    Scene s;
    s.prim.Arc(MakeColor(255, 0, 0, 255), true, 550, 188, c.radius, c.start, c.end);
    auto fans = s.dev.CallsOf(CallKind::DrawFan);
    ASSERT_EQ(fans.size(), 1u) << c.what;
    const auto& v = fans[0]->vertices;
    ASSERT_EQ(v.size(), static_cast<std::size_t>(c.segments) + 2) << c.what;
    EXPECT_EQ(v[0].x, 550) << c.what;
    EXPECT_EQ(v[0].y, 188) << c.what;
    for (int i = 1; i <= c.segments + 1; ++i) {
      const double a = (c.start + (c.end - c.start) * (i - 1) / c.segments) * std::numbers::pi / 180.0;
      EXPECT_NEAR(v[static_cast<std::size_t>(i)].x, 550 + c.radius * std::cos(a), 2e-3) << c.what << " #" << i;
      EXPECT_NEAR(v[static_cast<std::size_t>(i)].y, 188 + c.radius * std::sin(a), 2e-3) << c.what << " #" << i;
    }
    EXPECT_EQ(v[1].color, 0xFEFE0000u) << c.what;
  }
  // Clockwise on the screen: 90 degrees points down (y grows).
  Scene s;
  s.prim.Arc(~0u, true, 0, 0, 10, 0, 90);
  const auto& v = s.dev.CallsOf(CallKind::DrawFan).at(0)->vertices;
  EXPECT_NEAR(v.back().x, 0, 1e-3);
  EXPECT_NEAR(v.back().y, 10, 1e-3);
}

TEST(Primitives, ArcOutlines) {
  struct Case {
    bool closed;
    std::size_t count;
    bool startsAtEnd;
  } cases[] = {{true, 12, true}, {false, 11, false}};
  for (const auto& c : cases) {
    Scene s;
    s.prim.Filled = false;
    s.prim.Arc(~0u, c.closed, 100, 100, 10, 0, 90);
    auto strips = s.dev.CallsOf(CallKind::DrawLineStrip);
    ASSERT_EQ(strips.size(), 1u);
    const auto& v = strips[0]->vertices;
    ASSERT_EQ(v.size(), c.count);
    if (c.startsAtEnd) {
      // Chord from the end point back to the start, then the arc.
      EXPECT_NEAR(v[0].x, 100, 1e-3);
      EXPECT_NEAR(v[0].y, 110, 1e-3);
      EXPECT_NEAR(v[1].x, 110, 1e-3);
      EXPECT_NEAR(v[1].y, 100, 1e-3);
    } else {
      EXPECT_NEAR(v[0].x, 110, 1e-3);
      EXPECT_NEAR(v.back().y, 110, 1e-3);
    }
  }
}

TEST(Primitives, ArcLimits) {
  struct Case {
    float radius;
    bool throws;
  } cases[] = {{0.4f, false}, {0.5f, false}, {-5, false}, {999.4f, false}, {999.5f, true}, {1000, true}, {5000, true}};
  for (const auto& c : cases) {
    Scene s;
    if (c.throws) {
      try {
        s.prim.Arc(~0u, true, 0, 0, c.radius, 0, 60);
        ADD_FAILURE() << c.radius << " accepted";
      } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "Range check error");
      }
    } else {
      s.prim.Arc(~0u, true, 0, 0, c.radius, 0, 60);
    }
    const bool drawsSomething = !c.throws && c.radius >= 0.6f;
    EXPECT_EQ(s.dev.CountOf(CallKind::DrawFan), drawsSomething ? 1 : 0) << c.radius;
  }
}

}  // namespace
}  // namespace velmora
