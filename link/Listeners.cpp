// UDP and TCP telemetry listeners on one Asio network thread.
#include "link/Listeners.h"

#include "link/Handover.h"
#include "platform/NetworkAddresses.h"
#include "platform/SocketErrors.h"

#include <asio.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <future>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora {

namespace {

using asio::ip::tcp;
using asio::ip::udp;
using Clock = std::chrono::steady_clock;

std::string SocketError(const std::error_code& ec, const char* api) {
  return std::string(platform::kSocketErrorWords) + ": " + ec.message() + " (" + std::to_string(ec.value()) + "), on API '" +
         api + "'";
}

template <class Endpoint>
std::string PeerText(const Endpoint& ep) {
  return ep.address().to_string() + ":" + std::to_string(ep.port());
}

// Each datagram is read into a slot one byte larger than the biggest one
// accepted: a datagram that fills the slot was cut short by the receive (or
// reported as too large), so it is oversized and dropped whole.
constexpr std::size_t kUdpSlot = TelemetryListeners::kMaxDatagram + 1;
// Where the socket layer can say so, a datagram too long for its slot is
// received with its real length (the bytes beyond the slot are discarded).
#ifdef MSG_TRUNC
constexpr asio::socket_base::message_flags kRealLength = MSG_TRUNC;
#else
constexpr asio::socket_base::message_flags kRealLength = 0;
#endif
constexpr std::size_t kTcpReadBuffer = 16384;

// "a.b.c.d:port" without touching the heap; the network thread formats one
// per datagram.
void FormatPeer(const udp::endpoint& ep, std::array<char, 24>& out, std::size_t& length) {
  if (!ep.address().is_v4()) {
    length = 0;
    return;
  }
  const auto b = ep.address().to_v4().to_bytes();
  const int n = std::snprintf(out.data(), out.size(), "%u.%u.%u.%u:%u", b[0], b[1], b[2], b[3],
                              static_cast<unsigned>(ep.port()));
  length = n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace

struct TelemetryListeners::Impl {
  struct Connection {
    explicit Connection(tcp::socket s) : socket(std::move(s)) {}
    tcp::socket socket;
    std::array<char, kTcpReadBuffer> buffer;
    std::string peer;
    std::uint32_t id = 0;
  };
  using ConnectionPtr = std::shared_ptr<Connection>;

  // The datagrams that were waiting, read in one go and handed over together.
  struct UdpBatch {
    struct Entry {
      std::size_t offset = 0, size = 0;
      Clock::time_point received;
      std::array<char, 24> peer{};
      std::size_t peerLength = 0;
      bool tooLarge = false;  // dropped whole; size is its length as far as known
    };
    std::vector<char> bytes = std::vector<char>(kUdpBatchBytes);
    std::array<Entry, kUdpBatchDatagrams> entries;
    std::size_t count = 0;
  };

  Impl(TelemetrySink& s, HandoverQueue& q, ListenerConfig c) : sink(s), queue(q), cfg(c) {
    netThread = std::thread([this] {
      try {
        ctx.run();
      } catch (...) {
        // Every handler catches its own failures; nothing should get here.
      }
      netDone = true;
    });
  }

  // Runs fn on the network thread and waits for it. While waiting, the main
  // thread keeps running hand-overs, so a network thread blocked in one can
  // finish it and get to fn.
  template <class F>
  void RunOnNet(F fn) {
    std::promise<void> done;
    auto finished = done.get_future();
    asio::post(ctx, [&] {
      try {
        fn();
        done.set_value();
      } catch (...) {
        done.set_exception(std::current_exception());
      }
    });
    while (finished.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
      queue.RunPending();
      queue.WaitForWork(std::chrono::milliseconds(1));
    }
    finished.get();
  }

  void HandOver(std::function<void()> job) {
    try {
      queue.RunOnMain(std::move(job));
    } catch (...) {
      // A failing sink must not stop reception.
    }
  }

  // ---- UDP (network thread) ----
  void OpenUdp() {
    std::error_code ec;
    udpSocket.open(udp::v4(), ec);
    // A group is for many displays: on one machine they share the port, and
    // every one of them gets each datagram sent to the group. Without a
    // group the port stays one display's, as before.
    if (!ec && !cfg.udpGroup.empty()) udpSocket.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec) udpSocket.bind(udp::endpoint(asio::ip::address_v4::any(), cfg.udpPort), ec);
    if (ec) {
      std::error_code ignored;
      udpSocket.close(ignored);
      if (ec == asio::error::address_in_use)
        throw ListenerOpenError(ListenerOpenError::Failure::PortInUse,
                                "Could not bind socket. Address and port are already in use.");
      throw ListenerOpenError(ListenerOpenError::Failure::UdpSocket,
                              "Socket Error # " + std::to_string(ec.value()) + "\n" + ec.message());
    }
    udpSocket.set_option(asio::socket_base::broadcast(false), ec);
    // A deep queue lets an exporter's burst wait in the kernel while a frame
    // draws instead of being dropped; the kernel may grant less.
    udpSocket.set_option(asio::socket_base::receive_buffer_size(static_cast<int>(kUdpSocketBuffer)), ec);
    asio::socket_base::receive_buffer_size granted;
    udpSocket.get_option(granted, ec);
    udpReceiveBuffer = ec ? 0 : static_cast<std::size_t>(granted.value());
    // Reads drain what is waiting and stop at "would block".
    udpSocket.non_blocking(true, ec);
    udpPort = udpSocket.local_endpoint(ec).port();
    if (!cfg.udpGroup.empty()) JoinGroup();
    ++udpGeneration;
    udpOpen = true;
    AwaitDatagrams(udpGeneration);
  }

  // On every network the machine is on, so an exporter's group datagrams
  // arrive whichever interface they come in by; the system's default
  // interface when none will take it.
  void JoinGroup() {
    std::error_code ec;
    const auto group = asio::ip::make_address_v4(cfg.udpGroup, ec);
    std::size_t joins = 0;
    std::string problem;
    if (ec) {
      problem = cfg.udpGroup + ": " + ec.message();
    } else {
      std::vector<std::string> interfaces = platform::SendToAddresses();
      if (std::find(interfaces.begin(), interfaces.end(), "127.0.0.1") == interfaces.end())
        interfaces.push_back("127.0.0.1");
      for (const std::string& i : interfaces) {
        const auto local = asio::ip::make_address_v4(i, ec);
        if (!ec) udpSocket.set_option(asio::ip::multicast::join_group(group, local), ec);
        if (ec) {
          // Loopback often cannot take a group: not worth a word when another network did.
          if (i != "127.0.0.1" || problem.empty()) problem = i + ": " + ec.message();
        } else {
          ++joins;
        }
      }
      if (joins == 0) {
        udpSocket.set_option(asio::ip::multicast::join_group(group), ec);
        if (!ec) ++joins;
      }
      if (joins > 0) problem.clear();
    }
    std::lock_guard lock(groupMutex);
    groupJoins = joins;
    groupProblem = problem;
  }

  void CloseUdp() {
    if (!udpOpen) return;
    udpOpen = false;
    ++udpGeneration;
    std::error_code ignored;
    udpSocket.close(ignored);
    udpPort = 0;
    udpReceiveBuffer = 0;
  }

  void AwaitDatagrams(unsigned generation) {
    udpSocket.async_wait(udp::socket::wait_read, [this, generation](const std::error_code& ec) {
      if (generation != udpGeneration || !udpOpen) return;
      if (!ec) HandOverBatch(ReadBatch());
      if (generation != udpGeneration || !udpOpen) return;
      AwaitDatagrams(generation);
    });
  }

  // Reads every datagram that is waiting, up to one batch. Receive errors and
  // oversized datagrams are dropped here; each attempt counts against the
  // batch, so a socket that keeps failing cannot hold the thread.
  UdpBatch& ReadBatch() {
    UdpBatch& b = udpBatch;
    b.count = 0;
    std::size_t used = 0;
    for (std::size_t attempt = 0; attempt < kUdpBatchDatagrams && used + kUdpSlot <= b.bytes.size(); ++attempt) {
      std::error_code ec;
      const std::size_t n =
          udpSocket.receive_from(asio::buffer(b.bytes.data() + used, kUdpSlot), udpSender, kRealLength, ec);
      if (ec == asio::error::would_block || ec == asio::error::try_again) break;
      // Too long for a message: dropped whole, but reported, so an exporter
      // author learns why nothing moves.
      const bool tooLarge = (!ec && n > TelemetryListeners::kMaxDatagram) || ec == asio::error::message_size;
      if (ec && !tooLarge) continue;
      auto& e = b.entries[b.count++];
      e.offset = used;
      e.size = tooLarge ? std::max(n, kUdpSlot) : n;
      e.tooLarge = tooLarge;
      e.received = Clock::now();
      FormatPeer(udpSender, e.peer, e.peerLength);
      if (!tooLarge) used += n;
    }
    return b;
  }

  // One hand-over for the whole batch; each datagram still reaches the sink
  // on its own, in arrival order, and one that fails does not keep the
  // others from it.
  void HandOverBatch(const UdpBatch& b) {
    if (b.count == 0) return;
    HandOver([this, &b] {
      for (std::size_t i = 0; i < b.count; ++i) {
        const auto& e = b.entries[i];
        const std::string_view peer(e.peer.data(), e.peerLength);
        const Arrival a{Transport::Udp, 0, std::string_view(b.bytes.data() + e.offset, e.size), e.received, peer};
        try {
          if (e.tooLarge) {
            sink.DatagramTooLarge(peer, e.size, e.received);
          } else {
            sink.Received(a);
          }
        } catch (...) {
          // A datagram's failure is its own; reception goes on.
        }
      }
    });
  }

  // ---- TCP (network thread) ----
  void OpenTcp() {
    std::error_code ec;
    acceptor.open(tcp::v4(), ec);
    if (ec) throw ListenerOpenError(ListenerOpenError::Failure::CreateSocket, "Can't create new socket");
    // Lets a restarted display bind while old connections linger in
    // TIME_WAIT; on Linux it still refuses a port another listener holds.
    // On Windows the same option would let a second display take the port
    // over; there the port is claimed exclusively instead (Windows allows
    // the restart anyway).
#if defined(_WIN32)
    acceptor.set_option(asio::detail::socket_option::boolean<SOL_SOCKET, SO_EXCLUSIVEADDRUSE>(true), ec);
#else
    acceptor.set_option(asio::socket_base::reuse_address(true), ec);
#endif
    acceptor.bind(tcp::endpoint(asio::ip::address_v4::any(), cfg.tcpPort), ec);
    const char* api = "bind";
    if (!ec) {
      api = "listen";
      acceptor.listen(kListenBacklog, ec);
    }
    if (ec) {
      std::error_code ignored;
      acceptor.close(ignored);
      throw ListenerOpenError(ListenerOpenError::Failure::TcpSocket, SocketError(ec, api));
    }
    tcpPort = acceptor.local_endpoint(ec).port();
    ++tcpGeneration;
    tcpOpen = true;
    Accept(tcpGeneration);
  }

  void CloseTcp() {
    if (!tcpOpen) return;
    tcpOpen = false;
    ++tcpGeneration;
    std::error_code ignored;
    for (auto& c : connections) {
      c->socket.close(ignored);
      Closed(c->id);
    }
    connections.clear();
    connectionCount = 0;
    acceptor.close(ignored);
    retryTimer.cancel();
    tcpPort = 0;
  }

  void Accept(unsigned generation) {
    acceptor.async_accept([this, generation](const std::error_code& ec, tcp::socket socket) {
      if (generation != tcpGeneration || !tcpOpen) return;
      if (ec) {
        // Out of descriptors and the like: try again shortly rather than spin.
        retryTimer.expires_after(std::chrono::milliseconds(100));
        retryTimer.async_wait([this, generation](const std::error_code& timerEc) {
          if (!timerEc && generation == tcpGeneration && tcpOpen) Accept(generation);
        });
        return;
      }
      if (connections.size() >= kMaxConnections) {
        std::error_code ignored;
        socket.close(ignored);
      } else {
        auto c = std::make_shared<Connection>(std::move(socket));
        std::error_code peerEc;
        c->peer = PeerText(c->socket.remote_endpoint(peerEc));
        c->id = ++lastConnectionId;
        connections.push_back(c);
        connectionCount = connections.size();
        Read(c, generation);
      }
      Accept(generation);
    });
  }

  void Drop(const ConnectionPtr& c) {
    std::error_code ignored;
    c->socket.close(ignored);
    connections.remove(c);
    connectionCount = connections.size();
    Closed(c->id);
  }

  void Closed(std::uint32_t id) {
    HandOver([this, id] { sink.ConnectionClosed(id); });
  }

  void ReportTcp(const ConnectionPtr& c, std::string message) {
    HandOver([this, &c, &message] { sink.ConnectionFailed(c->id, c->peer, message); });
  }

  void Read(const ConnectionPtr& c, unsigned generation) {
    c->socket.async_read_some(asio::buffer(c->buffer), [this, c, generation](const std::error_code& ec,
                                                                             std::size_t n) {
      if (generation != tcpGeneration || !tcpOpen || !c->socket.is_open()) return;
      if (ec == asio::error::eof) {
        Drop(c);  // a clean close leaves no trace; any unfinished tail is dropped
        return;
      }
      if (ec == asio::error::connection_reset) {
        ReportTcp(c, "Asynchronous socket error " + std::to_string(ec.value()));
        Drop(c);
        return;
      }
      if (ec == asio::error::operation_aborted) return;
      if (ec) {
        ReportTcp(c, SocketError(ec, "recv"));
        Drop(c);
        return;
      }
      const Arrival arrival{Transport::Tcp, c->id, std::string_view(c->buffer.data(), n), Clock::now(), c->peer};
      HandOver([this, &arrival] { sink.Received(arrival); });
      if (generation != tcpGeneration || !tcpOpen || !c->socket.is_open()) return;
      Read(c, generation);
    });
  }

  TelemetrySink& sink;
  HandoverQueue& queue;
  ListenerConfig cfg;

  asio::io_context ctx;
  asio::executor_work_guard<asio::io_context::executor_type> work{ctx.get_executor()};

  udp::socket udpSocket{ctx};
  udp::endpoint udpSender;
  UdpBatch udpBatch;
  unsigned udpGeneration = 0;

  tcp::acceptor acceptor{ctx};
  asio::steady_timer retryTimer{ctx};
  std::list<ConnectionPtr> connections;
  std::uint32_t lastConnectionId = 0;
  unsigned tcpGeneration = 0;

  // Written on the network thread, read by the main thread.
  std::atomic<bool> udpOpen{false};
  std::atomic<bool> tcpOpen{false};
  std::atomic<std::uint16_t> udpPort{0};
  std::atomic<std::uint16_t> tcpPort{0};
  std::atomic<std::size_t> udpReceiveBuffer{0};
  std::atomic<std::size_t> connectionCount{0};
  std::atomic<bool> netDone{false};
  mutable std::mutex groupMutex;
  std::size_t groupJoins = 0;
  std::string groupProblem;

  std::thread netThread;
};

TelemetryListeners::TelemetryListeners(TelemetrySink& sink, HandoverQueue& queue, ListenerConfig cfg)
    : impl_(std::make_unique<Impl>(sink, queue, cfg)) {}

TelemetryListeners::~TelemetryListeners() {
  Impl& d = *impl_;
  try {
    d.RunOnNet([&d] {
      d.CloseUdp();
      d.CloseTcp();
    });
  } catch (...) {
  }
  d.work.reset();
  d.ctx.stop();
  // The network thread may be inside a hand-over: keep serving them until it ends.
  while (!d.netDone) {
    d.queue.RunPending();
    d.queue.WaitForWork(std::chrono::milliseconds(1));
  }
  d.netThread.join();
}

void TelemetryListeners::Open() {
  SetUdpActive(true);
  try {
    SetTcpActive(true);
  } catch (...) {
    SetUdpActive(false);
    throw;
  }
}

void TelemetryListeners::SetUdpActive(bool active) {
  if (active == UdpActive()) return;
  Impl& d = *impl_;
  d.RunOnNet([&d, active] { active ? d.OpenUdp() : d.CloseUdp(); });
}

void TelemetryListeners::SetTcpActive(bool active) {
  if (active == TcpActive()) return;
  Impl& d = *impl_;
  d.RunOnNet([&d, active] { active ? d.OpenTcp() : d.CloseTcp(); });
}

bool TelemetryListeners::UdpActive() const { return impl_->udpOpen; }
bool TelemetryListeners::TcpActive() const { return impl_->tcpOpen; }
std::uint16_t TelemetryListeners::UdpPort() const { return impl_->udpPort; }
std::uint16_t TelemetryListeners::TcpPort() const { return impl_->tcpPort; }
std::size_t TelemetryListeners::UdpReceiveBuffer() const { return impl_->udpReceiveBuffer; }
std::size_t TelemetryListeners::TcpConnectionCount() const { return impl_->connectionCount; }
std::size_t TelemetryListeners::UdpGroupJoins() const {
  std::lock_guard lock(impl_->groupMutex);
  return impl_->groupJoins;
}
std::string TelemetryListeners::UdpGroupProblem() const {
  std::lock_guard lock(impl_->groupMutex);
  return impl_->groupProblem;
}

}  // namespace velmora
