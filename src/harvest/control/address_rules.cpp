#include "harvest/control/address_rules.h"

#include <array>
#include <cstdint>

namespace norvane {

namespace {

struct Ipv4Range {
  quint32 network;
  int prefixLength;
};

constexpr quint32 Ipv4(int a, int b, int c, int d) {
  return (quint32(a) << 24) | (quint32(b) << 16) | (quint32(c) << 8) | quint32(d);
}

constexpr std::array kLocalIpv4 = {
    Ipv4Range{Ipv4(0, 0, 0, 0), 8},       // "this network", 0.0.0.0 included
    Ipv4Range{Ipv4(10, 0, 0, 0), 8},      // private
    Ipv4Range{Ipv4(100, 64, 0, 0), 10},   // carrier-grade NAT
    Ipv4Range{Ipv4(127, 0, 0, 0), 8},     // loopback
    Ipv4Range{Ipv4(169, 254, 0, 0), 16},  // link-local
    Ipv4Range{Ipv4(172, 16, 0, 0), 12},   // private
    Ipv4Range{Ipv4(192, 168, 0, 0), 16},  // private
    Ipv4Range{Ipv4(224, 0, 0, 0), 4},     // multicast
    Ipv4Range{Ipv4(240, 0, 0, 0), 4},     // reserved, never routed; holds 255.255.255.255
};

bool InIpv4Range(quint32 address, const Ipv4Range& range) {
  const quint32 mask = range.prefixLength == 0 ? 0 : ~quint32(0) << (32 - range.prefixLength);
  return (address & mask) == (range.network & mask);
}

quint32 Ipv4At(const Q_IPV6ADDR& bytes, int offset) {
  return (quint32(bytes[offset]) << 24) | (quint32(bytes[offset + 1]) << 16) |
         (quint32(bytes[offset + 2]) << 8) | quint32(bytes[offset + 3]);
}

// True when the address begins with the bytes of prefix.
bool StartsWith(const Q_IPV6ADDR& bytes, std::initializer_list<quint8> prefix) {
  int i = 0;
  for (const quint8 byte : prefix) {
    if (bytes[i++] != byte) return false;
  }
  return true;
}

bool IsPrivateOrLocalIPv6(const Q_IPV6ADDR& bytes) {
  // IPv4-compatible (::a.b.c.d, including :: and ::1) and IPv4-mapped (::ffff:a.b.c.d): the
  // stack may reach the IPv4 address itself.
  if (StartsWith(bytes, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) &&
      ((bytes[10] == 0 && bytes[11] == 0) || (bytes[10] == 0xff && bytes[11] == 0xff)))
    return IsPrivateOrLocalIPv4(Ipv4At(bytes, 12));
  // NAT64 well-known prefix 64:ff9b::/96: a translator forwards to the embedded address.
  if (StartsWith(bytes, {0x00, 0x64, 0xff, 0x9b, 0, 0, 0, 0, 0, 0, 0, 0}))
    return IsPrivateOrLocalIPv4(Ipv4At(bytes, 12));
  // 6to4 2002:a.b.c.d::/48: a relay forwards to the embedded address.
  if (StartsWith(bytes, {0x20, 0x02})) return IsPrivateOrLocalIPv4(Ipv4At(bytes, 2));
  if ((bytes[0] & 0xfe) == 0xfc) return true;                      // unique-local fc00::/7
  if (bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80) return true;  // link-local fe80::/10
  if (bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0xc0) return true;  // site-local fec0::/10
  if (bytes[0] == 0xff) return true;                               // multicast ff00::/8
  return false;
}

}  // namespace

bool IsPrivateOrLocalIPv4(quint32 address) {
  for (const Ipv4Range& range : kLocalIpv4) {
    if (InIpv4Range(address, range)) return true;
  }
  return false;
}

bool IsPrivateOrLocalAddress(const QHostAddress& address) {
  switch (address.protocol()) {
    case QAbstractSocket::IPv4Protocol:
      return IsPrivateOrLocalIPv4(address.toIPv4Address());
    case QAbstractSocket::IPv6Protocol:
      return IsPrivateOrLocalIPv6(address.toIPv6Address());
    default:
      // Null, or "any" without a protocol: nothing that can be vetted.
      return true;
  }
}

}  // namespace norvane
