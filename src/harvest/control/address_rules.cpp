#include "harvest/control/address_rules.h"

#include <QList>
#include <QPair>
#include <array>

namespace norvane {

namespace {

using Subnet = QPair<QHostAddress, int>;

bool InAnyOf(const QHostAddress& address, const QList<Subnet>& subnets) {
  return std::any_of(subnets.cbegin(), subnets.cend(), [&](const Subnet& subnet) {
    return address.isInSubnet(subnet.first, subnet.second);
  });
}

QList<Subnet> Parsed(std::initializer_list<const char*> subnets) {
  QList<Subnet> out;
  for (const char* subnet : subnets) out << QHostAddress::parseSubnet(QLatin1String(subnet));
  return out;
}

bool IsPrivateOrLocalIPv4(const QHostAddress& address) {
  static const QList<Subnet> kLocal = Parsed({
      "0.0.0.0/8",       // "this network", 0.0.0.0 included
      "10.0.0.0/8",      // private
      "100.64.0.0/10",   // carrier-grade NAT
      "127.0.0.0/8",     // loopback
      "169.254.0.0/16",  // link-local
      "172.16.0.0/12",   // private
      "192.168.0.0/16",  // private
      "224.0.0.0/4",     // multicast
      "240.0.0.0/4",     // reserved, never routed; holds 255.255.255.255
  });
  return InAnyOf(address, kLocal);
}

bool IsPrivateOrLocalIPv6(const QHostAddress& address) {
  static const QList<Subnet> kLocal = Parsed({"fc00::/7", "fe80::/10", "fec0::/10", "ff00::/8"});
  // Forms that carry an IPv4 address, which the stack, a translator or a relay reaches itself,
  // and where in the address it sits.
  static const QList<Subnet> kCarriers = Parsed({
      "::/96",          // IPv4-compatible, :: and ::1 included
      "::ffff:0:0/96",  // IPv4-mapped
      "64:ff9b::/96",   // NAT64's well-known prefix
      "2002::/16",      // 6to4
  });
  static constexpr std::array kOffsets = {12, 12, 12, 2};
  const Q_IPV6ADDR bytes = address.toIPv6Address();
  for (qsizetype k = 0; k < kCarriers.size(); ++k) {
    if (!address.isInSubnet(kCarriers[k].first, kCarriers[k].second)) continue;
    const int at = kOffsets[k];
    return IsPrivateOrLocalIPv4(QHostAddress((quint32(bytes[at]) << 24) |
                                             (quint32(bytes[at + 1]) << 16) |
                                             (quint32(bytes[at + 2]) << 8) | bytes[at + 3]));
  }
  return InAnyOf(address, kLocal);  // unique-local, link-local, site-local, multicast
}

}  // namespace

bool IsPrivateOrLocalAddress(const QHostAddress& address) {
  switch (address.protocol()) {
    case QAbstractSocket::IPv4Protocol:
      return IsPrivateOrLocalIPv4(address);
    case QAbstractSocket::IPv6Protocol:
      return IsPrivateOrLocalIPv6(address);
    default:
      // Null, or "any" without a protocol: nothing that can be vetted.
      return true;
  }
}

}  // namespace norvane
