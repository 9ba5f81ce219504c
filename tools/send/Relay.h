// The relay: receives what an exporter sends, as the display would (one
// message per UDP datagram, or "$"-closed messages on TCP connections), and
// forwards every message unchanged, in order, to each target. Targets are
// independent: a UDP target never blocks, a TCP target reconnects with a
// back-off and keeps its own queue, and once that queue is more than the lag
// limit behind, its oldest messages are dropped and counted.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/send/SendOptions.h"

namespace velmora {

struct TargetCounts {
  std::string label;  // "udp 127.0.0.1:20083"
  std::uint64_t sent = 0;
  std::uint64_t dropped = 0;
};

class Relay {
 public:
  static constexpr auto kMaxLag = std::chrono::seconds(1);

  // Binds the listening socket (port 0 picks a free one); throws
  // std::system_error when it cannot. With findOnPort, also listens there
  // for displays' beacons and feeds each display heard (--to auto), adding
  // and dropping them as they come and go.
  Relay(const RelayEndpoint& listen, const std::vector<RelayEndpoint>& targets,
        std::optional<std::uint16_t> findOnPort = std::nullopt);
  ~Relay();
  Relay(const Relay&) = delete;
  Relay& operator=(const Relay&) = delete;

  std::uint16_t ListenPort() const;
  // Forwards until Stop(); on the calling thread.
  void Run();
  // Any thread.
  void Stop();
  // Any thread; one entry per target, in the order given, then the displays
  // found. (Found ones: only while Run is not running.)
  std::vector<TargetCounts> Counts() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// velmora-send --relay: runs until Ctrl-C, then prints each target's figures.
int RunRelay(const SendOptions& options);

}  // namespace velmora
