// The address rule over every range and its borders. Addresses are only parsed here: nothing is
// resolved or connected to.
#include "harvest/control/address_rules.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

struct AddressCase {
  const char* address;
  bool local;
};

TEST(AddressRules, EveryRangeAndItsBorders) {
  const AddressCase cases[] = {
      // IPv4 "this network" 0/8, unspecified and loopback 127/8.
      {"0.0.0.0", true},
      {"0.255.255.255", true},
      {"1.0.0.0", false},
      {"126.255.255.255", false},
      {"127.0.0.0", true},
      {"127.0.0.1", true},
      {"127.255.255.255", true},
      {"128.0.0.0", false},
      // Private 10/8, 172.16/12, 192.168/16.
      {"9.255.255.255", false},
      {"10.0.0.0", true},
      {"10.255.255.255", true},
      {"11.0.0.0", false},
      {"172.15.255.255", false},
      {"172.16.0.0", true},
      {"172.31.255.255", true},
      {"172.32.0.0", false},
      {"192.167.255.255", false},
      {"192.168.0.0", true},
      {"192.168.255.255", true},
      {"192.169.0.0", false},
      // Carrier-grade NAT 100.64/10.
      {"100.63.255.255", false},
      {"100.64.0.0", true},
      {"100.127.255.255", true},
      {"100.128.0.0", false},
      // Link-local 169.254/16.
      {"169.253.255.255", false},
      {"169.254.0.0", true},
      {"169.254.169.254", true},
      {"169.254.255.255", true},
      {"169.255.0.0", false},
      // Multicast 224/4, reserved 240/4 and broadcast.
      {"223.255.255.255", false},
      {"224.0.0.0", true},
      {"239.255.255.255", true},
      {"240.0.0.0", true},
      {"255.255.255.255", true},
      // Public addresses.
      {"8.8.8.8", false},
      {"93.184.216.34", false},
      // IPv6 unspecified and loopback.
      {"::", true},
      {"::1", true},
      // IPv4-compatible and IPv4-mapped forms go by their IPv4 part.
      {"::10.1.2.3", true},
      {"::8.8.8.8", false},
      {"::ffff:127.0.0.1", true},
      {"::ffff:10.0.0.1", true},
      {"::ffff:192.168.1.1", true},
      {"::ffff:169.254.169.254", true},
      {"::ffff:0.0.0.0", true},
      {"::ffff:8.8.8.8", false},
      {"::fffe:a00:1", false},  // neither form: a public (if unassigned) IPv6 address
      // NAT64 64:ff9b::/96 by its IPv4 part; the rest of 64:ff9b::/32 is not NAT64.
      {"64:ff9b::7f00:1", true},
      {"64:ff9b::192.168.0.1", true},
      {"64:ff9b::8.8.8.8", false},
      {"64:ff9b:0:0:1::a00:1", false},
      // 6to4 2002::/16 by its embedded IPv4 address.
      {"2002:7f00:1::1", true},
      {"2002:c0a8:101::1", true},
      {"2002:a9fe:a9fe::", true},
      {"2002:808:808::1", false},
      {"2001:ffff:ffff:ffff:ffff:ffff:ffff:ffff", false},
      {"2003::", false},
      // Unique-local fc00::/7.
      {"fbff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", false},
      {"fc00::", true},
      {"fd12:3456::1", true},
      {"fdff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", true},
      {"fe00::", false},
      {"fe7f:ffff:ffff:ffff:ffff:ffff:ffff:ffff", false},
      // Link-local fe80::/10 (with and without a scope) and site-local fec0::/10.
      {"fe80::", true},
      {"fe80::1%lo", true},
      {"febf:ffff:ffff:ffff:ffff:ffff:ffff:ffff", true},
      {"fec0::", true},
      {"feff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", true},
      // Multicast ff00::/8.
      {"ff00::", true},
      {"ff02::1", true},
      {"ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", true},
      // Public IPv6.
      {"2a00:1450:4001::1", false},
      {"2606:4700::1111", false},
  };
  for (const AddressCase& c : cases) {
    const QHostAddress address{QString::fromLatin1(c.address)};
    ASSERT_FALSE(address.isNull()) << c.address;
    EXPECT_EQ(IsPrivateOrLocalAddress(address), c.local) << c.address;
  }
}

TEST(AddressRules, AddressesWithoutAProtocolCountAsLocal) {
  EXPECT_TRUE(IsPrivateOrLocalAddress(QHostAddress()));
  EXPECT_TRUE(IsPrivateOrLocalAddress(QHostAddress(QHostAddress::Any)));
  EXPECT_TRUE(IsPrivateOrLocalAddress(QHostAddress(QHostAddress::AnyIPv6)));
  EXPECT_TRUE(IsPrivateOrLocalAddress(QHostAddress(QHostAddress::LocalHost)));
  EXPECT_TRUE(IsPrivateOrLocalAddress(QHostAddress(QHostAddress::Broadcast)));
}

}  // namespace
}  // namespace norvane
