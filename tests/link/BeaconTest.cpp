#include "link/Beacon.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using Clock = BeaconTable::Clock;

TEST(Beacon, NamesWithSpacesAndOddCharactersSurviveTheLine) {
  for (const std::string name : {"Cockpit left", "a=b c%d", "Кабина №2", "x\ty"}) {
    const std::string line = FormatBeacon({name, "tcp", 20081, 8083, ""});
    EXPECT_EQ(line.find(' ', 0), std::string(kBeaconVersion).size());
    EXPECT_EQ(line.back(), '\n');
    const auto back = ParseBeacon(line);
    ASSERT_TRUE(back) << line;
    EXPECT_EQ(back->name, BeaconName(name)) << line;
    EXPECT_EQ(back->transport, "tcp");
    EXPECT_EQ(back->port, 20081);
    EXPECT_EQ(back->webPort, 8083);
  }
  // Cut at a character boundary, never inside one.
  const std::string longName(40, 'a');
  EXPECT_EQ(BeaconName(longName + "ЖЖЖЖЖЖЖЖЖЖЖЖ").size(), 62u);
}

TEST(Beacon, WhatIsNotAVersionOneBeaconIsRefused) {
  const struct {
    const char* datagram;
    bool beacon;
  } cases[] = {
      {"VELMORA/1 name=pc transport=udp port=20083\n", true},
      {"VELMORA/1 port=20083 later=thing transport=udp name=pc\r\n", true},  // any order, unknown key ignored
      {"VELMORA/1  name=pc   transport=udp port=20083", true},
      {"VELMORA/1 name=pc transport=udp port=20083 group=239.20.0.83 web=0", true},
      {"VELMORA/2 name=pc transport=udp port=20083", false},
      {"VELMORA/10 name=pc transport=udp port=20083", false},
      {"VELMORA/10=0 name=pc transport=udp port=20083", false},
      {"velmora/1 name=pc transport=udp port=20083", false},
      {"M-SEARCH * HTTP/1.1", false},
      {"", false},
      {"VELMORA/1", false},
      {"VELMORA/1 name=pc transport=udp", false},
      {"VELMORA/1 name= transport=udp port=1", false},
      {"VELMORA/1 name=pc transport=sctp port=1", false},
      {"VELMORA/1 name=pc transport=udp port=0", false},
      {"VELMORA/1 name=pc transport=udp port=65536", false},
      {"VELMORA/1 name=pc transport=udp port=12x", false},
      {"VELMORA/1 name=p%2 transport=udp port=1", false},
      {"VELMORA/1 name=p%zz transport=udp port=1", false},
      {"VELMORA/1 name=pc transport=udp port=1 junk", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseBeacon(c.datagram).has_value(), c.beacon) << c.datagram;
  EXPECT_FALSE(ParseBeacon("VELMORA/1 name=pc transport=udp port=1 x=" + std::string(kMaxBeaconLength, 'y')));
}

TEST(Beacon, MulticastAddressesAreTold) {
  for (const char* yes : {"224.0.0.1", "239.20.0.83", "239.255.255.255"}) EXPECT_TRUE(IsIpv4MulticastAddress(yes)) << yes;
  for (const char* no : {"223.255.255.255", "240.0.0.1", "192.168.1.20", "239.1.1", "239.1.1.1.1", "239.1.1.256",
                         "239.01.1.1x", "", "ff02::1", "localhost"})
    EXPECT_FALSE(IsIpv4MulticastAddress(no)) << no;
}

TEST(BeaconTable, ThousandsOfForgedBeaconsStayBoundedAndForeignOnesAreCounted) {
  BeaconTable table;
  const auto t0 = Clock::now();
  for (int i = 0; i < 5000; ++i) {
    const auto at = t0 + std::chrono::milliseconds(i);
    EXPECT_EQ(table.Hear(FormatBeacon({"forged" + std::to_string(i), "udp", 20083, 0, ""}), "10.0.0.9", at),
              BeaconTable::Heard::New);
    table.Hear("not a beacon", "10.0.0.9", at);
  }
  EXPECT_EQ(table.Displays().size(), BeaconTable::kMaxDisplays);
  EXPECT_EQ(table.Ignored(), 5000u);
  // The newest were kept, the oldest made room.
  EXPECT_EQ(table.Displays().back().info.name, "forged4999");
  for (const auto& d : table.Displays()) EXPECT_NE(d.info.name, "forged0");
  // Quiet displays are forgotten.
  EXPECT_EQ(table.Expire(t0 + std::chrono::seconds(5) + BeaconTable::kForgetAfter).size(), BeaconTable::kMaxDisplays);
  EXPECT_TRUE(table.Displays().empty());
}

TEST(BeaconTable, FollowsADisplayToItsNewAddressButKeepsTheNetworkOneOverLoopback) {
  BeaconTable table;
  const std::string beacon = FormatBeacon({"pc", "tcp", 20081, 8083, ""});
  const auto t = Clock::now();
  EXPECT_EQ(table.Hear(beacon, "192.168.1.20", t), BeaconTable::Heard::New);
  EXPECT_EQ(table.Hear(beacon, "127.0.0.1", t), BeaconTable::Heard::Again);
  EXPECT_EQ(table.Hear(beacon, "192.168.1.20", t), BeaconTable::Heard::Again);
  EXPECT_EQ(table.Hear(beacon, "192.168.1.31", t), BeaconTable::Heard::Moved);
  ASSERT_EQ(table.Displays().size(), 1u);
  EXPECT_EQ(table.LastHeard()->address, "192.168.1.31");
  EXPECT_EQ(BrowserUrl(table.Displays()[0]), "http://192.168.1.31:8083/");
  // Another port is another display; a stale one goes, a fresh one stays.
  EXPECT_EQ(table.Hear(FormatBeacon({"pc", "udp", 20083, 0, ""}), "192.168.1.31", t + std::chrono::seconds(5)),
            BeaconTable::Heard::New);
  EXPECT_EQ(table.Expire(t + BeaconTable::kForgetAfter + std::chrono::seconds(1)).size(), 1u);
  ASSERT_EQ(table.Displays().size(), 1u);
  EXPECT_EQ(table.Displays()[0].info.transport, "udp");
}

}  // namespace
}  // namespace velmora
