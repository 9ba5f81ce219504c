// velmora-send: feeds the display with telemetry when no simulator is running.
// Plays the built-in demo flight or a recording over UDP or TCP, paced in real
// time. Over TCP it waits for the display and reconnects with a back-off when
// the display restarts, so it can be started first and left running.
#include "app/Config.h"
#include "link/FlightData.h"
#include "link/Recording.h"
#include "link/Telemetry.h"
#include "tools/send/DemoFlight.h"
#include "tools/send/Finder.h"
#include "tools/send/Relay.h"
#include "tools/send/SendOptions.h"

#include <asio.hpp>
// On Windows, Asio brings in <windows.h>, whose FormatMessage macro would
// rename the demo flight's FormatMessage.
#undef FormatMessage

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

// Units per message position, for --help.
constexpr std::string_view kUnits[kRecordPositions + 1] = {
    "",
    "m, barometric",                        // 1
    "km/h (dial 0..14 hundreds)",           // 2
    "%, above 100 red needle and \"Ф\"",    // 3
    "deg, nose up +",                       // 4
    "deg, right wing down +",               // 5
    "not used",                             // 6
    "deg (scale -10..25)",                  // 7
    "g, above 6 the window fades",          // 8
    "dial units, +/-10 marked",             // 9
    "Mach number",                          // 10
    "deg, commanded pitch",                 // 11
    "deg, commanded bank",                  // 12
    "deg, same convention as heading",      // 13
    "deg, same convention as heading",      // 14
    "deg, 360 - heading (readout shows 360 - value)",  // 15
    "ball units (12 deg each), limited to +/-12",      // 16
    "mm Hg",                                // 17
    "m; 0 when bank beyond 65 deg or above 1480",      // 18
    "-1..1",                                // 19
    "-1..1",                                // 20
    "%",                                    // 21
    "degrees C",                            // 22
    "degrees C",                            // 23
    "kg",                                   // 24
    "kg",                                   // 25
    "not used",                             // 26
    "not used",                             // 27
    "km/h, readout with \"и\"",             // 28
    "m, readout in km",                     // 29
    "m; exactly -1 = no target",            // 30
    "lit at exactly 2",                     // 31
    "lit at exactly 1",                     // 32
    "lit at exactly 1",                     // 33
};

void PrintHelp(std::ostream& out) {
  out << "Usage: velmora-send (--demo | --replay FILE [--loop]) [--udp [HOST[:PORT]] | --tcp [HOST[:PORT]]]\n"
         "                   [--rate HZ] [--speed X] [--count N] [--duration SEC]\n"
         "       velmora-send --relay [--listen udp|tcp[:PORT]] --to udp|tcp:HOST[:PORT]|auto ...\n"
         "       velmora-send --find [--duration SEC] [--announce-port N]\n"
         "\n"
         "Sends telemetry to the Velmora display, as the simulator's export script would.\n"
         "\n"
         "Options:\n"
      << SendOptionsHelp()
      << "\n"
         "Message format: numbers, each followed by one space, closed by \"$\"; the demo\n"
         "sends CR LF after the \"$\". A number is an optional sign, digits, optionally\n"
         "\".\" (or \",\") and digits, optionally e/E and an exponent. Example (the demo at\n"
         "lift-off):\n"
         "  "
      << [] {
           std::string m = FormatMessage(DemoState(28));
           return m.substr(0, m.size() - 2);  // without the line end
         }()
      << "\n"
         "Positions 1..33 (34..40 are accepted and not used, a 41st is an error):\n";
  for (int pos = 1; pos <= kRecordPositions; ++pos)
    for (const auto& f : kFlightFields)
      if (f.position == pos) {
        std::string name(f.name);
        name.resize(std::max<std::size_t>(name.size(), 20), ' ');
        out << "  " << (pos < 10 ? " " : "") << pos << "  " << name << "  " << kUnits[pos] << "\n";
      }
  out << "\nDemo phases (seconds into the loop):\n";
  for (const auto& p : kDemoPhases)
    out << "  " << (p.start < 100 ? " " : "") << (p.start < 10 ? " " : "") << p.start << "  " << p.what << "\n";
}

std::string Compact(double v) {
  char text[64];
  return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

void Note(const std::string& text) { std::cerr << "velmora-send: " << text << "\n"; }

std::string Describe(const SendOptions& o) {
  const bool v6 = o.endpoint.host.find(':') != std::string::npos;
  return std::string(o.transport == SendOptions::Transport::Tcp ? "tcp " : "udp ") +
         (v6 ? "[" + o.endpoint.host + "]" : o.endpoint.host) + ":" + std::to_string(o.endpoint.port);
}

// Delivers whole messages; Send returns whether this one went out. A TCP
// sender keeps one connection per number it is given; UDP ignores it.
class Sender {
 public:
  virtual ~Sender() = default;
  virtual bool Send(std::string_view bytes, std::uint32_t connection) = 0;
  virtual void Close(std::uint32_t /*connection*/) {}
};

class UdpSender final : public Sender {
 public:
  UdpSender(asio::io_context& io, const asio::ip::udp::endpoint& to) : socket_(io), to_(to) {
    socket_.open(to.protocol());
    // A group is for the displays of this network, and of this PC too.
    if (to.address().is_multicast()) {
      socket_.set_option(asio::ip::multicast::hops(1));
      socket_.set_option(asio::ip::multicast::enable_loopback(true));
    }
  }
  bool Send(std::string_view bytes, std::uint32_t) override {
    asio::error_code ec;
    socket_.send_to(asio::buffer(bytes.data(), bytes.size()), to_, 0, ec);
    if (ec) {
      // Nobody listening is normal while the display is not up; say it once.
      if (!failing_) Note("send failed: " + ec.message() + " (going on)");
      failing_ = true;
      return false;
    }
    failing_ = false;
    return true;
  }

 private:
  asio::ip::udp::socket socket_;
  asio::ip::udp::endpoint to_;
  bool failing_ = false;
};

class TcpConnection {
 public:
  TcpConnection(asio::io_context& io, std::string host, std::string port, std::string label)
      : io_(io), socket_(io), host_(std::move(host)), port_(std::move(port)), label_(std::move(label)) {}
  ~TcpConnection() {
    asio::error_code ec;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ec);
    socket_.close(ec);
  }

  bool Send(std::string_view bytes) {
    if (!socket_.is_open() && !Connect()) return false;
    asio::error_code ec;
    // The display never sends anything: a readable socket means it closed.
    char probe[64];
    socket_.non_blocking(true, ec);
    socket_.read_some(asio::buffer(probe), ec);
    if (ec != asio::error::would_block) return Lost(ec ? ec.message() : "unexpected data");
    socket_.non_blocking(false, ec);
    asio::write(socket_, asio::buffer(bytes.data(), bytes.size()), ec);
    if (ec) return Lost(ec.message());
    return true;
  }

 private:
  static constexpr auto kFirstBackoff = std::chrono::milliseconds(250);
  static constexpr auto kMaxBackoff = std::chrono::seconds(2);
  static constexpr auto kConnectTimeout = std::chrono::seconds(2);

  bool Connect() {
    const auto now = Clock::now();
    if (now < nextAttempt_) return false;
    asio::error_code ec, result = asio::error::timed_out;
    asio::ip::tcp::resolver resolver(io_);
    const auto endpoints = resolver.resolve(host_, port_, ec);
    if (!ec) {
      bool done = false;
      asio::async_connect(socket_, endpoints, [&](const asio::error_code& e, const asio::ip::tcp::endpoint&) {
        result = e;
        done = true;
      });
      io_.restart();
      io_.run_for(kConnectTimeout);
      if (!done) {
        socket_.close(ec);
        io_.restart();
        io_.run();
      }
    } else {
      result = ec;
    }
    if (!result) {
      socket_.set_option(asio::ip::tcp::no_delay(true), ec);
      Note("connected to " + label_);
      backoff_ = kFirstBackoff;
      waiting_ = false;
      return true;
    }
    socket_.close(ec);
    if (!waiting_) Note("waiting for the display at " + label_ + " (" + result.message() + "), retrying");
    waiting_ = true;
    nextAttempt_ = Clock::now() + backoff_;
    backoff_ = std::min<Clock::duration>(backoff_ * 2, kMaxBackoff);
    return false;
  }

  bool Lost(const std::string& why) {
    asio::error_code ec;
    socket_.close(ec);
    Note("connection to " + label_ + " lost (" + why + "), reconnecting");
    nextAttempt_ = Clock::now() + kFirstBackoff;
    backoff_ = kFirstBackoff;
    waiting_ = false;
    return false;
  }

  asio::io_context& io_;
  asio::ip::tcp::socket socket_;
  std::string host_, port_, label_;
  Clock::time_point nextAttempt_{};
  Clock::duration backoff_ = kFirstBackoff;
  bool waiting_ = false;
};

// A recording's connections, each on a connection of its own, opened at its
// first chunk and closed where the recording says it closed.
class TcpSender final : public Sender {
 public:
  TcpSender(asio::io_context& io, std::string host, std::string port, std::string label)
      : io_(io), host_(std::move(host)), port_(std::move(port)), label_(std::move(label)) {}

  bool Send(std::string_view bytes, std::uint32_t connection) override {
    auto& c = connections_[connection];
    if (!c) c = std::make_unique<TcpConnection>(io_, host_, port_, label_);
    return c->Send(bytes);
  }
  void Close(std::uint32_t connection) override { connections_.erase(connection); }

 private:
  asio::io_context& io_;
  std::string host_, port_, label_;
  std::map<std::uint32_t, std::unique_ptr<TcpConnection>> connections_;
};

// One scheduled message: when (seconds after the start) and what; or the
// close of a recorded TCP connection.
struct Scheduled {
  double at;
  std::string_view bytes;
  std::uint32_t connection = 0;
  bool close = false;
};

// Sends what next(i) produces at its time until it runs out or a limit is
// reached. A message more than half a second late (after a stall while
// connecting) is skipped, as a live simulator's would be.
template <class Next>
std::uint64_t Run(const SendOptions& o, Sender& sender, Next&& next) {
  const auto start = Clock::now();
  std::uint64_t sent = 0;
  for (std::uint64_t i = 0;; ++i) {
    std::string storage;
    const auto item = next(i, storage);
    if (!item) break;
    if (o.duration && item->at >= *o.duration) break;
    const auto due = start + std::chrono::duration_cast<Clock::duration>(Seconds(item->at));
    if (item->close) {
      std::this_thread::sleep_until(due);
      sender.Close(item->connection);
      continue;
    }
    const auto now = Clock::now();
    if (now > due + std::chrono::milliseconds(500)) continue;
    std::this_thread::sleep_until(due);
    if (sender.Send(item->bytes, item->connection)) ++sent;
    if (o.count && sent >= *o.count) break;
  }
  return sent;
}

int Main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  std::string error;
  auto parsed = ParseSendOptions(args, &error);
  if (!parsed) {
    std::cerr << "velmora-send: " << error << "\n"
              << "Usage: velmora-send (--demo | --replay FILE) [options]   (--help for details)\n";
    return 2;
  }
  SendOptions o = *parsed;
  if (o.help) {
    PrintHelp(std::cout);
    return 0;
  }
  if (o.find) return RunFind(o.announcePort, o.duration.value_or(3.0));
  if (o.relay) return RunRelay(o);

  std::vector<RecordedMessage> recording;
  if (!o.replayFile.empty()) {
    std::ifstream file(o.replayFile, std::ios::binary);
    if (!file) {
      Note("cannot open " + o.replayFile + ": " + std::strerror(errno));
      return 1;
    }
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!ParseRecording(text, recording, &error)) {
      Note(o.replayFile + ": " + error);
      return 1;
    }
    if (recording.empty()) {
      Note(o.replayFile + ": the recording holds no messages");
      return 1;
    }
    if (!o.transportGiven && recording.front().transport == "tcp") {
      o.transport = SendOptions::Transport::Tcp;
      o.endpoint.port = kDefaultTcpPort;
    }
    if (!o.transportGiven) Note("no --udp or --tcp: replaying over " + std::string(o.transport == SendOptions::Transport::Tcp ? "TCP" : "UDP") + ", as the recording was made");
  } else if (!o.transportGiven) {
    // Whatever a display started in this folder listens on.
    const auto config = ReadConfigFile(kConfigFileName);
    const std::string transport = config ? config->transport : std::string(kFallbackTransport);
    const bool tcp = ListenersFor(transport).tcp;
    o.transport = tcp ? SendOptions::Transport::Tcp : SendOptions::Transport::Udp;
    o.endpoint.port = tcp ? kDefaultTcpPort : kDefaultUdpPort;
    Note(std::string("no --udp or --tcp: sending over ") + (tcp ? "TCP" : "UDP") + ", which the display listens on with " +
         (config ? "./config.txt's transport '" + transport + "'" : std::string("no usable ./config.txt")));
  }

  asio::io_context io;
  std::unique_ptr<Sender> sender;
  const std::string label = Describe(o);
  try {
    if (o.transport == SendOptions::Transport::Tcp) {
      sender = std::make_unique<TcpSender>(io, o.endpoint.host, std::to_string(o.endpoint.port), label);
    } else {
      asio::ip::udp::resolver resolver(io);
      const auto endpoints = resolver.resolve(o.endpoint.host, std::to_string(o.endpoint.port));
      // The display listens on IPv4: "localhost" must not end up as ::1.
      auto chosen = endpoints.begin()->endpoint();
      for (const auto& e : endpoints)
        if (e.endpoint().address().is_v4()) {
          chosen = e.endpoint();
          break;
        }
      sender = std::make_unique<UdpSender>(io, chosen);
    }
  } catch (const std::exception& e) {
    Note("cannot send to " + label + ": " + e.what());
    return 1;
  }

  std::uint64_t sent = 0;
  if (o.demo) {
    Note("demo flight to " + label + " at " + Compact(o.rate) + " messages per second");
    const double period = 1.0 / o.rate;
    sent = Run(o, *sender, [&](std::uint64_t i, std::string& storage) -> std::optional<Scheduled> {
      const double at = static_cast<double>(i) * period;
      storage = FormatMessage(DemoState(at * o.speed));
      return Scheduled{at, storage};
    });
  } else {
    Note("replaying " + std::to_string(recording.size()) + " messages of " + o.replayFile + " to " + label);
    // Times count from the first message; a loop starts again one average
    // message interval after the last one.
    const std::int64_t first = recording.front().ms, last = recording.back().ms;
    const double gapMs = recording.size() > 1
                             ? static_cast<double>(last - first) / static_cast<double>(recording.size() - 1)
                             : 1000.0 / 30;
    const double passMs = static_cast<double>(last - first) + gapMs;
    double previousMs = 0;
    sent = Run(o, *sender, [&](std::uint64_t i, std::string&) -> std::optional<Scheduled> {
      const std::uint64_t pass = i / recording.size();
      if (pass > 0 && !o.loop) return std::nullopt;
      const RecordedMessage& m = recording[i % recording.size()];
      // An edited recording may go back in time: such a line goes out at once.
      double ms = static_cast<double>(pass) * passMs + static_cast<double>(m.ms - first);
      ms = std::max(ms, previousMs);
      previousMs = ms;
      // A loop's second pass must not join the first pass's connections.
      const std::uint32_t connection =
          m.connection == 0 ? 0 : static_cast<std::uint32_t>(pass * 0x10000u + m.connection);
      return Scheduled{ms / 1000.0 / o.speed, m.bytes, connection, m.closed};
    });
  }
  Note(std::to_string(sent) + " messages sent");
  return 0;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) { return velmora::Main(argc, argv); }
