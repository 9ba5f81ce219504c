// What the telemetry link has done so far: a snapshot the pages read.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

// What the link has done so far, for the no-data overlay and the link page to read between frames: counters, the last sender and the last
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
};

}  // namespace velmora
