// The tests' loopback peers on standalone Asio. Each object runs its own
// io_context only while a call waits: the operation is started
// asynchronously and the context run for at most the wait, then the
// operation is cancelled.
#include "tests/support/LoopbackSockets.h"

#include <asio.hpp>

namespace velmora::test {

namespace {

using asio::ip::tcp;
using asio::ip::udp;

asio::ip::address_v4 Address(bool anyAddress) {
  return anyAddress ? asio::ip::address_v4::any() : asio::ip::address_v4::loopback();
}

// Runs io until the started operation's handler set done, or cancels it
// with cancel() once wait is over.
template <class Cancel>
void RunFor(asio::io_context& io, const bool& done, Wait wait, Cancel cancel) {
  io.restart();
  io.run_for(wait);
  if (!done) {
    cancel();
    io.restart();
    io.run();
  }
}

}  // namespace

bool SendDatagram(std::uint16_t port, std::string_view payload) { return UdpSocket().SendTo(port, payload); }

bool SendToGroup(const std::string& group, std::uint16_t port, std::string_view payload) {
  asio::io_context io;
  udp::socket socket(io, udp::v4());
  std::error_code ec;
  socket.set_option(asio::ip::multicast::hops(1), ec);
  socket.set_option(asio::ip::multicast::enable_loopback(true), ec);
  const auto sent =
      socket.send_to(asio::buffer(payload.data(), payload.size()), udp::endpoint(asio::ip::make_address_v4(group), port), 0, ec);
  return !ec && sent == payload.size();
}

std::error_code AddressInUseError() { return asio::error::address_in_use; }
std::error_code ConnectionResetError() { return asio::error::connection_reset; }

// ---------------------------------------------------------------------------
struct UdpSocket::Impl {
  asio::io_context io;
  udp::socket socket{io};
};

UdpSocket::UdpSocket(bool anyAddress) : impl_(std::make_unique<Impl>()) {
  impl_->socket.open(udp::v4());
  impl_->socket.bind(udp::endpoint(Address(anyAddress), 0));
}
UdpSocket::~UdpSocket() = default;
UdpSocket::UdpSocket(UdpSocket&&) noexcept = default;
UdpSocket& UdpSocket::operator=(UdpSocket&&) noexcept = default;

std::uint16_t UdpSocket::Port() const { return impl_->socket.local_endpoint().port(); }

bool UdpSocket::SendTo(std::uint16_t port, std::string_view payload) {
  std::error_code ec;
  const std::size_t sent = impl_->socket.send_to(asio::buffer(payload.data(), payload.size()),
                                                 udp::endpoint(asio::ip::address_v4::loopback(), port), 0, ec);
  return !ec && sent == payload.size();
}

std::optional<std::string> UdpSocket::Receive(Wait wait) {
  std::string buffer(65536, '\0');
  bool done = false;
  std::error_code error;
  std::size_t got = 0;
  impl_->socket.async_receive(asio::buffer(buffer), [&](std::error_code ec, std::size_t n) {
    done = true;
    error = ec;
    got = n;
  });
  RunFor(impl_->io, done, wait, [&] { impl_->socket.cancel(); });
  if (!done || error) return std::nullopt;
  buffer.resize(got);
  return buffer;
}

// ---------------------------------------------------------------------------
struct TcpClient::Impl {
  asio::io_context io;
  tcp::socket socket{io};
  bool connected = false;
  bool ended = false;
};

TcpClient::TcpClient() : impl_(std::make_unique<Impl>()) {}

TcpClient::TcpClient(std::uint16_t port) : TcpClient() {
  std::error_code ec;
  impl_->socket.connect(tcp::endpoint(asio::ip::address_v4::loopback(), port), ec);
  impl_->connected = !ec;
}
TcpClient::~TcpClient() = default;
TcpClient::TcpClient(TcpClient&&) noexcept = default;
TcpClient& TcpClient::operator=(TcpClient&&) noexcept = default;

bool TcpClient::Connected() const { return impl_ && impl_->connected; }

bool TcpClient::Send(std::string_view text) {
  std::error_code ec;
  const std::size_t sent = asio::write(impl_->socket, asio::buffer(text.data(), text.size()), ec);
  return !ec && sent == text.size();
}

std::string TcpClient::ReceiveSome(Wait wait) {
  char buffer[65536];
  bool done = false;
  std::size_t got = 0;
  impl_->socket.async_read_some(asio::buffer(buffer), [&](std::error_code ec, std::size_t n) {
    done = true;
    got = n;
    if (ec && ec != asio::error::operation_aborted) impl_->ended = true;  // not when the wait ran out
  });
  RunFor(impl_->io, done, wait, [&] { impl_->socket.cancel(); });
  return {buffer, done ? got : 0};
}

std::string TcpClient::Receive(Wait wait, std::string_view until) {
  std::string got;
  const auto end = std::chrono::steady_clock::now() + wait;
  while (!impl_->ended) {
    const auto left = std::chrono::duration_cast<Wait>(end - std::chrono::steady_clock::now());
    if (left <= Wait::zero()) break;
    const std::string some = ReceiveSome(left);
    if (some.empty() && !impl_->ended) break;
    got += some;
    if (!until.empty() && got.find(until) != std::string::npos) break;
  }
  return got;
}

bool TcpClient::Ended() const { return impl_->ended; }

void TcpClient::Abort() {
  std::error_code ec;
  impl_->socket.set_option(asio::socket_base::linger(true, 0), ec);
  impl_->socket.close(ec);
}

void TcpClient::Close() {
  std::error_code ec;
  impl_->socket.shutdown(tcp::socket::shutdown_both, ec);
  impl_->socket.close(ec);
}

// ---------------------------------------------------------------------------
struct TcpListener::Impl {
  asio::io_context io;
  tcp::acceptor acceptor{io};
};

TcpListener::TcpListener(bool anyAddress, int receiveBuffer, bool listenNow) : impl_(std::make_unique<Impl>()) {
  impl_->acceptor.open(tcp::v4());
  if (receiveBuffer > 0) impl_->acceptor.set_option(asio::socket_base::receive_buffer_size(receiveBuffer));
  impl_->acceptor.bind(tcp::endpoint(Address(anyAddress), 0));
  if (listenNow) Listen();
}
TcpListener::~TcpListener() = default;

std::uint16_t TcpListener::Port() const { return impl_->acceptor.local_endpoint().port(); }

void TcpListener::Listen() { impl_->acceptor.listen(); }

std::optional<TcpClient> TcpListener::Accept(Wait wait) {
  TcpClient client;
  bool done = false;
  std::error_code error;
  // The accepted socket belongs to the client's own context.
  impl_->acceptor.async_accept(client.impl_->io, [&](std::error_code ec, tcp::socket socket) {
    done = true;
    error = ec;
    if (!ec) client.impl_->socket = std::move(socket);
  });
  RunFor(impl_->io, done, wait, [&] { impl_->acceptor.cancel(); });
  if (!done || error) return std::nullopt;
  client.impl_->connected = true;
  return client;
}

}  // namespace velmora::test
