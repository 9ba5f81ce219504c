// Test helper for the velmora-send end-to-end tests: a minimal stand-in for
// the display's listeners. Binds an ephemeral loopback port, writes its number
// to a file, receives for a while, runs every datagram or TCP chunk through
// the display's own parser entries, optionally writes a recording, and prints
// "messages N errors E connections C".
//
//   velmora-telemetry-catcher (--udp | --tcp) PORTFILE SECONDS [--record FILE]
//       [--listen-delay SEC]   (tcp: bound but refusing connections at first)
//       [--drop-after SEC]     (tcp: close the first connection after SEC)
#include "link/FlightData.h"
#include "link/Recording.h"
#include "link/Telemetry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <optional>
#include <thread>

#include "tests/support/LoopbackSockets.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

void WritePort(const std::string& portFile, std::uint16_t port) {
  std::ofstream(portFile + ".tmp") << port << "\n";
  std::rename((portFile + ".tmp").c_str(), portFile.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s (--udp|--tcp) PORTFILE SECONDS [--record FILE] [--listen-delay S] [--drop-after S]\n", argv[0]);
    return 2;
  }
  const bool tcp = std::string(argv[1]) == "--tcp";
  const std::string portFile = argv[2];
  const double seconds = std::atof(argv[3]);
  std::string recordFile;
  double listenDelay = 0, dropAfter = -1;
  for (int i = 4; i + 1 < argc; i += 2) {
    const std::string opt = argv[i];
    if (opt == "--record") recordFile = argv[i + 1];
    else if (opt == "--listen-delay") listenDelay = std::atof(argv[i + 1]);
    else if (opt == "--drop-after") dropAfter = std::atof(argv[i + 1]);
  }

  std::ofstream record;
  if (!recordFile.empty()) {
    record.open(recordFile, std::ios::binary);
    record << velmora::kRecordingHeader;
  }

  const auto start = Clock::now();
  velmora::FlightData rec;
  velmora::ApplyStartupValues(rec);
  long messages = 0, errors = 0, connections = 0;
  auto keep = [&](const char* transport, std::string_view bytes) {
    if (record.is_open())
      record << velmora::FormatRecordLine(static_cast<std::int64_t>(Since(start) * 1000), transport, bytes);
  };

  using namespace std::chrono_literals;
  if (!tcp) {
    velmora::test::UdpSocket socket;
    WritePort(portFile, socket.Port());
    while (Since(start) < seconds) {
      const auto payload = socket.Receive(50ms);
      if (!payload) continue;
      keep("udp", *payload);
      ++messages;
      if (velmora::ApplyDatagram(rec, *payload)) ++errors;
    }
  } else {
    velmora::test::TcpListener listener(false, 0, false);
    WritePort(portFile, listener.Port());
    std::this_thread::sleep_for(std::chrono::duration<double>(listenDelay));
    listener.Listen();
    std::optional<velmora::test::TcpClient> client;
    Clock::time_point accepted{};
    velmora::TcpStreamFramer framer;
    while (Since(start) < seconds) {
      if (client && dropAfter >= 0 && connections == 1 && Since(accepted) > dropAfter) {
        client.reset();  // the display restarts
        framer.Reset();
      }
      if (!client) {
        client = listener.Accept(50ms);
        if (client) {
          ++connections;
          accepted = Clock::now();
        }
        continue;
      }
      const std::string bytes = client->ReceiveSome(50ms);
      if (bytes.empty()) {
        if (client->Ended()) {
          client.reset();
          framer.Reset();
        }
        continue;
      }
      keep("tcp", bytes);
      framer.FeedEach(bytes, rec, [&](const velmora::TcpStreamFramer::Outcome& o) {
        if (o.scanned) ++messages;
        if (o.error) ++errors;
      });
    }
  }
  std::printf("messages %ld errors %ld connections %ld\n", messages, errors, connections);
  return 0;
}
