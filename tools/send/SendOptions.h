// Command line of velmora-send, parsed without touching the network or files.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr std::uint16_t kDefaultUdpPort = 20083;
inline constexpr std::uint16_t kDefaultTcpPort = 20081;

struct SendEndpoint {
  std::string host = "127.0.0.1";
  std::uint16_t port = kDefaultUdpPort;
};

// One side of the relay: UDP or TCP, and where.
struct RelayEndpoint {
  bool tcp = false;
  SendEndpoint endpoint;
};

struct SendOptions {
  enum class Transport { Udp, Tcp };
  Transport transport = Transport::Udp;
  bool transportGiven = false;  // --udp or --tcp on the command line
  SendEndpoint endpoint;
  double rate = 30;  // messages per second of the demo
  bool demo = false;
  std::string replayFile;
  bool loop = false;
  double speed = 1;  // time scale of the demo or the replay
  std::optional<std::uint64_t> count;
  std::optional<double> duration;  // seconds
  bool help = false;
  // --relay: receive as the display would and forward to every target.
  bool relay = false;
  RelayEndpoint listen{false, {"0.0.0.0", kDefaultUdpPort}};
  std::vector<RelayEndpoint> targets;
  // Finding displays by their beacon: --find lists them, --to auto feeds them.
  bool find = false;
  bool autoTargets = false;
  std::uint16_t announcePort = 20084;
};

// --listen "udp" | "tcp" with an optional ":PORT" (the display's ports by
// default); --to "udp:HOST[:PORT]" | "tcp:HOST[:PORT]".
bool ParseRelayListen(std::string_view text, RelayEndpoint& out, std::string* error);
bool ParseRelayTarget(std::string_view text, RelayEndpoint& out, std::string* error);

// "HOST", "HOST:PORT", ":PORT", "[IPv6]" or "[IPv6]:PORT"; an empty host keeps
// 127.0.0.1. Port 1..65535.
bool ParseSendEndpoint(std::string_view text, std::uint16_t defaultPort, SendEndpoint& out,
                       std::string* error);

// args excludes the program name. Options take their value as the next
// argument or after "="; the address of --udp / --tcp may be left out. Returns
// nullopt with a one-line reason for a usage error.
std::optional<SendOptions> ParseSendOptions(std::span<const std::string_view> args,
                                            std::string* error);

// The option list of --help, printed from the same table.
std::string SendOptionsHelp();

}  // namespace velmora
