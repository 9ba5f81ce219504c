// libFuzzer target over both telemetry entry points and the TCP framer.
// The first two bytes choose where the rest is cut into three TCP reads; the
// framed result must not depend on the cuts, and no value that reaches the
// record may be infinite or NaN.
#include "link/FlightData.h"
#include "link/Telemetry.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using velmora::FlightData;
using velmora::TcpStreamFramer;
using velmora::TelemetryError;

void CheckRecord(const FlightData& rec) {
  for (const auto& f : velmora::kFlightFields)
    if (!std::isfinite(rec.*f.member)) __builtin_trap();
}

void CheckError(const TelemetryError& e) {
  // The quoted field is bounded: 64 bytes, "...", quotes and the fixed text.
  if (e.message.size() > velmora::kQuotedFieldLimit + 3 + 2 + 40) __builtin_trap();
}

struct Framed {
  FlightData rec;
  std::vector<std::string> errors;
};

Framed Frame(const std::vector<std::string_view>& reads) {
  Framed out;
  velmora::ApplyStartupValues(out.rec);
  TcpStreamFramer framer;
  for (auto r : reads)
    framer.Feed(r, out.rec, [&](const TelemetryError& e) {
      CheckError(e);
      out.errors.push_back(e.message);
    });
  CheckRecord(out.rec);
  return out;
}

bool SameRecord(const FlightData& a, const FlightData& b) {
  for (const auto& f : velmora::kFlightFields) {
    const double x = a.*f.member, y = b.*f.member;
    if (std::memcmp(&x, &y, sizeof x) != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string_view payload(reinterpret_cast<const char*>(data + 2), size - 2);

  FlightData udp;
  velmora::ApplyStartupValues(udp);
  if (auto e = velmora::ApplyDatagram(udp, payload)) CheckError(*e);
  if (udp.LastDatagramText != payload) __builtin_trap();
  CheckRecord(udp);

  double v = 0;
  if (velmora::ParseTelemetryNumber(payload, v) && !std::isfinite(v)) __builtin_trap();

  const std::size_t n = payload.size();
  const std::size_t a = n ? data[0] % (n + 1) : 0;
  const std::size_t b = a + (n - a ? data[1] % (n - a + 1) : 0);
  const Framed whole = Frame({payload});
  const Framed split = Frame({payload.substr(0, a), payload.substr(a, b - a), payload.substr(b)});
  // A cut can only matter once a tail outgrows the pending limit.
  if (n <= TcpStreamFramer::kMaxPending) {
    if (!SameRecord(whole.rec, split.rec) || whole.errors != split.errors) __builtin_trap();
  }
  return 0;
}
