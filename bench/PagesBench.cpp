// Cost of one page frame: the pages on the null-render canvas (no
// rasterisation), and the full flight frame on the software renderer.
#include <benchmark/benchmark.h>

#include "support/FakeWindow.h"
#include "app/Display.h"
#include "canvas/RecordingCanvas.h"
#include "window/SdlOffscreen.h"
#include "canvas/SdlCanvas.h"

namespace velmora {
namespace {

void Cruise(FlightData& r) {
  r.Altitude = 7350;
  r.IndicatedAirspeed = 620;
  r.TrueAirspeed = 780;
  r.Pitch = 3.5;
  r.Bank = -12;
  r.LoadFactor = 1.3;
  r.Mach = 0.82;
  r.Heading = 47;
  r.LeftEngineRpm = r.RightEngineRpm = 88;
  r.LeftEngineTemp = r.RightEngineTemp = 640;
  r.FuelQuantity1 = 2100;
  r.FuelQuantity2 = 1900;
  r.NavDistance = 48200;
  r.TargetRange = 8000;
}

// Pictures with their sizes and nothing else, calls handed over but not
// kept (the canvas of --null-render runs).
struct RecordedForm {
  RecordedForm() { Cruise(display.flight); }
  RecordingCanvas device{false};
  testing::WhiteHeaderDecoder decoder;
  testing::StartedDisplay display{device, decoder};
};

void RunRecorded(benchmark::State& state, int page) {
  RecordedForm f;
  f.display.display.ShowPage(static_cast<Page>(page));
  for (auto _ : state) {
    f.display.Frame();
  }
  state.counters["us_per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FlightPageFrame(benchmark::State& state) { RunRecorded(state, 1); }
void BM_TacticalPageFrame(benchmark::State& state) { RunRecorded(state, 2); }
BENCHMARK(BM_FlightPageFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TacticalPageFrame)->Unit(benchmark::kMicrosecond);

void BM_SoftwareFlightFrame(benchmark::State& state) {
  SdlOffscreen screen;
  if (!screen.ok()) {
    state.SkipWithError(screen.error());
    return;
  }
  {
    testing::StartedDisplay display(screen.canvas(), screen.decoder());
    Cruise(display.flight);
    for (auto _ : state) display.Frame();
  }
}
BENCHMARK(BM_SoftwareFlightFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
