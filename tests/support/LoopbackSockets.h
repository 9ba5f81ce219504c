// The tests' own peers on loopback (127.0.0.1): a UDP socket, a TCP client
// and a TCP listener, the same on every system the tests run on. Every wait
// has a limit, so a test that goes wrong fails instead of hanging.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace velmora::test {

using Wait = std::chrono::milliseconds;

// A datagram to 127.0.0.1:port from a fresh socket; false when not all of it went.
bool SendDatagram(std::uint16_t port, std::string_view payload);

// A datagram to a multicast group (TTL 1, looped back to this machine);
// false when it could not go (no multicast route, say).
bool SendToGroup(const std::string& group, std::uint16_t port, std::string_view payload);

// The system's codes for two socket errors the display reports by number.
std::error_code AddressInUseError();
std::error_code ConnectionResetError();

class UdpSocket {
 public:
  // Bound to a free loopback port, or to any address when anyAddress (to
  // hold a port against a listener that binds to all of them).
  explicit UdpSocket(bool anyAddress = false);
  ~UdpSocket();
  UdpSocket(UdpSocket&&) noexcept;
  UdpSocket& operator=(UdpSocket&&) noexcept;
  std::uint16_t Port() const;
  // A datagram to 127.0.0.1:port; false when not all of it went.
  bool SendTo(std::uint16_t port, std::string_view payload);
  // The next datagram, or none within wait.
  std::optional<std::string> Receive(Wait wait);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class TcpClient {
 public:
  // Connected to 127.0.0.1:port, or not (Connected() says).
  explicit TcpClient(std::uint16_t port);
  ~TcpClient();
  TcpClient(TcpClient&&) noexcept;
  TcpClient& operator=(TcpClient&&) noexcept;
  bool Connected() const;
  // False when not all of text could be sent.
  bool Send(std::string_view text);
  // What arrives until the peer closes, `until` shows up, or wait is over.
  std::string Receive(Wait wait, std::string_view until = {});
  // Whatever single read comes first within wait: empty when none came.
  std::string ReceiveSome(Wait wait);
  // The peer ended the stream (or reset it) during a Receive.
  bool Ended() const;
  // Closes at once with a reset instead of an orderly end.
  void Abort();
  void Close();

 private:
  friend class TcpListener;
  TcpClient();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class TcpListener {
 public:
  // Bound to a free port, on loopback or on any address. receiveBuffer > 0
  // shrinks the receive buffer of the connections it accepts. With
  // listenNow false, connections are refused until Listen().
  explicit TcpListener(bool anyAddress = false, int receiveBuffer = 0, bool listenNow = true);
  ~TcpListener();
  std::uint16_t Port() const;
  void Listen();
  // The next connection, or none within wait.
  std::optional<TcpClient> Accept(Wait wait);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora::test
