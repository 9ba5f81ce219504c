// Cost of one page frame: the pages plus the engine on the recording device
// (no rasterisation), and the full flight frame on the software renderer.
#include <benchmark/benchmark.h>

#include "FakeWindow.h"
#include "app/Unit1.h"
#include "engine/RecordingDevice.h"
#include "engine/SdlOffscreen.h"
#include "engine/SdlRenderDevice.h"
#include "link/Handover.h"

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

struct RecordedForm {
  RecordedForm() {
    testing::UseHeaderDecoder(device);
    device.SetRecordDetail(false);
    form = std::make_unique<TForm1>(window, handover, ListenerConfig{0, 0}, ListenerHooks{}, "/nonexistent/config.txt");
    form->FormCreate();
    form->Frames().SetSleep([](std::chrono::milliseconds) {});
    Cruise(form->record);
  }
  RecordingDevice device;
  testing::FakeWindow window{&device};
  HandoverQueue handover{[] {}};
  std::unique_ptr<TForm1> form;
};

void RunRecorded(benchmark::State& state, int page) {
  RecordedForm f;
  f.form->shell.PageMode = page;
  for (auto _ : state) {
    f.device.ClearLog();
    f.form->OmegaTimer1Timer();
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
    testing::FakeWindow host(&screen.device());
    HandoverQueue handover{[] {}};
    TForm1 form(host, handover, ListenerConfig{0, 0}, ListenerHooks{}, "/nonexistent/config.txt");
    form.FormCreate();
    form.Frames().SetSleep([](std::chrono::milliseconds) {});
    Cruise(form.record);
    for (auto _ : state) form.OmegaTimer1Timer();
  }
}
BENCHMARK(BM_SoftwareFlightFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
