// Listening for displays' beacons (link/Beacon.h) on the announce port: what
// velmora-send --find prints and --relay --to auto feeds. The port is shared
// (another finder, an exporter on the same machine may listen too). The
// socket library stays out of this header.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "link/Beacon.h"

namespace asio {
class io_context;
}

namespace velmora {

class BeaconFinder {
 public:
  // Called on the io_context's thread for each beacon that changed the table
  // (New or Moved) and for each display forgotten (gone = true).
  using Changed = std::function<void(const BeaconTable::Display&, BeaconTable::Heard, bool gone)>;

  // Binds UDP port (0 picks a free one) on every address; throws
  // std::system_error when it cannot.
  BeaconFinder(asio::io_context& io, std::uint16_t port, Changed changed = {});
  ~BeaconFinder();
  BeaconFinder(const BeaconFinder&) = delete;
  BeaconFinder& operator=(const BeaconFinder&) = delete;

  std::uint16_t Port() const;
  const BeaconTable& Table() const;
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// velmora-send --find: listens for `seconds`, prints every display heard.
// Exit code 0 when one was heard, 1 when none, 2 when the port cannot be had.
int RunFind(std::uint16_t port, double seconds);

}  // namespace velmora
