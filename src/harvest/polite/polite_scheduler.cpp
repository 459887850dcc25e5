#include "harvest/polite/polite_scheduler.h"

#include "common/log_categories.h"
#include "harvest/fetch/http_response.h"
#include "harvest/fetch/redirect_response.h"
#include "harvest/fetch/retry_after.h"

namespace norvane {

PoliteScheduler::Site PoliteScheduler::splitSite(const QString& website) const {
  const PageAddress address = DecomposePageAddress(website, m_rules);
  Site site;
  site.host = address.host.toLower();
  site.origin = address.secure ? kSecureScheme + site.host : site.host;
  site.path = address.path.toUtf8().toStdString();
  return site;
}

const PoliteScheduler::Site& PoliteScheduler::siteOf(const QString& website) const {
  if (const auto cached = m_siteCache.constFind(website); cached != m_siteCache.cend())
    return *cached;
  if (m_siteCache.size() >= kSiteCacheLimit) m_siteCache.clear();
  return *m_siteCache.insert(website, splitSite(website));
}

QString PoliteScheduler::robotsAddressOf(const QString& website) const {
  return siteOf(website).origin + QStringLiteral("/robots.txt");
}

PoliteScheduler::Answer PoliteScheduler::choose(const QStringList& queue, TimePoint now,
                                                const HeldBack& heldBack) const {
  Answer answer;
  for (qsizetype k = 0; k < queue.size(); ++k) {
    if (heldBack && heldBack(queue[k])) continue;
    const Site& site = siteOf(queue[k]);
    const auto rules = m_robots.constFind(site.origin);
    const bool known = !m_readsRobots || rules != m_robots.cend();
    if (m_readsRobots && known && !rules->allows(site.path)) {
      answer.choice = Choice{k, Action::Drop};
      break;
    }
    if (!known && m_robotsPending.contains(site.origin)) continue;
    if (m_limits.mayStart(site.host, now)) {
      answer.choice = Choice{k, known ? Action::Fetch : Action::FetchRobots};
      break;
    }
    const TimePoint at = m_limits.freeAt(site.host);
    if (at > now && (!answer.wakeAt || at < *answer.wakeAt)) answer.wakeAt = at;
  }
  if (answer.choice) answer.wakeAt.reset();
  return answer;
}

// choose, site by site: a site's first row is its candidate when its host may start a fetch
// (a drop when robots.txt refuses it), else its first row robots.txt refuses, if any. The
// candidate earliest in the queue is the one choose would meet first.
PoliteScheduler::AheadAnswer PoliteScheduler::chooseAhead(const QueueAhead& ahead, TimePoint now,
                                                          const HeldBack& heldBack) const {
  AheadAnswer answer;
  const QueueAhead::Row* best = nullptr;
  Action bestAction = Action::Fetch;
  for (const QueueAhead::Site& site : ahead.sites()) {
    if (site.rows.isEmpty()) continue;
    if (best && site.rows.first().row > best->row) continue;
    // The rows of one host are all of one site.
    if (heldBack && heldBack(site.rows.first().website)) continue;
    const auto rules = m_robots.constFind(site.origin);
    const bool known = !m_readsRobots || rules != m_robots.cend();
    if (!known && m_robotsPending.contains(site.origin)) continue;
    const bool checksRules = m_readsRobots && known && rules->hasRules();
    // The first row robots.txt refuses, among those not matched yet.
    const auto firstRefused = [&]() -> const QueueAhead::Row* {
      if (!checksRules) return nullptr;
      while (site.allowedRows < site.rows.size()) {
        const QueueAhead::Row& row = site.rows[site.allowedRows];
        if (best && row.row > best->row) return nullptr;
        if (!rules->allows(row.path)) return &row;
        ++site.allowedRows;
      }
      return nullptr;
    };
    const QueueAhead::Row* candidate = nullptr;
    Action action = Action::Fetch;
    if (m_limits.mayStart(site.host, now)) {
      candidate = &site.rows.first();
      action = !known                        ? Action::FetchRobots
               : firstRefused() == candidate ? Action::Drop
                                             : Action::Fetch;
    } else {
      const TimePoint at = m_limits.freeAt(site.host);
      if (at > now && (!answer.wakeAt || at < *answer.wakeAt)) answer.wakeAt = at;
      candidate = firstRefused();
      action = Action::Drop;
    }
    if (candidate && (!best || candidate->row < best->row)) {
      best = candidate;
      bestAction = action;
    }
  }
  if (best) {
    answer.choice = AheadChoice{best->website, bestAction};
    answer.wakeAt.reset();
  }
  return answer;
}

void PoliteScheduler::start(int16_t socket, const QString& website, bool robots, TimePoint now) {
  if (socket < 0 || socket >= kMaxSocketCount) return;
  fetchEnded(socket);  // a socket runs one fetch at a time
  const Site site = siteOf(website);
  m_sockets[socket] = SocketFetch{site.host, site.origin, website, robots};
  m_limits.started(site.host, now);
  if (robots) m_robotsPending.insert(site.origin);
}

bool PoliteScheduler::fetchEnded(int16_t socket) {
  if (socket < 0 || socket >= kMaxSocketCount || !m_sockets[socket]) return false;
  const SocketFetch fetch = *m_sockets[socket];
  m_sockets[socket].reset();
  m_limits.finished(fetch.host);
  if (fetch.robots && m_robotsPending.remove(fetch.origin)) {
    qCDebug(lcPolite).noquote() << "robots.txt of" << fetch.origin
                                << "not read: every page of the site is skipped";
    m_robots.insert(fetch.origin, RobotsRules::DisallowAll());
  }
  return true;
}

bool PoliteScheduler::takeRobotsResponse(int16_t socket, std::string_view received) {
  if (socket < 0 || socket >= kMaxSocketCount || !m_sockets[socket] || !m_sockets[socket]->robots)
    return false;
  const SocketFetch fetch = *m_sockets[socket];
  const RobotsRules rules = RobotsRulesForResponse(received);
  qCDebug(lcPolite).noquote() << "robots.txt of" << fetch.origin << "read: status"
                              << StatusCodeOf(received).value_or(0)
                              << (!rules.hasRules()   ? "every page allowed"
                                  : rules.allows("/") ? "some pages skipped"
                                                      : "front page skipped")
                              << "crawl delay ms:"
                              << rules.crawlDelay().value_or(std::chrono::milliseconds(0)).count();
  if (const auto delay = rules.crawlDelay()) m_limits.setCrawlDelay(fetch.host, *delay);
  m_robotsPending.remove(fetch.origin);
  m_robots.insert(fetch.origin, rules);
  fetchEnded(socket);
  return true;
}

std::optional<QString> PoliteScheduler::takeSlowDown(int16_t socket, std::string_view received,
                                                     std::chrono::system_clock::time_point wallNow,
                                                     TimePoint now) {
  if (socket < 0 || socket >= kMaxSocketCount || !m_sockets[socket] || m_sockets[socket]->robots)
    return std::nullopt;
  const auto end = HeaderEndPosition(received);
  if (!end) return std::nullopt;
  const auto wait = RetryAfterOfResponse(received.substr(0, *end - 1), wallNow);
  if (!wait) return std::nullopt;
  const SocketFetch fetch = *m_sockets[socket];
  m_limits.holdUntil(fetch.host, now + *wait);
  qCDebug(lcPolite).noquote() << fetch.host
                              << "asked to wait ms:" << std::chrono::milliseconds(*wait).count();
  if (m_putBack.contains(fetch.website)) return std::nullopt;
  m_putBack.insert(fetch.website);
  fetchEnded(socket);
  return fetch.website;
}

void PoliteScheduler::endAll() {
  for (auto& fetch : m_sockets) {
    if (!fetch) continue;
    m_limits.finished(fetch->host);
    fetch.reset();
  }
  m_robotsPending.clear();
}

void PoliteScheduler::reset() {
  m_siteCache.clear();
  for (auto& fetch : m_sockets) fetch.reset();
  m_limits.clear();
  m_robots.clear();
  m_robotsPending.clear();
  m_putBack.clear();
}

}  // namespace norvane
