// A steady frame allocates nothing: the pages build their texts in fixed
// buffers, the engine reuses its vertex stores, the SDL device keeps its
// rasterised texts and picture copies. Counted with a replaced global
// operator new in this test program only.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "support/FakeWindow.h"
#include "window/SdlOffscreen.h"
#include "canvas/RecordingCanvas.h"
#include "canvas/SdlCanvas.h"

namespace {
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t n) {
  ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace velmora {
namespace {

// Allocations of one frame after a few frames of the same state.
long SteadyFrameAllocations(testing::StartedDisplay& display) {
  for (int i = 0; i < 3; ++i) display.Frame();
  const long before = gAllocations;
  display.Frame();
  return gAllocations - before;
}

void BusyState(FlightData& r) {
  r.Altitude = 3250;
  r.IndicatedAirspeed = 450;
  r.LoadFactor = 2.5;
  r.LeftEngineRpm = 101;  // red needle image looked up by name every frame
  r.RightEngineRpm = 94;
  r.FuelQuantity1 = 500;  // red fuel readout
  r.PairLampState = 2;
  r.TargetRange = 8000;
  r.NavDistance = 12360;
}

TEST(FrameAllocation, TheCounterSeesAllocations) {
  const long before = gAllocations;
  std::string s(100, 'x');  // too long for the small-string buffer
  EXPECT_EQ(gAllocations - before, 1);
}

TEST(FrameAllocation, NoneOnEitherPageOnTheNullRenderCanvas) {
  RecordingCanvas canvas(false);
  testing::WhiteHeaderDecoder decoder;
  testing::StartedDisplay display(canvas, decoder);
  BusyState(display.flight);
  for (Page page : {Page::Flight, Page::Tactical}) {
    display.display.ShowPage(page);
    EXPECT_EQ(SteadyFrameAllocations(display), 0) << "page " << static_cast<int>(page);
  }
}

TEST(FrameAllocation, NoneOnEitherPageOnTheSoftwareRenderer) {
  SdlOffscreen screen;
  ASSERT_TRUE(screen.ok()) << screen.error();
  testing::StartedDisplay display(screen.canvas(), screen.decoder());
  BusyState(display.flight);
  for (Page page : {Page::Flight, Page::Tactical}) {
    display.display.ShowPage(page);
    EXPECT_EQ(SteadyFrameAllocations(display), 0) << "page " << static_cast<int>(page);
  }
}

}  // namespace
}  // namespace velmora
