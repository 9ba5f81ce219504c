// The relay on one Asio thread: every socket is asynchronous, so a target
// that is slow or absent holds up nothing but its own queue.
#include "tools/send/Relay.h"

#include "tools/send/Finder.h"

#include <asio.hpp>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <deque>
#include <iostream>
#include <functional>
#include <map>
#include <string_view>
#include <thread>

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;
using Message = std::shared_ptr<const std::string>;

std::string Label(const RelayEndpoint& e) {
  const bool v6 = e.endpoint.host.find(':') != std::string::npos;
  return std::string(e.tcp ? "tcp " : "udp ") + (v6 ? "[" + e.endpoint.host + "]" : e.endpoint.host) + ":" +
         std::to_string(e.endpoint.port);
}

// Shared, so a target dropped while its socket has work pending lives until
// that work has ended.
class Target : public std::enable_shared_from_this<Target> {
 public:
  explicit Target(std::string label) : label_(std::move(label)) {}
  virtual ~Target() = default;
  virtual void Forward(const Message& message, Clock::time_point received) = 0;
  virtual void Close() = 0;
  virtual void Start() {}
  TargetCounts Counts() const { return {label_, sent_.load(), dropped_.load()}; }

 protected:
  void Note(const std::string& text) const { std::cerr << "velmora-send: " << label_ << ": " << text << "\n"; }
  std::string label_;
  std::atomic<std::uint64_t> sent_{0}, dropped_{0};
};

// A datagram per message; a send that would block is a drop, never a wait.
class UdpTarget final : public Target {
 public:
  UdpTarget(asio::io_context& io, const RelayEndpoint& e) : Target(Label(e)), socket_(io) {
    asio::ip::udp::resolver resolver(io);
    const auto endpoints = resolver.resolve(e.endpoint.host, std::to_string(e.endpoint.port));
    // The display listens on IPv4: "localhost" must not end up as ::1.
    to_ = endpoints.begin()->endpoint();
    for (const auto& r : endpoints)
      if (r.endpoint().address().is_v4()) {
        to_ = r.endpoint();
        break;
      }
    socket_.open(to_.protocol());
    if (to_.address().is_multicast()) {  // a group of displays on this network, this PC's too
      socket_.set_option(asio::ip::multicast::hops(1));
      socket_.set_option(asio::ip::multicast::enable_loopback(true));
    }
    socket_.non_blocking(true);
  }
  void Forward(const Message& message, Clock::time_point) override {
    asio::error_code ec;
    socket_.send_to(asio::buffer(*message), to_, 0, ec);
    if (ec) {
      ++dropped_;
    } else {
      ++sent_;
    }
  }
  void Close() override {
    asio::error_code ec;
    socket_.close(ec);
  }

 private:
  asio::ip::udp::socket socket_;
  asio::ip::udp::endpoint to_;
};

// A connection kept up with a back-off, and a queue of what it has not
// taken yet.
class TcpTarget final : public Target {
 public:
  TcpTarget(asio::io_context& io, const RelayEndpoint& e)
      : Target(Label(e)), io_(io), socket_(io), timer_(io), host_(e.endpoint.host),
        port_(std::to_string(e.endpoint.port)) {}
  void Start() override { Connect(); }

  void Forward(const Message& message, Clock::time_point received) override {
    queue_.push_back({message, received});
    // Too far behind: the oldest waiting messages go.
    while (!queue_.empty() && received - queue_.front().received > Relay::kMaxLag) {
      queue_.pop_front();
      ++dropped_;
    }
    WriteNext();
  }

  void Close() override {
    closed_ = true;
    asio::error_code ec;
    timer_.cancel();
    socket_.close(ec);
  }

 private:
  static constexpr auto kFirstBackoff = std::chrono::milliseconds(250);
  static constexpr auto kMaxBackoff = std::chrono::seconds(2);
  static constexpr auto kConnectTimeout = std::chrono::seconds(2);
  // Small, so the kernel does not hide seconds of lag behind the queue.
  static constexpr int kSendBuffer = 16 * 1024;

  struct Item {
    Message message;
    Clock::time_point received;
  };

  void Connect() {
    if (closed_) return;
    asio::error_code ec;
    asio::ip::tcp::resolver resolver(io_);
    const auto endpoints = resolver.resolve(host_, port_, ec);
    if (ec) return Retry(ec.message());
    connecting_ = true;
    asio::async_connect(socket_, endpoints, [this, self = shared_from_this()](const asio::error_code& error, const asio::ip::tcp::endpoint&) {
      connecting_ = false;
      timer_.cancel();
      if (closed_) return;
      if (error) return Retry(error.message());
      asio::error_code ignored;
      socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
      socket_.set_option(asio::socket_base::send_buffer_size(kSendBuffer), ignored);
      connected_ = true;
      backoff_ = kFirstBackoff;
      Note("connected");
      waiting_ = false;
      WatchForClose();
      WriteNext();
    });
    timer_.expires_after(kConnectTimeout);
    timer_.async_wait([this, self = shared_from_this()](const asio::error_code& error) {
      if (!error && connecting_) {
        asio::error_code ignored;
        socket_.close(ignored);
      }
    });
  }

  void Retry(const std::string& why) {
    asio::error_code ignored;
    socket_.close(ignored);
    if (!waiting_) Note("not reachable (" + why + "), retrying");
    waiting_ = true;
    timer_.expires_after(backoff_);
    backoff_ = std::min<Clock::duration>(backoff_ * 2, kMaxBackoff);
    timer_.async_wait([this, self = shared_from_this()](const asio::error_code& error) {
      if (!error) Connect();
    });
  }

  // The display never sends anything: a read that ends means it closed.
  void WatchForClose() {
    socket_.async_read_some(asio::buffer(probe_), [this, self = shared_from_this()](const asio::error_code& error, std::size_t) {
      if (error == asio::error::operation_aborted || closed_) return;
      Lost(error ? error.message() : "unexpected data");
    });
  }

  void Lost(const std::string& why) {
    if (!connected_) return;
    connected_ = false;
    asio::error_code ignored;
    socket_.close(ignored);
    Note("connection lost (" + why + "), reconnecting");
    backoff_ = kFirstBackoff;
    waiting_ = true;
    timer_.expires_after(kFirstBackoff);
    timer_.async_wait([this, self = shared_from_this()](const asio::error_code& error) {
      if (!error) Connect();
    });
  }

  void WriteNext() {
    if (!connected_ || writing_ || queue_.empty()) return;
    writing_ = true;
    inFlight_ = std::move(queue_.front().message);
    queue_.pop_front();
    asio::async_write(socket_, asio::buffer(*inFlight_), [this, self = shared_from_this()](const asio::error_code& error, std::size_t) {
      writing_ = false;
      inFlight_.reset();
      if (closed_) return;
      if (error) {
        ++dropped_;
        return Lost(error.message());
      }
      ++sent_;
      WriteNext();
    });
  }

  asio::io_context& io_;
  asio::ip::tcp::socket socket_;
  asio::steady_timer timer_;
  std::string host_, port_;
  std::deque<Item> queue_;
  Message inFlight_;
  char probe_[64];
  Clock::duration backoff_ = kFirstBackoff;
  bool connecting_ = false, connected_ = false, writing_ = false, waiting_ = false, closed_ = false;
};

// A TCP stream split into messages as the display splits it: bytes 0..32 in
// front of a message are skipped, a message ends with its "$", and an
// overlong tail without one is thrown away up to its "$".
class StreamSplitter {
 public:
  static constexpr std::size_t kMaxPending = 65536;
  template <class F>
  void Feed(std::string_view chunk, F&& onMessage) {
    for (const char c : chunk) {
      if (skipping_) {
        if (c == '$') skipping_ = false;
        continue;
      }
      if (pending_.empty() && static_cast<unsigned char>(c) <= 32) continue;
      pending_.push_back(c);
      if (c == '$') {
        onMessage(pending_);
        pending_.clear();
      } else if (pending_.size() > kMaxPending) {
        pending_.clear();
        skipping_ = true;
      }
    }
  }

 private:
  std::string pending_;
  bool skipping_ = false;
};

class Inbound : public std::enable_shared_from_this<Inbound> {
 public:
  template <class F>
  Inbound(asio::ip::tcp::socket socket, F onMessage) : socket_(std::move(socket)), onMessage_(std::move(onMessage)) {}
  void Start() { Read(); }

 private:
  void Read() {
    socket_.async_read_some(asio::buffer(buffer_), [self = shared_from_this()](const asio::error_code& error,
                                                                              std::size_t n) {
      if (error) return;
      self->splitter_.Feed(std::string_view(self->buffer_, n),
                           [&](const std::string& message) { self->onMessage_(message); });
      self->Read();
    });
  }
  asio::ip::tcp::socket socket_;
  std::function<void(const std::string&)> onMessage_;
  StreamSplitter splitter_;
  char buffer_[8192];
};

}  // namespace

struct Relay::Impl {
  asio::io_context io;
  std::unique_ptr<asio::ip::udp::socket> udp;
  std::unique_ptr<asio::ip::tcp::acceptor> acceptor;
  std::vector<std::shared_ptr<Target>> targets;
  // --to auto: one target per display heard, by name, transport and port.
  std::unique_ptr<BeaconFinder> finder;
  std::map<std::string, std::shared_ptr<Target>> found;
  char datagram[8192];

  void Forward(std::string_view bytes) {
    const auto now = Clock::now();
    const auto message = std::make_shared<const std::string>(bytes);
    for (auto& t : targets) t->Forward(message, now);
    for (auto& [key, t] : found) t->Forward(message, now);
  }

  static std::string Key(const BeaconTable::Display& d) {
    return d.info.name + "\n" + d.info.transport + "\n" + std::to_string(d.info.port);
  }

  void Drop(const std::string& key, const char* why) {
    const auto it = found.find(key);
    if (it == found.end()) return;
    const TargetCounts c = it->second->Counts();
    std::cerr << "velmora-send: " << c.label << ": " << why << " (sent " << c.sent << ", dropped " << c.dropped
              << ")\n";
    it->second->Close();
    found.erase(it);
  }

  // A display heard for the first time or at a new address gets a target of
  // its own; one gone quiet (or pushed out of the finder's table) loses it.
  void DisplayChanged(const BeaconTable::Display& d, BeaconTable::Heard heard, bool gone) {
    const std::string key = Key(d);
    if (gone) return Drop(key, "display gone quiet, dropped");
    if (heard == BeaconTable::Heard::Moved) Drop(key, "display moved");
    RelayEndpoint e{d.info.transport == "tcp", {d.address, d.info.port}};
    std::shared_ptr<Target> t;
    if (e.tcp) t = std::make_shared<TcpTarget>(io, e);
    else t = std::make_shared<UdpTarget>(io, e);
    t->Start();
    std::cerr << "velmora-send: found '" << d.info.name << "', feeding " << t->Counts().label << "\n";
    found[key] = std::move(t);
    for (auto it = found.begin(); it != found.end();) {
      const auto& displays = finder->Table().Displays();
      const std::string k = it->first;
      ++it;
      if (std::none_of(displays.begin(), displays.end(), [&](const BeaconTable::Display& x) { return Key(x) == k; }))
        Drop(k, "pushed out by newer displays, dropped");
    }
  }

  void ReceiveDatagram() {
    udp->async_receive(asio::buffer(datagram), [this](const asio::error_code& error, std::size_t n) {
      if (error == asio::error::operation_aborted) return;
      if (!error) Forward(std::string_view(datagram, n));
      ReceiveDatagram();
    });
  }

  void Accept() {
    acceptor->async_accept([this](const asio::error_code& error, asio::ip::tcp::socket socket) {
      if (error == asio::error::operation_aborted) return;
      if (!error) {
        auto in = std::make_shared<Inbound>(std::move(socket), [this](const std::string& m) { Forward(m); });
        in->Start();  // kept alive by its own pending read
      }
      Accept();
    });
  }
};

Relay::Relay(const RelayEndpoint& listen, const std::vector<RelayEndpoint>& targets,
             std::optional<std::uint16_t> findOnPort)
    : impl_(std::make_unique<Impl>()) {
  Impl& d = *impl_;
  const auto address = asio::ip::make_address(listen.endpoint.host);
  if (listen.tcp) {
    d.acceptor = std::make_unique<asio::ip::tcp::acceptor>(d.io, asio::ip::tcp::endpoint(address, listen.endpoint.port));
  } else {
    d.udp = std::make_unique<asio::ip::udp::socket>(d.io, asio::ip::udp::endpoint(address, listen.endpoint.port));
    d.udp->set_option(asio::socket_base::receive_buffer_size(1 << 20));
  }
  for (const auto& t : targets) {
    if (t.tcp)
      d.targets.push_back(std::make_shared<TcpTarget>(d.io, t));
    else
      d.targets.push_back(std::make_shared<UdpTarget>(d.io, t));
    d.targets.back()->Start();
  }
  if (findOnPort)
    d.finder = std::make_unique<BeaconFinder>(d.io, *findOnPort,
                                              [&d](const BeaconTable::Display& display, BeaconTable::Heard heard,
                                                   bool gone) { d.DisplayChanged(display, heard, gone); });
  if (d.acceptor) d.Accept();
  if (d.udp) d.ReceiveDatagram();
}

Relay::~Relay() = default;

std::uint16_t Relay::ListenPort() const {
  return impl_->acceptor ? impl_->acceptor->local_endpoint().port() : impl_->udp->local_endpoint().port();
}

void Relay::Run() {
  impl_->io.run();
  // Stopped: close every socket so nothing is left pending.
  asio::error_code ec;
  if (impl_->acceptor) impl_->acceptor->close(ec);
  if (impl_->udp) impl_->udp->close(ec);
  if (impl_->finder) impl_->finder->Close();
  for (auto& t : impl_->targets) t->Close();
  for (auto& [key, t] : impl_->found) t->Close();
}

void Relay::Stop() { impl_->io.stop(); }

std::vector<TargetCounts> Relay::Counts() const {
  std::vector<TargetCounts> counts;
  for (const auto& t : impl_->targets) counts.push_back(t->Counts());
  for (const auto& [key, t] : impl_->found) counts.push_back(t->Counts());
  return counts;
}

int RunRelay(const SendOptions& options) {
  std::unique_ptr<Relay> relay;
  try {
    relay = std::make_unique<Relay>(options.listen, options.targets,
                                    options.autoTargets ? std::optional<std::uint16_t>(options.announcePort)
                                                        : std::nullopt);
  } catch (const std::exception& e) {
    std::cerr << "velmora-send: cannot relay from " << Label(options.listen) << ": " << e.what() << "\n";
    return 1;
  }
  std::cerr << "velmora-send: relaying " << Label(options.listen) << " to " << options.targets.size()
            << " target(s)" << (options.autoTargets ? " and every display heard on UDP port " +
                                                          std::to_string(options.announcePort)
                                                    : std::string())
            << "; Ctrl-C stops\n";
  // Signals on a thread of their own, so the relay's loop needs no hook.
  asio::io_context signalIo;
  asio::signal_set signals(signalIo, SIGINT, SIGTERM);
  signals.async_wait([&](const asio::error_code&, int) { relay->Stop(); });
  std::thread signalThread([&] { signalIo.run(); });
  relay->Run();
  signalIo.stop();
  signalThread.join();
  for (const auto& c : relay->Counts())
    std::cout << c.label << ": sent " << c.sent << ", dropped " << c.dropped << "\n";
  return 0;
}

}  // namespace velmora
