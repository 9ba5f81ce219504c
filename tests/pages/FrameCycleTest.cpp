// The frame cycle: aspect ratio, pacing, grey-out, page dispatch, failures.
#include <algorithm>
#include <limits>
#include <stdexcept>

#include "support/DisplayRig.h"

namespace velmora {
namespace {

using testing::Rig;

TEST(FrameCycleLaws, WindowHeightRoundsHalfToEven) {
  struct Case { int width, height; };
  for (const Case c : {Case{1024, 640}, {666, 416}, {1000, 625}, {1001, 626}, {1012, 632},
                       {1020, 638}, {600, 375}, {0, 0}}) {
    EXPECT_EQ(calibration::WindowHeight(c.width), c.height) << "width " << c.width;
  }
}

TEST(FrameCycleLaws, WindowOpacityRampAndEnds) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  struct Case { double g; int opacity; };
  const Case cases[] = {
      {-5, 255}, {0, 255}, {1, 255}, {6.0, 255}, {6.01, 255},
      {6.3, 244},  // 35 x 6.3 is the single 220.5; 244.5 rounds to the even 244
      {7, 220}, {8, 185}, {9, 150}, {10, 115}, {11, 80}, {12, 45}, {13, 10}, {13.2, 3},
      {93.0 / 7.0, 0}, {13.3, 0}, {100, 0}, {kInf, 0}, {kNaN, 255}, {-kInf, 255},
  };
  for (const Case& c : cases) EXPECT_EQ(calibration::WindowOpacity(c.g), c.opacity) << "g " << c.g;
}

TEST(FrameCycle, HeightFollowsWidth) {
  Rig rig;
  struct Case { int width, height; } cases[] = {{1024, 640}, {1000, 625}, {1001, 626}, {1012, 632}, {666, 416}};
  for (auto c : cases) {
    rig.window.bounds.width = c.width;
    rig.window.bounds.height = 123;
    rig.Frame();
    EXPECT_EQ(rig.window.bounds.height, c.height) << c.width;
  }
}

TEST(FrameCycle, WindowFadesUnderHighG) {
  Rig rig;
  struct Case { double g; int opacity; } cases[] = {
      {6.0, 255}, {6.01, 255}, {6.3, 244}, {7.0, 220}, {13.0, 10}, {13.2, 3}, {14.0, 0}, {-3.0, 255}, {1e300, 0}};
  for (auto c : cases) {
    rig.rec().LoadFactor = c.g;
    rig.Frame();
    EXPECT_EQ(rig.window.opacity, c.opacity) << c.g;
  }
}

TEST(FrameCycle, PageModesDispatch) {
  Rig rig;
  for (int mode = 0; mode <= 3; ++mode) {
    rig.display->ShowPage(static_cast<Page>(mode));
    rig.rec().LoadFactor = 7;
    rig.Frame();
    const bool page = mode == 1 || mode == 2;
    EXPECT_EQ(rig.canvas.CountOf(CanvasCall::Kind::Picture) > 0, page) << mode;
    EXPECT_EQ(rig.canvas.CountOf(CanvasCall::Kind::Frame), 1) << mode;
    EXPECT_EQ(rig.canvas.Calls().front().kind, CanvasCall::Kind::Frame);
    EXPECT_EQ(rig.canvas.Calls().front().color, 0xFFFFFFFFu);
    EXPECT_EQ(rig.canvas.CountOf(CanvasCall::Kind::Present), 1) << mode;
    EXPECT_EQ(rig.window.opacity, 220) << "grey-out applies on every page";
  }
}

TEST(FrameCycle, AFailedFrameIsNotPresentedAndTheNextOneRuns) {
  Rig rig;
  int calls = 0;
  rig.display->Frames().SetFlightPage([&] {
    if (++calls == 1) throw std::range_error("Range check error");
  });
  EXPECT_THROW(rig.Frame(), std::range_error);
  EXPECT_EQ(rig.canvas.CountOf(CanvasCall::Kind::Present), 0);
  rig.Frame();
  EXPECT_EQ(rig.canvas.CountOf(CanvasCall::Kind::Present), 1);
}

}  // namespace
}  // namespace velmora
