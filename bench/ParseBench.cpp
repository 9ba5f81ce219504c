// Telemetry parsing throughput: a realistic 33-field message through the UDP
// entry (copy into the record plus scan), and the same stream through the
// TCP framer in exporter-sized writes.
#include "link/FlightData.h"
#include "link/Telemetry.h"

#include <benchmark/benchmark.h>

#include <string>

namespace velmora {
namespace {

const std::string kMessage =
    "1523.4 4.35 87.5 3.2 -12.5 0 4.1 1.05 0.8 0.62 2.5 -10 45 120 275.5 0.12 755.5 850 "
    "0.25 -0.5 88 620 615 2450 1200 0 0 4.6 35200 -1 2 1 0 $\r\n";

void BM_ParseMessage(benchmark::State& state) {
  FlightData rec;
  ApplyStartupValues(rec);
  for (auto _ : state) {
    auto error = ApplyDatagram(rec, kMessage);
    benchmark::DoNotOptimize(error);
    benchmark::DoNotOptimize(rec.Altitude);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kMessage.size()));
}
BENCHMARK(BM_ParseMessage);

void BM_FrameTcpStream(benchmark::State& state) {
  FlightData rec;
  ApplyStartupValues(rec);
  TcpStreamFramer framer;
  // Writes that cut messages at an arbitrary point, as a busy socket does.
  const std::string stream = kMessage + kMessage + kMessage;
  const std::string_view first = std::string_view(stream).substr(0, 100);
  const std::string_view rest = std::string_view(stream).substr(100);
  for (auto _ : state) {
    framer.Feed(first, rec, [](const TelemetryError&) {});
    framer.Feed(rest, rec, [](const TelemetryError&) {});
    benchmark::DoNotOptimize(rec.Altitude);
  }
  state.SetItemsProcessed(state.iterations() * 3);
}
BENCHMARK(BM_FrameTcpStream);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
