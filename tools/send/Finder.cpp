// The beacon finder on Asio, and velmora-send --find.
#include "tools/send/Finder.h"

#include <asio.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>

namespace velmora {

struct BeaconFinder::Impl {
  Impl(asio::io_context& io, std::uint16_t port, Changed c) : socket(io), expiry(io), changed(std::move(c)) {
    socket.open(asio::ip::udp::v4());
    // Several finders on one machine (an exporter, the relay, --find) all
    // hear the broadcast beacons.
    socket.set_option(asio::socket_base::reuse_address(true));
    socket.bind(asio::ip::udp::endpoint(asio::ip::address_v4::any(), port));
    Receive();
    Expire();
  }

  void Receive() {
    socket.async_receive_from(asio::buffer(buffer), from, [this](const std::error_code& ec, std::size_t n) {
      if (ec == asio::error::operation_aborted || !socket.is_open()) return;
      if (!ec) {
        const std::string address = from.address().to_string();
        const auto heard = table.Hear(std::string_view(buffer.data(), n), address, BeaconTable::Clock::now());
        if ((heard == BeaconTable::Heard::New || heard == BeaconTable::Heard::Moved) && changed) {
          if (const auto* d = table.LastHeard()) changed(*d, heard, false);
        }
      }
      Receive();
    });
  }

  void Expire() {
    expiry.expires_after(std::chrono::seconds(1));
    expiry.async_wait([this](const std::error_code& ec) {
      if (ec) return;
      for (const auto& gone : table.Expire(BeaconTable::Clock::now()))
        if (changed) changed(gone, BeaconTable::Heard::Again, true);
      Expire();
    });
  }

  asio::ip::udp::socket socket;
  asio::steady_timer expiry;
  Changed changed;
  asio::ip::udp::endpoint from;
  // A datagram longer than a beacon is cut here and then refused by its length.
  std::array<char, kMaxBeaconLength + 1> buffer{};
  BeaconTable table;
};

BeaconFinder::BeaconFinder(asio::io_context& io, std::uint16_t port, Changed changed)
    : impl_(std::make_unique<Impl>(io, port, std::move(changed))) {}
BeaconFinder::~BeaconFinder() { Close(); }

std::uint16_t BeaconFinder::Port() const { return impl_->socket.local_endpoint().port(); }
const BeaconTable& BeaconFinder::Table() const { return impl_->table; }

void BeaconFinder::Close() {
  std::error_code ignored;
  impl_->socket.close(ignored);
  impl_->expiry.cancel();
}

int RunFind(std::uint16_t port, double seconds) {
  asio::io_context io;
  std::unique_ptr<BeaconFinder> finder;
  try {
    finder = std::make_unique<BeaconFinder>(io, port);
  } catch (const std::exception& e) {
    std::cerr << "velmora-send: cannot listen for displays on UDP port " << port << ": " << e.what() << "\n";
    return 2;
  }
  std::cerr << "velmora-send: listening for displays' beacons on UDP port " << finder->Port() << " for " << seconds
            << " s\n";
  io.run_for(std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(seconds)));
  const auto& displays = finder->Table().Displays();
  if (!displays.empty()) {
    std::printf("%-24s %-15s %-9s %-5s %s\n", "NAME", "ADDRESS", "TRANSPORT", "PORT", "BROWSER");
    for (const auto& d : displays) {
      const std::string url = BrowserUrl(d);
      std::printf("%-24s %-15s %-9s %-5u %s\n", d.info.name.c_str(), d.address.c_str(), d.info.transport.c_str(),
                  static_cast<unsigned>(d.info.port), url.empty() ? "-" : url.c_str());
      if (!d.info.group.empty())
        std::printf("%-24s %-15s multicast group %s:%u\n", "", "", d.info.group.c_str(),
                    static_cast<unsigned>(d.info.port));
    }
    std::fflush(stdout);
  }
  std::cerr << "velmora-send: " << displays.size() << (displays.size() == 1 ? " display" : " displays") << " heard";
  if (finder->Table().Ignored() > 0)
    std::cerr << "; " << finder->Table().Ignored() << " datagram(s) ignored (not a VELMORA/1 beacon)";
  if (displays.empty())
    std::cerr << ". Is a display running on this network without --no-announce, and does the firewall let UDP port "
              << finder->Port() << " in?";
  std::cerr << "\n";
  return displays.empty() ? 1 : 0;
}

}  // namespace velmora
