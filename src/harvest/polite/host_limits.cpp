#include "harvest/polite/host_limits.h"

#include <algorithm>

namespace norvane {

HostLimits::TimePoint HostLimits::freeAtOf(const HostState& state) {
  TimePoint at = TimePoint::min();
  if (state.lastStart && state.crawlDelay.count() > 0) at = *state.lastStart + state.crawlDelay;
  if (state.heldUntil) at = std::max(at, *state.heldUntil);
  return at;
}

bool HostLimits::mayStart(const QString& host, TimePoint now) const {
  const auto it = m_hosts.constFind(keyOf(host));
  if (it == m_hosts.cend()) return m_maxPerHost > 0;
  return it->running < m_maxPerHost && freeAtOf(*it) <= now;
}

void HostLimits::started(const QString& host, TimePoint now) {
  HostState& state = m_hosts[keyOf(host)];
  ++state.running;
  state.lastStart = now;
}

void HostLimits::finished(const QString& host) {
  const auto it = m_hosts.find(keyOf(host));
  if (it != m_hosts.end() && it->running > 0) --it->running;
}

void HostLimits::setCrawlDelay(const QString& host, std::chrono::milliseconds delay) {
  m_hosts[keyOf(host)].crawlDelay = std::max(delay, std::chrono::milliseconds(0));
}

void HostLimits::holdUntil(const QString& host, TimePoint until) {
  HostState& state = m_hosts[keyOf(host)];
  if (!state.heldUntil || *state.heldUntil < until) state.heldUntil = until;
}

HostLimits::TimePoint HostLimits::freeAt(const QString& host) const {
  const auto it = m_hosts.constFind(keyOf(host));
  return it == m_hosts.cend() ? TimePoint::min() : freeAtOf(*it);
}

}  // namespace norvane
