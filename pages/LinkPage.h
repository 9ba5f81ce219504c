// The link page (F3): the link's counters, the last errors and the tablet
// view's address as text and QR code; and the words about the link it shares
// with the no-data overlay. Both read a snapshot of the telemetry input's
// counters between frames and never touch the sockets.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/LinkStatus.h"
#include "pages/QrCode.h"
#include "canvas/Canvas.h"
#include "pages/FrameCycle.h"
#include "pages/Fonts.h"

namespace velmora {

// What the link is set up as; fixed for the run.
struct LinkSetup {
  std::string transport;                 // config.txt's or --transport's word
  std::uint16_t udpPort = 0;             // 0: UDP off
  std::uint16_t tcpPort = 0;             // 0: TCP off
  std::vector<std::string> addresses;    // this machine's, to send to
  std::string webAddress;                // --web's address
  std::uint16_t webPort = 0;             // 0: no --web
  bool alerts = true;                    // the flag and the band in silence
};

// What a frame on an instrument page shows of the link.
enum class Silence { None, Flag, Band };

// Telemetry quiet since `since` (the last applied message, or start-up).
Silence SilenceAt(std::chrono::steady_clock::duration quiet);

// "12 s", "4 min 05 s", "2 h 10 min".
std::string FormatAge(std::chrono::steady_clock::duration age);

// At most max bytes, ending in "..." when cut (never inside a UTF-8 character).
std::string Shorten(std::string_view text, std::size_t max);

// The address a tablet opens, "http://host:port/"; empty when there is no
// --web, when it listens on loopback only, or when every network is asked
// for and the machine has no address on one.
std::string TabletUrl(const LinkSetup& setup);

// "UDP port 20083" (and the other when both listen).
std::string ListeningText(const LinkSetup& setup);

// "192.168.1.20:20083, 10.0.0.5:20083": the addresses with the active port
// (UDP's when both listen), at most `most` of them and "+N more".
std::string SendToText(const LinkSetup& setup, std::size_t most = 4);

// "12 s ago from 10.0.0.7:50000" ("last message ..." when named), or what
// came instead of a usable message since the run started.
std::string LastMessageText(const LinkStatus& status, std::chrono::steady_clock::time_point started,
                            std::chrono::steady_clock::time_point now, bool named);

class LinkPage {
 public:
  using Clock = std::chrono::steady_clock;

  // status stays owned by the telemetry input; started is when the run began.
  LinkPage(const LinkStatus& status, LinkSetup setup, Clock::time_point started);

  // Every frame, whatever the page: the rates are measured all along; the
  // page itself is drawn when it is the one on show.
  void Draw(Canvas& canvas, Page page, Clock::time_point now);

  const LinkSetup& Setup() const { return setup_; }
  // Applied and rejected per second over the last whole second.
  double AppliedPerSecond() const { return rates_.Applied(); }
  double RejectedPerSecond() const { return rates_.Rejected(); }

 private:
  void DrawQrCode(Canvas& canvas, int x, int y, int scale);

  const LinkStatus& status_;
  LinkSetup setup_;
  Clock::time_point started_;
  std::string tabletUrl_;
  std::optional<QrCode> qr_;
  LinkRates rates_;
};

}  // namespace velmora
