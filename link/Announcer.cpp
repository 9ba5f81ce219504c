// The beacon's socket and timer on one Asio thread.
#include "link/Announcer.h"

#include <asio.hpp>

#include <mutex>
#include <set>
#include <thread>

namespace velmora {

struct Announcer::Impl {
  explicit Impl(AnnouncerConfig c) : cfg(std::move(c)) {
    std::error_code ec;
    socket.open(asio::ip::udp::v4(), ec);
    if (!ec) socket.set_option(asio::socket_base::broadcast(true), ec);
    // A full send queue drops a beacon rather than holding the thread.
    if (!ec) socket.non_blocking(true, ec);
    if (ec) Report("the beacon has no socket (" + ec.message() + "); the display goes on without it");
    asio::post(ctx, [this] { Beacon(); });
    thread = std::thread([this] { ctx.run(); });
  }

  ~Impl() {
    ctx.stop();
    thread.join();
  }

  void Report(const std::string& line) {
    if (cfg.report) cfg.report(line);
  }

  bool SendTo(const std::string& address, const std::string& line, AnnouncerState& next) {
    std::error_code ec;
    const auto to = asio::ip::make_address_v4(address, ec);
    if (!ec) socket.send_to(asio::buffer(line), asio::ip::udp::endpoint(to, cfg.port), 0, ec);
    if (ec) {
      next.lastError = address + ": " + ec.message();
      // Said once per address; said again only after it worked in between.
      if (reported.insert(address).second)
        Report("the beacon to " + address + ":" + std::to_string(cfg.port) + " cannot be sent (" + ec.message() +
               "); the display goes on without it");
      return false;
    }
    reported.erase(address);
    ++next.beaconsSent;
    return true;
  }

  void Beacon() {
    if (socket.is_open()) {
      AnnouncerState next;
      {
        std::lock_guard lock(mutex);
        next.beaconsSent = state.beaconsSent;
      }
      const std::vector<std::string> networks = cfg.broadcastAddresses ? cfg.broadcastAddresses()
                                                                       : std::vector<std::string>{};
      for (const std::string& a : networks)
        if (SendTo(a, cfg.networkLine, next)) ++next.networksReached;
      next.loopbackReached = SendTo("127.0.0.1", cfg.loopbackLine, next);
      std::lock_guard lock(mutex);
      state = std::move(next);
    }
    timer.expires_after(cfg.interval);
    timer.async_wait([this](const std::error_code& ec) {
      if (!ec) Beacon();
    });
  }

  AnnouncerConfig cfg;
  asio::io_context ctx;
  asio::ip::udp::socket socket{ctx};
  asio::steady_timer timer{ctx};
  std::set<std::string> reported;  // addresses whose failure was said
  mutable std::mutex mutex;
  AnnouncerState state;
  std::thread thread;
};

Announcer::Announcer(AnnouncerConfig config) : impl_(std::make_unique<Impl>(std::move(config))) {}
Announcer::~Announcer() = default;

AnnouncerState Announcer::State() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->state;
}

}  // namespace velmora
