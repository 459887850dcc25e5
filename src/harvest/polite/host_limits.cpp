#include "harvest/polite/host_limits.h"

#include <algorithm>

#include "harvest/control/url_rules.h"

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

int HostLimits::running(const QString& host) const {
  const auto it = m_hosts.constFind(keyOf(host));
  return it == m_hosts.cend() ? 0 : it->running;
}

HostLimits::TimePoint HostLimits::freeAt(const QString& host) const {
  const auto it = m_hosts.constFind(keyOf(host));
  return it == m_hosts.cend() ? TimePoint::min() : freeAtOf(*it);
}

std::optional<HostLimits::TimePoint> HostLimits::nextFreeTime(TimePoint now) const {
  std::optional<TimePoint> earliest;
  for (const HostState& state : m_hosts) {
    const TimePoint at = freeAtOf(state);
    if (at > now && (!earliest || at < *earliest)) earliest = at;
  }
  return earliest;
}

QString HostOfWebsite(const QString& website) {
  return DecomposePageAddress(website).host;
}

QueuePick PickStartable(const QStringList& queue, const HostLimits& limits,
                        HostLimits::TimePoint now,
                        const std::function<QString(const QString&)>& hostOf) {
  QueuePick pick;
  for (qsizetype i = 0; i < queue.size(); ++i) {
    const QString host = hostOf(queue[i]);
    if (limits.mayStart(host, now)) {
      pick.index = i;
      pick.wakeAt.reset();
      return pick;
    }
    const HostLimits::TimePoint at = limits.freeAt(host);
    if (at > now && (!pick.wakeAt || at < *pick.wakeAt)) pick.wakeAt = at;
  }
  return pick;
}

}  // namespace norvane
