#pragma once

#include <QHash>
#include <QString>
#include <chrono>
#include <optional>

namespace norvane {

// How many sockets may fetch from one host at the same time.
inline constexpr int kMaxFetchesPerHost = 2;

// The polite crawl's limits per host: how many fetches run there, and when the next may start
// (the Crawl-delay after the last start, a server's Retry-After). Host names are compared
// without letter case. It holds no timer: the caller passes the time in and, for a parked
// socket, arms one from freeAt.
class HostLimits {
 public:
  using Clock = std::chrono::steady_clock;
  using TimePoint = Clock::time_point;

  explicit HostLimits(int maxPerHost = kMaxFetchesPerHost) : m_maxPerHost(maxPerHost) {}

  // Fewer than the maximum fetches running there, and no wait pending at `now`.
  bool mayStart(const QString& host, TimePoint now) const;
  void started(const QString& host, TimePoint now);
  // A fetch there ended (page saved, time-out, failure); unmatched calls are ignored.
  void finished(const QString& host);

  // The least time between two fetch starts there (robots.txt's Crawl-delay); zero for none.
  void setCrawlDelay(const QString& host, std::chrono::milliseconds delay);
  // No fetch starts there before `until` (Retry-After); an earlier hold already set stays
  // if it ends later.
  void holdUntil(const QString& host, TimePoint until);

  // The moment this host's wait ends; `now` or earlier when it has none.
  TimePoint freeAt(const QString& host) const;

  // Forgets every host: a new search string starts with fresh limits.
  void clear() { m_hosts.clear(); }

 private:
  struct HostState {
    int running = 0;
    std::chrono::milliseconds crawlDelay{0};
    std::optional<TimePoint> lastStart;
    std::optional<TimePoint> heldUntil;
  };
  static QString keyOf(const QString& host) { return host.toLower(); }
  static TimePoint freeAtOf(const HostState& state);

  int m_maxPerHost;
  QHash<QString, HostState> m_hosts;
};

}  // namespace norvane
