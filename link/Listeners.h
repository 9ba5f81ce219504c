// The UDP and TCP telemetry listeners: pure transport. One network thread
// runs the sockets; the datagrams that are waiting (read in one batch) and
// every TCP chunk are handed to the main thread through the hand-over queue
// and delivered there, one Received call each, in arrival order, to one sink
// that does everything else (recording, scanning, counting, reporting). The
// socket library stays out of this header.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora {

class HandoverQueue;

struct ListenerConfig {
  std::uint16_t udpPort = 20083;
  std::uint16_t tcpPort = 20081;
  // An IPv4 multicast group to join on the UDP port ("239.20.0.83"); empty:
  // none. The UDP port is then shared, so several displays on one machine
  // hear the group.
  std::string udpGroup;
};

enum class Transport { Udp, Tcp };

// "udp" or "tcp", as recordings and reports name them.
inline std::string_view TransportName(Transport transport) { return transport == Transport::Udp ? "udp" : "tcp"; }

// Bytes as they arrived: one whole datagram, or one read from a TCP
// connection. `connection` is 0 for UDP and a number unique to each accepted
// TCP connection (never reused while the listeners live). The views are valid
// only during the call.
struct Arrival {
  Transport transport;
  std::uint32_t connection;
  std::string_view bytes;
  std::chrono::steady_clock::time_point received;
  std::string_view peer;  // "address:port"
};

// Everything the listeners deliver; always called on the main thread.
class TelemetrySink {
 public:
  virtual ~TelemetrySink() = default;
  virtual void Received(const Arrival& arrival) = 0;
  // The TCP connection is gone (closed by the peer, failed, or the listener
  // was switched off); whatever it had not finished is to be forgotten.
  virtual void ConnectionClosed(std::uint32_t connection) = 0;
  // A TCP connection failed; the message is the one the user sees, without a
  // closing ".".
  virtual void ConnectionFailed(std::uint32_t connection, std::string_view peer, const std::string& message) = 0;
  // A datagram longer than kMaxDatagram arrived and was dropped whole.
  virtual void DatagramTooLarge(std::string_view /*peer*/, std::size_t /*size*/,
                                std::chrono::steady_clock::time_point /*received*/) {}
};

// A listener could not be opened; what() is the message the user sees and
// failure() tells what went wrong.
class ListenerOpenError : public std::runtime_error {
 public:
  enum class Failure {
    PortInUse,     // UDP: the port is held by another program
    UdpSocket,     // UDP: any other socket error
    CreateSocket,  // TCP: no socket could be created
    TcpSocket,     // TCP: bind or listen failed
  };
  ListenerOpenError(Failure failure, const std::string& message) : std::runtime_error(message), failure_(failure) {}
  Failure failure() const { return failure_; }

 private:
  Failure failure_;
};

class TelemetryListeners {
 public:
  static constexpr std::size_t kMaxDatagram = 8192;
  // The network thread reads every datagram that is waiting, up to this many
  // or this many bytes, and hands them to the main thread in one go.
  static constexpr std::size_t kUdpBatchDatagrams = 64;
  static constexpr std::size_t kUdpBatchBytes = 256 * 1024;
  // Asked of the kernel for the UDP socket's receive queue.
  static constexpr std::size_t kUdpSocketBuffer = 1024 * 1024;
  static constexpr int kListenBacklog = 5;
  static constexpr std::size_t kMaxConnections = 64;

  // All members are called on the main thread, never from inside the sink.
  TelemetryListeners(TelemetrySink& sink, HandoverQueue& queue, ListenerConfig cfg);
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
  // The UDP socket's receive queue as the kernel granted it, in bytes; 0 while closed.
  std::size_t UdpReceiveBuffer() const;
  // The networks the UDP socket joined the group on (0 without a group), and
  // why it could not join one, for the start-up line; empty when it did.
  std::size_t UdpGroupJoins() const;
  std::string UdpGroupProblem() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
