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

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

int Fail(const char* what) {
  std::perror(what);
  return 1;
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

  const int fd = socket(AF_INET, tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
  if (fd < 0) return Fail("socket");
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return Fail("bind");
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  {
    std::ofstream(portFile + ".tmp") << ntohs(addr.sin_port) << "\n";
    std::rename((portFile + ".tmp").c_str(), portFile.c_str());
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

  if (!tcp) {
    std::string buffer(8192, '\0');
    while (Since(start) < seconds) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
      if (n < 0) continue;
      const std::string_view payload(buffer.data(), static_cast<std::size_t>(n));
      keep("udp", payload);
      ++messages;
      if (velmora::ApplyDatagram(rec, payload)) ++errors;
    }
  } else {
    std::this_thread::sleep_for(std::chrono::duration<double>(listenDelay));
    if (listen(fd, 4) != 0) return Fail("listen");
    int client = -1;
    Clock::time_point accepted{};
    velmora::TcpStreamFramer framer;
    char chunk[4096];
    while (Since(start) < seconds) {
      if (client >= 0 && dropAfter >= 0 && connections == 1 && Since(accepted) > dropAfter) {
        close(client);  // the display restarts
        client = -1;
        framer.Reset();
      }
      pollfd p{client >= 0 ? client : fd, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      if (client < 0) {
        client = accept(fd, nullptr, nullptr);
        if (client >= 0) {
          ++connections;
          accepted = Clock::now();
        }
        continue;
      }
      const ssize_t n = recv(client, chunk, sizeof chunk, 0);
      if (n <= 0) {
        close(client);
        client = -1;
        framer.Reset();
        continue;
      }
      const std::string_view bytes(chunk, static_cast<std::size_t>(n));
      keep("tcp", bytes);
      framer.FeedEach(bytes, rec, [&](const velmora::TcpStreamFramer::Outcome& o) {
        if (o.scanned) ++messages;
        if (o.error) ++errors;
      });
    }
    if (client >= 0) close(client);
  }
  close(fd);
  std::printf("messages %ld errors %ld connections %ld\n", messages, errors, connections);
  return 0;
}
