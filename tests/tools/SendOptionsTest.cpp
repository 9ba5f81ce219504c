// velmora-send's command line: what users type, and the mistakes they make.
#include "tools/send/SendOptions.h"

#include <gtest/gtest.h>

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
