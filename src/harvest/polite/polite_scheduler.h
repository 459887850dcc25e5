#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "harvest/control/url_rules.h"
#include "harvest/fetch/fetch_slot.h"
#include "harvest/polite/host_limits.h"
#include "harvest/polite/queue_ahead.h"
#include "harvest/polite/robots_rules.h"

namespace norvane {

// A robots.txt is read up to kRobotsMaxBytes of body; this much more leaves room for the
// status line and the header block in front of it.
inline constexpr qsizetype kRobotsHeaderAllowance = 16 * 1024;

// The polite crawl's view of the hosts under the current search string: each host's robots.txt
// rules, how many sockets fetch there, and when the next fetch there may start (Crawl-delay,
// Retry-After). The controller asks it which queued website a free socket may take, and tells it
// when a fetch starts and ends and what the answers said. It holds no socket and no timer: the
// time is passed in, and the controller arms its own timer from the wake time it is given.
class PoliteScheduler {
 public:
  using Clock = HostLimits::Clock;
  using TimePoint = HostLimits::TimePoint;

  enum class Action {
    Fetch,        // the website itself
    FetchRobots,  // robots.txt of its host first; the website stays queued
    Drop,         // robots.txt refuses it: out of the queue without a fetch
  };
  struct Choice {
    qsizetype index = 0;
    Action action = Action::Fetch;
  };
  // No choice: every queued host is busy or kept waiting. wakeAt is then the earliest moment a
  // host frees by time, empty when they wait only for running fetches.
  struct Answer {
    std::optional<Choice> choice;
    std::optional<TimePoint> wakeAt;
  };

  explicit PoliteScheduler(int maxPerHost = kMaxFetchesPerHost) : m_limits(maxPerHost) {}

  // Whether "https://" in front of a website names a secure one (the secure option).
  void setUrlRules(const UrlRules& rules) {
    m_rules = rules;
    m_siteCache.clear();
  }

  // Off: robots.txt is neither fetched nor obeyed; only the limits per host hold.
  void setReadsRobots(bool on) { m_readsRobots = on; }

  // Looks at the queue in order: the first website that robots.txt refuses is dropped, the first
  // whose host may start a fetch now is fetched (or its host's robots.txt, when not known yet).
  // A host whose robots.txt is being fetched waits for it. Websites `heldBack` names are passed
  // over as if they were not in the queue; it names whole hosts (all websites of a host alike).
  using HeldBack = std::function<bool(const QString& website)>;
  Answer choose(const QStringList& queue, TimePoint now, const HeldBack& heldBack = {}) const;

  // The same choice among the rows read ahead of the table, which come after every website of a
  // queue passed to choose: the website is the first, in queue order, that choose would pick.
  struct AheadChoice {
    QString website;
    Action action = Action::Fetch;
  };
  struct AheadAnswer {
    std::optional<AheadChoice> choice;
    std::optional<TimePoint> wakeAt;
  };
  AheadAnswer chooseAhead(const QueueAhead& ahead, TimePoint now,
                          const HeldBack& heldBack = {}) const;

  // A website's host (lower case), origin (scheme and host) and path with query.
  struct Site {
    QString host;
    QString origin;
    std::string path;
  };
  Site splitSite(const QString& website) const;

  // The website text that fetches robots.txt of the website's host, with the same scheme.
  QString robotsAddressOf(const QString& website) const;

  void pageStarted(int16_t socket, const QString& website, TimePoint now) {
    start(socket, website, false, now);
  }
  void robotsStarted(int16_t socket, const QString& website, TimePoint now) {
    start(socket, website, true, now);
  }
  // The socket's fetch is over; true when it had one. A robots.txt fetch that ends without its
  // answer (a time-out, an unreachable or slow host) refuses its host for the search string.
  bool fetchEnded(int16_t socket);

  // The whole response to the socket's fetch, before the page steps see it. true when the
  // socket was fetching robots.txt: the rules are kept and the fetch is over.
  bool takeRobotsResponse(int16_t socket, std::string_view received);
  // A 429 or 503 answer with Retry-After keeps the page's host off the sockets until then. Gives
  // the website to queue again the first time it is answered so; the fetch is then over.
  std::optional<QString> takeSlowDown(int16_t socket, std::string_view received,
                                      std::chrono::system_clock::time_point wallNow, TimePoint now);

  // The sockets were closed (Stop): no fetch runs, and a robots.txt that was on its way will be
  // asked for again; the rules and waits already known stay.
  void endAll();
  // A new search string: every host is new again.
  void reset();

 private:
  struct SocketFetch {
    QString host;    // lower case, for the per-host limits
    QString origin;  // scheme and host, for the robots.txt rules
    QString website;
    bool robots = false;
  };
  // A reference into the cache: good until the next call.
  const Site& siteOf(const QString& website) const;
  // Every take looks at the same queued websites again; their split is kept, within bounds.
  static constexpr qsizetype kSiteCacheLimit = 4096;
  mutable QHash<QString, Site> m_siteCache;
  void start(int16_t socket, const QString& website, bool robots, TimePoint now);

  UrlRules m_rules;
  HostLimits m_limits;
  QHash<QString, RobotsRules> m_robots;  // by origin
  QSet<QString> m_robotsPending;         // origins whose robots.txt is being fetched
  QSet<QString> m_putBack;               // websites queued again after a Retry-After
  std::array<std::optional<SocketFetch>, kMaxSocketCount> m_sockets;
  bool m_readsRobots = true;
};

}  // namespace norvane
