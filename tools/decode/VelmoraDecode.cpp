// velmora-decode: shows an exporter's author what the display makes of their
// telemetry. Reads one UDP datagram (default) or one TCP stream (--tcp) from a
// file or stdin, applies it to a record that holds the start-up values, and
// prints every numeric field of the record, with errors and warnings on
// stderr. With --listen it stands in for the display on the network and
// prints, message by message, what changed and what is wrong.
#include "link/FlightData.h"
#include "link/Handover.h"
#include "link/Listeners.h"
#include "link/Telemetry.h"
#include "link/TelemetryCheck.h"

#include "cli/OptionParsing.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace velmora {
namespace {

constexpr const char* kUsage =
    "Usage: velmora-decode [--tcp] [--strict] [--target-fields] [FILE]\n"
    "       velmora-decode --listen [udp|tcp] [PORT] [--target-fields]\n";

void PrintHelp(std::ostream& out, const CLI::App& options) {
  out << kUsage
      << "\n"
         "Reads telemetry from FILE (or standard input when FILE is absent or \"-\"),\n"
         "applies it to a flight data record that starts from the display's start-up\n"
         "values, and prints the record's 36 numeric fields, one \"Name value\" line\n"
         "each, in declared order. Each error goes to standard error as one line\n"
         "\"error: field N: MESSAGE\" (\"error: MESSAGE\" when it concerns the whole\n"
         "message), each warning as \"warning: TEXT\". The exit status is 1 if there\n"
         "was any error, else 0.\n"
         "\n"
         "Warnings are what the display accepts but probably loses: text between the\n"
         "last space and \"$\" (each number must be followed by a space), fewer than\n"
         "33 fields, positions 34 to 40, bytes skipped before the first field, a tab\n"
         "or a doubled space where one space should be, a value its instrument cannot\n"
         "show (bank beyond +/-180, a lamp state that is neither lit nor dark, ...).\n"
         "\n"
         "Options:\n"
      << OptionTableHelp(options, 14)
      << "\n"
         "Message format: numbers, each followed by one space, closed by \"$\".\n"
         "Anything after the \"$\" is ignored (for instance a line end). A number is\n"
         "an optional sign, digits, optionally \".\" (or \",\") and digits, optionally\n"
         "e or E with an optional sign and digits; \"5.\", \".5\" and \"1e\" are valid.\n"
         "Positions 34 to 40 are checked but not used; a 41st field is an error.\n"
         "With --target-fields, as the display with that option, position 34 is the\n"
         "target's bearing (radians) and 35 its heading (degrees).\n"
         "Positions a message does not reach, and fields that do not convert, keep\n"
         "their previous values. The radar altitude reads 0 when the bank is beyond\n"
         "+/-65 or the radar altitude above 1480.\n"
         "\n"
         "Positions:\n";
  for (int pos = 1; pos <= kRecordPositions; ++pos)
    for (const auto& f : kFlightFields)
      if (f.position == pos) out << "  " << (pos < 10 ? " " : "") << pos << "  " << f.name << "\n";
  out << "  34  TargetBearing (with --target-fields)\n"
         "  35  TargetHeading (with --target-fields)\n"
         "  36..40  not used\n";
}

// Control bytes of a quoted field are shown escaped, so a line stays a line.
std::string Printable(std::string_view text) {
  std::string line;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      line += hex;
    } else {
      line += static_cast<char>(c);
    }
  }
  return line;
}

std::string ErrorText(const TelemetryError& e) {
  std::string text = "error: ";
  if (e.field > 0) text += "field " + std::to_string(e.field) + ": ";
  return text + Printable(e.message);
}

std::string Number(double v) {
  char text[64];
  return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

// ---- one file ----

int DecodeFile(bool tcp, bool strict, ScanOptions scan, const char* path) {
  std::string input;
  if (!path || std::strcmp(path, "-") == 0) {
    std::ostringstream buffer;
    buffer << std::cin.rdbuf();
    input = buffer.str();
  } else {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      std::cerr << "velmora-decode: cannot open " << path << ": " << std::strerror(errno) << "\n";
      return 2;
    }
    input.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  FlightData rec;
  ApplyStartupValues(rec);
  bool failed = false, warned = false;
  std::string err;
  auto warn = [&](std::string_view message) {
    for (const std::string& w : TelemetryWarnings(message, !tcp, scan.targetFields)) {
      err += "warning: " + w + "\n";
      warned = true;
    }
  };
  if (tcp) {
    TcpStreamFramer framer(scan);
    framer.FeedEach(input, rec, [&](const TcpStreamFramer::Outcome& o) {
      if (o.scanned) warn(o.message);
      if (o.error) {
        err += ErrorText(*o.error) + "\n";
        failed = true;
      }
    });
  } else {
    const auto error = ApplyDatagram(rec, input, scan);
    warn(input);
    if (error) {
      err += ErrorText(*error) + "\n";
      failed = true;
    }
  }
  std::fwrite(err.data(), 1, err.size(), stderr);

  std::string out;
  for (const auto& f : kFlightFields) out.append(f.name).append(" ").append(Number(rec.*f.member)).append("\n");
  std::fwrite(out.data(), 1, out.size(), stdout);
  return failed || (strict && warned) ? 1 : 0;
}

// ---- listening ----

std::atomic<bool> gStop{false};
void OnStop(int) { gStop = true; }

// Stands in for the display's telemetry input: one record, one framer per TCP
// connection, and a report per message instead of a picture.
class Listener : public TelemetrySink {
 public:
  explicit Listener(ScanOptions scan) : scan_(scan) { ApplyStartupValues(rec_); }

  void Received(const Arrival& a) override {
    if (a.transport == Transport::Udp) {
      FlightData before = rec_;
      const auto error = ApplyDatagram(rec_, a.bytes, scan_);
      Report("udp", a.peer, before, a.bytes, true, error ? &*error : nullptr);
      return;
    }
    peers_[a.connection] = std::string(a.peer);
    FlightData before = rec_;
    TcpStreamFramer& framer = framers_.try_emplace(a.connection, scan_).first->second;
    framer.FeedEach(a.bytes, rec_, [&](const TcpStreamFramer::Outcome& o) {
      if (o.scanned) {
        Report("tcp", a.peer, before, o.message, false, o.error);
        before = rec_;
      } else {
        Line("tcp " + std::string(a.peer) + ": " + ErrorText(*o.error) + " (" +
             std::to_string(TcpStreamFramer::kMaxPending) + " bytes without \"$\" dropped)");
        ++messages_;
        ++rejected_;
      }
    });
  }

  void ConnectionClosed(std::uint32_t connection) override {
    auto framer = framers_.find(connection);
    const std::string peer = peers_.count(connection) ? peers_[connection] : "?";
    std::string line = "tcp " + peer + ": connection closed";
    if (framer != framers_.end() && framer->second.PendingBytes())
      line += "\n  warning: " + std::to_string(framer->second.PendingBytes()) +
              " bytes of an unfinished message dropped (no \"$\" before the close)";
    Line(line);
    if (framer != framers_.end()) framers_.erase(framer);
    peers_.erase(connection);
  }

  void ConnectionFailed(std::uint32_t, std::string_view peer, const std::string& message) override {
    Line("tcp " + std::string(peer) + ": error: " + message);
  }

  void DatagramTooLarge(std::string_view peer, std::size_t size, std::chrono::steady_clock::time_point) override {
    ++messages_;
    ++rejected_;
    Line("udp " + std::string(peer) + ": error: datagram of " + std::to_string(size) + " bytes dropped: at most " +
         std::to_string(TelemetryListeners::kMaxDatagram) + " bytes are read");
  }

  std::uint64_t Messages() const { return messages_; }
  std::uint64_t Rejected() const { return rejected_; }

 private:
  void Report(const char* transport, std::string_view peer, const FlightData& before, std::string_view message,
              bool datagram, const TelemetryError* error) {
    ++messages_;
    if (error) ++rejected_;
    std::string line = std::string(transport) + " " + std::string(peer) + ":";
    bool changed = false;
    for (const auto& f : kFlightFields) {
      if (!(before.*f.member != rec_.*f.member)) continue;
      line.append(" ").append(f.name).append("=").append(Number(rec_.*f.member));
      changed = true;
    }
    if (!changed) line += " (no field changed)";
    for (const std::string& w : TelemetryWarnings(message, datagram, scan_.targetFields)) line += "\n  warning: " + w;
    if (error) line += "\n  " + ErrorText(*error);
    Line(line);
  }

  static void Line(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }

  ScanOptions scan_;
  FlightData rec_;
  std::map<std::uint32_t, TcpStreamFramer> framers_;
  std::map<std::uint32_t, std::string> peers_;
  std::uint64_t messages_ = 0, rejected_ = 0;
};

int Listen(bool udp, bool tcp, std::optional<std::uint16_t> port, ScanOptions scan) {
  ListenerConfig cfg;
  if (port) (udp ? cfg.udpPort : cfg.tcpPort) = *port;
  Listener sink(scan);
  HandoverQueue queue([] {});
  std::unique_ptr<TelemetryListeners> listeners;
  try {
    listeners = std::make_unique<TelemetryListeners>(sink, queue, cfg);
    if (udp) listeners->SetUdpActive(true);
    if (tcp) listeners->SetTcpActive(true);
  } catch (const ListenerOpenError& e) {
    std::cerr << "velmora-decode: " << e.what() << "\n";
    listeners.reset();
    return 1;
  }
  std::string what;
  if (udp) what = "UDP port " + std::to_string(listeners->UdpPort());
  if (tcp) what += (udp ? " and TCP port " : "TCP port ") + std::to_string(listeners->TcpPort());
  std::cerr << "velmora-decode: listening on " << what << " (Ctrl-C stops)" << std::endl;

  std::signal(SIGINT, OnStop);
  std::signal(SIGTERM, OnStop);
  const auto started = std::chrono::steady_clock::now();
  while (!gStop) {
    queue.WaitForWork(std::chrono::milliseconds(100));
    queue.RunPending();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  listeners.reset();
  char summary[160];
  std::snprintf(summary, sizeof summary, "%llu messages, %llu rejected, %.1f messages/s over %.1f s\n",
                static_cast<unsigned long long>(sink.Messages()), static_cast<unsigned long long>(sink.Rejected()),
                seconds > 0 ? static_cast<double>(sink.Messages()) / seconds : 0.0, seconds);
  std::fputs(summary, stdout);
  return 0;
}

int UsageError(const std::string& text) {
  std::cerr << "velmora-decode: " << text << "\n" << kUsage << "(--help for details)\n";
  return 2;
}

int Main(int argc, char** argv) {
  bool tcp = false, strict = false, help = false;
  ScanOptions scan;
  std::vector<std::string> files, listenArgs;
  CLI::App options;
  PrepareOptionTable(options);
  options.add_flag("--tcp", tcp,
                   "the input is one TCP stream: every complete message is\n"
                   "applied in order; a tail without \"$\" at the end is neither\n"
                   "applied nor an error. Without --tcp the whole input is one\n"
                   "UDP datagram (at most 8192 bytes reach the display over UDP).");
  options.add_flag("--strict", strict, "warnings make the exit status 1 too");
  options.add_flag("--target-fields", scan.targetFields,
                   "as the display with --target-fields: position 34 sets\n"
                   "TargetBearing (radians), 35 TargetHeading (degrees)");
  CLI::Option* listen =
      options
          .add_option("--listen", listenArgs,
                      "listen like the display (UDP 20083 and TCP 20081, or only the\n"
                      "transport given, on PORT if given; 0 picks a free port) and\n"
                      "print, for every message received, the sender, the fields\n"
                      "that changed, warnings and errors. Run it instead of the\n"
                      "display while writing an exporter; Ctrl-C stops it with a\n"
                      "summary.")
          ->type_name("[udp|tcp] [PORT]")
          ->expected(0, 2)
          ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
          ->allow_extra_args(false);
  options.add_flag("--help,-h", help, "show this text");
  // "-" is standard input, as no FILE is; "--" ends the options.
  options.add_option("FILE", files)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);

  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (auto error = ParseOptionTable(options, args)) return UsageError(*error);
  if (help) {
    PrintHelp(std::cout, options);
    return 0;
  }
  auto extras = options.remaining();
  std::erase(extras, "--");  // CLI11 leaves the end of the options among the unclaimed arguments
  if (!extras.empty()) return UsageError("unknown option " + extras.front());
  if (files.size() > 1) return UsageError("only one FILE may be given");
  if (!*listen) return DecodeFile(tcp, strict, scan, files.empty() ? nullptr : files.front().c_str());

  if (tcp || strict || !files.empty()) return UsageError("--listen goes without --tcp, --strict or FILE");
  // A bare --listen leaves one empty value.
  std::erase(listenArgs, std::string());
  bool udpOnly = false, tcpOnly = false;
  std::optional<std::uint16_t> port;
  std::size_t k = 0;
  if (k < listenArgs.size() && (listenArgs[k] == "udp" || listenArgs[k] == "tcp")) {
    (listenArgs[k] == "udp" ? udpOnly : tcpOnly) = true;
    ++k;
  }
  if (k < listenArgs.size()) {
    unsigned value = 0;
    const std::string& text = listenArgs[k];
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value > 65535)
      return UsageError("--listen takes udp or tcp and a port from 0 to 65535, not '" + text + "'");
    if (!udpOnly && !tcpOnly) return UsageError("--listen PORT needs udp or tcp before it");
    port = static_cast<std::uint16_t>(value);
    ++k;
  }
  return Listen(!tcpOnly, !udpOnly, port, scan);
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) { return velmora::Main(argc, argv); }
