// Telemetry scanner: turns the exporter's text ("numbers, each followed by a
// space, closed by $") into the flight data record, plus the per-connection
// framing that makes a TCP byte stream look like a sequence of such texts.
// Pure code: no I/O, no threads, no allocation per field.
#pragma once

#include "link/FlightData.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace velmora {

struct TelemetryError {
  // NoField: the message reached its "$" without completing a single field
  // (numbers separated by tabs, say, or a "$" on its own).
  enum Kind { Range, Conversion, NoField } kind;
  std::string message;  // without a trailing "."; the error box appends it
  int field = 0;        // message position of the offending field; 0 for the message as a whole
};

// Message positions 1..40 are converted; 1..33 reach the record.
inline constexpr int kTelemetryPositions = 40;
inline constexpr int kRecordPositions = 33;

// A field text longer than this is quoted shortened, followed by "...", so an
// exporter gone wrong cannot produce an unbounded error box or stderr line.
inline constexpr std::size_t kQuotedFieldLimit = 64;

// What the scanner takes from positions 34 to 40, which exporters have long
// filled with anything. Off by default: they are converted and dropped.
struct ScanOptions {
  // Position 34 sets TargetBearing (radians) and 35 TargetHeading (degrees),
  // the units the tactical page draws with (--target-fields).
  bool targetFields = false;
};
inline constexpr int kTargetBearingPosition = 34;
inline constexpr int kTargetHeadingPosition = 35;

// Converts one field (raw bytes, "," read as ".") by the exporter's number
// syntax: optional sign, digits, optional separator and digits (at least one
// digit or the separator), optional e/E with optional sign and digits (none
// counts as 0). Returns false for bad syntax or a magnitude beyond a double.
bool ParseTelemetryNumber(std::string_view field, double& out);

// Scans one text into the record. Positions the text does not fill keep the
// record's previous values. A field that does not convert keeps its previous
// value too, and the fields after it still apply; the first such field is the
// error returned. A 41st field or a text without "$" stops the scan, after
// the fields completed before it have been applied. The radar altitude
// plausibility rule runs whenever at least one byte was consumed.
std::optional<TelemetryError> ScanTelemetry(std::string_view text, FlightData& rec, ScanOptions options = {});

// Bytes an exporter may leave in front of a message (the previous message's
// line end, typically); they are skipped, not scanned as part of field 1.
constexpr bool IsLeadingBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// UDP entry: keeps a copy of the datagram in rec.LastDatagramText and scans
// it from its first byte that is not a leading blank.
std::optional<TelemetryError> ApplyDatagram(FlightData& rec, std::string_view payload, ScanOptions options = {});

// Per-connection framing of a TCP byte stream. Every complete message (up to
// and including its "$") is scanned in arrival order, whatever the read
// boundaries were; line ends and other bytes 0..32 in front of a message are
// dropped; bytes after the last "$" wait for the next chunk.
class TcpStreamFramer {
 public:
  // A tail longer than this without "$" is discarded with a range error, and
  // the rest of that broken message (up to its "$") is skipped.
  static constexpr std::size_t kMaxPending = 65536;

  explicit TcpStreamFramer(ScanOptions options = {}) : options_(options) {}

  // One per scanned message (scanned = true, error or nullptr) and one per
  // discarded overlong tail (scanned = false, with its error).
  struct Outcome {
    const TelemetryError* error;
    bool scanned;
    std::string_view message;  // the scanned text (up to its "$"); empty for a discard
  };

  // Calls onError(const TelemetryError&) for each error, in stream order.
  template <class F>
  void Feed(std::string_view chunk, FlightData& rec, F&& onError) {
    FeedEach(chunk, rec, [&onError](const Outcome& o) {
      if (o.error) onError(*o.error);
    });
  }

  // Calls onOutcome(const Outcome&) for every message and every discard.
  template <class F>
  void FeedEach(std::string_view chunk, FlightData& rec, F&& onOutcome) {
    using Fn = std::remove_reference_t<F>;
    FeedImpl(chunk, rec,
             [](void* ctx, const Outcome& o) { (*static_cast<Fn*>(ctx))(o); },
             const_cast<void*>(static_cast<const void*>(&onOutcome)));
  }

  std::size_t PendingBytes() const { return pending_.size(); }

  // The peer closed: whatever was pending is dropped without a report.
  void Reset();

 private:
  using Sink = void (*)(void*, const Outcome&);
  void FeedImpl(std::string_view chunk, FlightData& rec, Sink sink, void* ctx);
  void ScanOne(std::string_view message, FlightData& rec, Sink sink, void* ctx);

  ScanOptions options_;
  std::string pending_;
  bool skipping_ = false;
};

}  // namespace velmora
