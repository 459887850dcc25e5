#pragma once

#include <QHostAddress>

namespace norvane {

// True for an address the crawl must never connect to because a page could use it to reach into
// the user's own machine or network: loopback, private and carrier-grade NAT ranges, link-local,
// multicast, unspecified, reserved and broadcast IPv4; loopback, unspecified, unique-local,
// site-local, link-local and multicast IPv6. IPv6 forms that carry an IPv4 address
// (IPv4-mapped, IPv4-compatible, NAT64 64:ff9b::/96, 6to4 2002::/16) are judged by that IPv4
// address. A null address counts as local too, so that anything unparsed stays out.
bool IsPrivateOrLocalAddress(const QHostAddress& address);

}  // namespace norvane
