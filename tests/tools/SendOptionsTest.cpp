// velmora-send's command line: what users type, and the mistakes they make.
#include "tools/send/SendOptions.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace velmora {
namespace {

std::optional<SendOptions> Parse(std::vector<std::string_view> args, std::string* error) {
  return ParseSendOptions(args, error);
}

using T = SendOptions::Transport;

TEST(SendOptionsTest, AcceptedCommandLines) {
  struct Case {
    std::vector<std::string_view> args;
    T transport;
    std::string_view host;
    int port;
    double rate, speed;
  };
  const Case cases[] = {
      {{"--demo"}, T::Udp, "127.0.0.1", 20083, 30, 1},
      {{"--demo", "--tcp"}, T::Tcp, "127.0.0.1", 20081, 30, 1},
      {{"--tcp", "--demo"}, T::Tcp, "127.0.0.1", 20081, 30, 1},
      {{"--demo", "--udp", "192.168.1.20"}, T::Udp, "192.168.1.20", 20083, 30, 1},
      {{"--demo", "--udp", "mfd.local:4000"}, T::Udp, "mfd.local", 4000, 30, 1},
      {{"--demo", "--tcp=:21000"}, T::Tcp, "127.0.0.1", 21000, 30, 1},
      {{"--demo", "--tcp", "[::1]:65535"}, T::Tcp, "::1", 65535, 30, 1},
      {{"--demo", "--udp", "[fe80::1]"}, T::Udp, "fe80::1", 20083, 30, 1},
      {{"--demo", "--rate", "60", "--speed=2.5"}, T::Udp, "127.0.0.1", 20083, 60, 2.5},
      {{"--demo", "--rate", "1000"}, T::Udp, "127.0.0.1", 20083, 1000, 1},
      {{"--replay", "flight.rec", "--loop", "--speed", "0.5"}, T::Udp, "127.0.0.1", 20083, 30, 0.5},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto o = Parse(c.args, &error);
    ASSERT_TRUE(o.has_value()) << c.args[0] << " ...: " << error;
    EXPECT_EQ(o->transport, c.transport);
    EXPECT_EQ(o->endpoint.host, c.host);
    EXPECT_EQ(o->endpoint.port, c.port);
    EXPECT_EQ(o->rate, c.rate);
    EXPECT_EQ(o->speed, c.speed);
  }
  std::string error;
  const auto o = Parse({"--replay=my flight.rec", "--count", "120", "--duration", "2.5"}, &error);
  ASSERT_TRUE(o.has_value()) << error;
  EXPECT_EQ(o->replayFile, "my flight.rec");
  EXPECT_FALSE(o->transportGiven);
  EXPECT_EQ(o->count, 120u);
  EXPECT_EQ(o->duration, 2.5);
  EXPECT_FALSE(Parse({"--help", "--bogus-after"}, &error).has_value());
  EXPECT_TRUE(Parse({"-h"}, &error)->help);
  // Finding displays: the beacon's port, and auto beside fixed targets.
  const auto find = Parse({"--find", "--announce-port", "30084", "--duration", "1"}, &error);
  ASSERT_TRUE(find.has_value()) << error;
  EXPECT_TRUE(find->find);
  EXPECT_EQ(find->announcePort, 30084);
  const auto relay = Parse({"--relay", "--to", "auto", "--to=udp:mfd"}, &error);
  ASSERT_TRUE(relay.has_value()) << error;
  EXPECT_TRUE(relay->autoTargets);
  EXPECT_EQ(relay->targets.size(), 1u);
  EXPECT_EQ(relay->announcePort, 20084);
}

TEST(SendOptionsTest, RelayListensAndForwardsWithTheDisplaysPortsByDefault) {
  std::string error;
  auto o = Parse({"--relay", "--to", "udp:mfd2", "--to=tcp:[::1]", "--to", "tcp:10.0.0.7:4000"}, &error);
  ASSERT_TRUE(o.has_value()) << error;
  EXPECT_FALSE(o->listen.tcp);
  EXPECT_EQ(o->listen.endpoint.port, 20083);
  struct Expected {
    bool tcp;
    const char* host;
    std::uint16_t port;
  } expected[] = {{false, "mfd2", 20083}, {true, "::1", 20081}, {true, "10.0.0.7", 4000}};
  ASSERT_EQ(o->targets.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(o->targets[i].tcp, expected[i].tcp) << i;
    EXPECT_EQ(o->targets[i].endpoint.host, expected[i].host) << i;
    EXPECT_EQ(o->targets[i].endpoint.port, expected[i].port) << i;
  }
  for (const auto& [text, tcp, port] : {std::tuple{"tcp", true, 20081}, {"udp:21000", false, 21000}}) {
    o = Parse({"--relay", "--listen", text, "--to", "udp:mfd2"}, &error);
    ASSERT_TRUE(o.has_value()) << text << ": " << error;
    EXPECT_EQ(o->listen.tcp, tcp) << text;
    EXPECT_EQ(o->listen.endpoint.port, port) << text;
  }
}

TEST(SendOptionsTest, MistakesAreUsageErrorsWithAReason) {
  struct Case {
    std::vector<std::string_view> args;
    std::string_view reason;
  };
  const Case cases[] = {
      {{}, "one of --demo and --replay"},
      {{"--demo", "--replay", "x.rec"}, "one of --demo and --replay"},
      {{"--demo", "--udp", "--tcp"}, "only one of --udp and --tcp"},
      {{"--demo", "--udp", "host:0"}, "port \"0\""},
      {{"--demo", "--udp", "host:65536"}, "port \"65536\""},
      {{"--demo", "--udp", "host:20o83"}, "port \"20o83\""},
      {{"--demo", "--udp", "host:"}, "missing port"},
      {{"--demo", "--udp", "::1"}, "in brackets"},
      {{"--demo", "--tcp", "[::1"}, "missing \"]\""},
      {{"--demo", "--tcp", "[::1]20081"}, "after \"]\""},
      {{"--demo", "--rate", "0"}, "--rate"},
      {{"--demo", "--rate", "1000.5"}, "at most 1000"},
      {{"--demo", "--rate", "-30"}, "--rate"},
      {{"--demo", "--rate", "30hz"}, "--rate"},
      {{"--demo", "--rate", "nan"}, "--rate"},
      {{"--demo", "--rate"}, "--rate needs a value"},
      {{"--demo", "--speed", "0"}, "--speed"},
      {{"--demo", "--speed", "inf"}, "--speed"},
      {{"--demo", "--count", "0"}, "--count"},
      {{"--demo", "--count", "-1"}, "--count"},
      {{"--demo", "--count", "2.5"}, "--count"},
      {{"--demo", "--duration", "0"}, "--duration"},
      {{"--demo", "--loop"}, "--loop goes with --replay"},
      {{"--replay", "x.rec", "--rate", "60"}, "--rate goes with --demo"},
      {{"--replay", ""}, "needs a file name"},
      {{"--demo=yes"}, "takes no value"},
      {{"--demo", "--fast"}, "unknown argument \"--fast\""},
      {{"--demo", "extra"}, "unknown argument \"extra\""},
      {{"--relay"}, "at least one --to"},
      {{"--relay", "--demo", "--to", "udp:mfd"}, "no --demo"},
      {{"--demo", "--to", "udp:mfd"}, "--to goes with --relay"},
      {{"--relay", "--to", "mfd:20083"}, "must start with udp or tcp"},
      {{"--relay", "--to", "udp"}, "needs a host"},
      {{"--relay", "--to", "tcp::20081"}, "needs a host"},
      {{"--relay", "--to", "udp:"}, "missing text"},
      {{"--relay", "--to", "udp:mfd", "--listen", "tcp:mfd:20081"}, "a port only"},
      {{"--relay", "--to", "udp:mfd", "--listen", "udp:0"}, "port \"0\""},
      {{"--relay"}, "(or --to auto)"},
      {{"--demo", "--to", "auto"}, "--to goes with --relay"},
      {{"--find", "--demo"}, "--find only listens"},
      {{"--find", "--announce-port", "0"}, "port \"0\""},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.args, &error).has_value()) << (c.args.empty() ? "(none)" : c.args.back());
    EXPECT_NE(error.find(c.reason), std::string::npos)
        << (c.args.empty() ? "(none)" : c.args.back()) << " gave: " << error;
  }
}

}  // namespace
}  // namespace velmora
