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

// What the link has done so far, for the glass (the no-data band and the
// link page) to read between frames: counters, the last sender and the last
// errors. Plain values, so a reader never reaches into the input itself.
struct LinkStatus {
  static constexpr std::size_t kErrorsKept = 3;
  std::uint64_t applied = 0;   // messages that reached the record without an error
  std::uint64_t rejected = 0;  // messages or datagrams dropped or cut short by an error
  std::optional<std::chrono::steady_clock::time_point> lastApplied;
  std::string lastSender;      // "address:port" (or "--feed") of the last applied message
  // Newest first; "sender: field N: message". errorCount says how many are set.
  std::array<std::string, kErrorsKept> errors;
  std::size_t errorCount = 0;
  // How the display is found: filled in by the composition root.
  struct Discovery {
    std::string name;        // the name announced; empty with --no-announce
    std::string beacon;      // "every 2 s to UDP 20084 (2 networks)", "off (--no-announce)", a failure
    std::string dnsSd;       // "registered '...' _velmora._udp", or why not
    bool beaconWorking = false;
    bool dnsSdWorking = false;
  } discovery;
};

class TelemetryInput : public TelemetrySink {
 public:
  // stats, reporter and recorder may be null.
  TelemetryInput(FlightData& flight, RunStats* stats, ErrorReporter* reporter, ArrivalRecorder* recorder);

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
  LinkStatus status_;
};

}  // namespace velmora
