// The UDP and TCP telemetry listeners. One network thread runs the sockets;
// every datagram and every TCP chunk is handed to the main thread through the
// hand-over queue and parsed there, one at a time, in arrival order. The
// socket library stays out of this header.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora {

struct FlightData;
class HandoverQueue;

struct ListenerConfig {
  std::uint16_t udpPort = 20083;
  std::uint16_t tcpPort = 20081;
};

struct ListenerHooks {
  // Main thread, after a UDP datagram or a TCP message was scanned: when it was
  // received and whether it applied without error.
  std::function<void(std::chrono::steady_clock::time_point received, bool ok)> onMessage;
  // Main thread: a TCP error for the application's error box (without the
  // closing "."), and the peer's address for stderr.
  std::function<void(const std::string& message, const std::string& peer)> onTcpError;
  // Main thread, before the bytes are scanned: every datagram, and every TCP
  // read as it arrived ("udp" or "tcp"). Used to record a session.
  std::function<void(std::string_view transport, std::string_view bytes,
                     std::chrono::steady_clock::time_point received)> onReceived;
};

// A listener could not be opened; what() is the message the user sees.
class ListenerOpenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TelemetryListeners {
 public:
  static constexpr std::size_t kMaxDatagram = 8192;
  static constexpr int kListenBacklog = 5;
  static constexpr std::size_t kMaxConnections = 64;

  // All members are called on the main thread, never from inside a hook.
  TelemetryListeners(FlightData& rec, HandoverQueue& queue, ListenerConfig cfg, ListenerHooks hooks);
  ~TelemetryListeners();  // closes both, ends the network thread; never deadlocks
  TelemetryListeners(const TelemetryListeners&) = delete;
  TelemetryListeners& operator=(const TelemetryListeners&) = delete;

  // Opens UDP, then TCP. On failure closes what it opened and throws
  // ListenerOpenError.
  void Open();

  // Opening or closing one listener; setting the value it already has does nothing.
  void SetUdpActive(bool active);
  void SetTcpActive(bool active);
  bool UdpActive() const;
  bool TcpActive() const;

  // Ports actually bound (a configured 0 picks a free one); 0 while closed.
  std::uint16_t UdpPort() const;
  std::uint16_t TcpPort() const;
  std::size_t TcpConnectionCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
