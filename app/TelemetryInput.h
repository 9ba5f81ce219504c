// The telemetry input: where bytes from the network (or a --feed file) become
// the flight data record. Every arrival is recorded (when a recording runs),
// scanned (a datagram on its own, a TCP connection through its own framer),
// counted for the run statistics and, on error, reported.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "link/FlightData.h"
#include "link/LinkStatus.h"
#include "link/Listeners.h"
#include "link/Telemetry.h"

namespace velmora {

class RunStats;
class ErrorReporter;

// Keeps what arrived, as it arrived (the --record file).
class ArrivalRecorder {
 public:
  virtual ~ArrivalRecorder() = default;
  virtual void Write(const Arrival& arrival) = 0;
  // TCP connection `connection` went away (a replay then closes it too).
  virtual void Closed(std::uint32_t /*connection*/, std::chrono::steady_clock::time_point /*when*/) {}
};

class TelemetryInput : public TelemetrySink {
 public:
  // stats, reporter and recorder may be null.
  TelemetryInput(FlightData& flight, RunStats* stats, ErrorReporter* reporter, ArrivalRecorder* recorder);

  // What positions 34 to 40 set (--target-fields); before the first arrival.
  void SetScanOptions(ScanOptions options) { scan_ = options; }

  void Received(const Arrival& arrival) override;
  void ConnectionClosed(std::uint32_t connection) override;
  void ConnectionFailed(std::uint32_t connection, std::string_view peer, const std::string& message) override;
  void DatagramTooLarge(std::string_view peer, std::size_t size, std::chrono::steady_clock::time_point received) override;

  // A file's bytes handed over as one datagram (--feed), through the same
  // path as the network's; returns the scanner's error for the caller to show.
  std::optional<TelemetryError> Feed(std::string_view bytes);

  // Unfinished TCP messages held, one framer per open connection.
  std::size_t OpenConnections() const { return framers_.size(); }

  const LinkStatus& Status() const { return status_; }
  void SetDiscovery(LinkStatus::Discovery discovery) { status_.discovery = std::move(discovery); }

 private:
  void Counted(const Arrival& arrival, const TelemetryError* error);
  void NoteError(std::string_view peer, std::string_view message, int field = 0);

  std::optional<TelemetryError> ReceiveDatagram(const Arrival& arrival);

  FlightData& flight_;
  RunStats* stats_;
  ErrorReporter* reporter_;
  ArrivalRecorder* recorder_;
  std::map<std::uint32_t, TcpStreamFramer> framers_;
  ScanOptions scan_;
  LinkStatus status_;
};

}  // namespace velmora
