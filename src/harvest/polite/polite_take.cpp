// The controller's side of the polite crawl: TakeNextWebsite with "Polite Crawl" on. The
// policy itself (robots.txt rules, fetches per host, waits) is the PoliteScheduler's; here the
// queue is walked, robots.txt is fetched on the sockets, and parked sockets are woken.
#include <QMetaObject>
#include <algorithm>

#include "common/log_categories.h"
#include "harvest/control/harvest_controller.h"
#include "harvest/control/url_rules.h"
#include "harvest/fetch/page_fetcher.h"
#include "harvest/polite/polite_scheduler.h"
#include "store/spider_database.h"

namespace norvane {
namespace {

using Clock = PoliteScheduler::Clock;

std::optional<Clock::time_point> EarlierOf(const std::optional<Clock::time_point>& a,
                                           const std::optional<Clock::time_point>& b) {
  if (!a || (b && *b < *a)) return b;
  return a;
}

}  // namespace

void HarvestController::politeStartSearch() {
  m_politeWake->stop();
  m_polite->setUrlRules(UrlRules{m_options.secureWeb});
  // More connections than the classic ten keep the rule of two per host, robots.txt or not.
  m_polite->setReadsRobots(m_options.politeCrawl);
  // The rules of a host hold for the rest of the search string, also across Stop and Resume.
  if (currentSearch() != m_politeSearch) {
    m_polite->reset();
    m_politeSearch = currentSearch();
  } else {
    m_polite->endAll();
  }
  // The table may have changed while the crawl stood still: its rows are read again.
  m_ahead.clear();
  // The first take drops entry 0, as the classic take does.
  m_frontHandedOut = true;
  m_robotsSites.fill(QString());
}

void HarvestController::politeFetchEnded(int16_t i) {
  if (i >= 0 && i < kMaxSocketCount) m_robotsSites[i].clear();
  if (m_polite->fetchEnded(i)) politeWakeOneParkedSocket();
}

void HarvestController::politeTake(int16_t i) {
  if (m_frontHandedOut && !m_preview.isEmpty()) dropPreviewFront();
  m_frontHandedOut = false;
  if (m_preview.isEmpty()) moveFirstQueuedWebsite();

  const auto now = Clock::now();
  // Staying on the result sites, a site whose robots.txt is on its way takes no other page
  // meanwhile: the page that waits for it may be its contact page.
  PoliteScheduler::HeldBack heldBack;
  if (m_staying && std::any_of(m_robotsSites.cbegin(), m_robotsSites.cend(),
                               [](const QString& site) { return !site.isEmpty(); })) {
    heldBack = [this](const QString& website) {
      const QString site = m_sites.siteOf(website);
      return !site.isEmpty() &&
             std::find(m_robotsSites.cbegin(), m_robotsSites.cend(), site) != m_robotsSites.cend();
    };
  }
  while (bHarvesting) {
    // The preview first, then the rows of the table beyond it.
    const PoliteScheduler::Answer answer = m_polite->choose(m_preview, now, heldBack);
    std::optional<PoliteScheduler::AheadChoice> ahead;
    if (!answer.choice) {
      PoliteScheduler::AheadAnswer further = m_polite->chooseAhead(m_ahead, now, heldBack);
      while (!further.choice && politeReadAhead())
        further = m_polite->chooseAhead(m_ahead, now, heldBack);
      if (!further.choice) {
        politeArmWake(EarlierOf(answer.wakeAt, further.wakeAt));
        return parkSocket(i);
      }
      ahead = further.choice;
    }
    const bool inPreview = !ahead;
    const qsizetype k = inPreview ? answer.choice->index : -1;
    const PoliteScheduler::Action action = inPreview ? answer.choice->action : ahead->action;
    QString website = inPreview ? m_preview[k] : ahead->website;

    if (action == PoliteScheduler::Action::Drop || !AcceptQueuedEntry(website) ||
        !siteMayTake(website)) {
      if (action == PoliteScheduler::Action::Drop) {
        qCDebug(lcPolite).noquote() << "skipped by robots.txt:" << website;
        setPanelText(2, QStringLiteral("Skipped by robots.txt"));
      }
      if (inPreview) {
        m_preview.removeAt(k);
        emit queueReset(m_preview);
        // A row of the table takes its place, if there is one. Whether the queue has run dry is
        // decided when this socket parks, once no socket fetches: here, other sockets may still
        // be on pages whose links refill it.
        moveFirstQueuedWebsite();
      } else {
        deleteTakenWebsite(website);
      }
      continue;
    }

    if (action == PoliteScheduler::Action::FetchRobots) {
      // robots.txt is a fetch of its own, not a take of a website.
      if (lAdvanceCount > 0) --lAdvanceCount;
      QString robots = m_polite->robotsAddressOf(website);
      m_polite->robotsStarted(i, website, now);
      if (m_staying) m_robotsSites[i] = m_sites.siteOf(website);
      m_parked[i] = false;
      m_fetcher->StartFetch(i, robots, qsizetype(kRobotsMaxBytes) + kRobotsHeaderAllowance);
      politeWakeOneParkedSocket();
      return;
    }

    // The website becomes entry 0, the one handed out last; those it passed keep the front.
    // Mostly it is entry 0 already, and List2 need not be told anything.
    if (!inPreview || k > 0) {
      if (inPreview) m_preview.removeAt(k);
      if (!inPreview) deleteTakenWebsite(website);
      m_preview.prepend(website);
      emit queueReset(m_preview);
    }
    m_frontHandedOut = true;
    strURL = website;
    // A website from the table took the place of the one dropped; one from the preview makes
    // room for the next row, as in the classic take.
    if (inPreview) moveNextQueuedWebsite();
    if (!bHarvesting) return;
    m_polite->pageStarted(i, strURL, now);
    m_parked[i] = false;
    startPage(i);
    politeWakeOneParkedSocket();
    return;
  }
}

bool HarvestController::politeReadAhead() {
  if (m_ahead.size() >= kAheadMostRows) return false;
  const QList<SpiderDatabase::QueuedRow> rows =
      m_database->QueuedRowsAfter(m_ahead.lastRead(), kAheadReadRows);
  for (const SpiderDatabase::QueuedRow& row : rows) {
    // Taken already; its row could not be deleted.
    if (m_takenButKept.contains(row.website)) {
      m_ahead.readUpTo(row.row);
      continue;
    }
    PoliteScheduler::Site site = m_polite->splitSite(row.website);
    m_ahead.add(row.row, row.website, site.host, site.origin, std::move(site.path));
  }
  return !rows.isEmpty();
}

// One parked socket at a time, and only when the queue holds something one may take: a socket
// that then takes a website wakes the next, so the sockets come back one by one as hosts free.
void HarvestController::politeWakeOneParkedSocket() {
  if (!bHarvesting || !limitsHosts()) return;
  const auto end = m_parked.begin() + m_fetcher->socketCount();
  const auto parked = std::find(m_parked.begin(), end, true);
  if (parked == end) return;
  const auto now = Clock::now();
  QStringList queue = m_preview;
  if (m_frontHandedOut && !queue.isEmpty()) queue.removeFirst();
  const PoliteScheduler::Answer answer = m_polite->choose(queue, now);
  if (!answer.choice) {
    PoliteScheduler::AheadAnswer further = m_polite->chooseAhead(m_ahead, now);
    while (!further.choice && politeReadAhead()) further = m_polite->chooseAhead(m_ahead, now);
    if (!further.choice) return politeArmWake(EarlierOf(answer.wakeAt, further.wakeAt));
  }
  wakeParked(int16_t(parked - m_parked.begin()));
}

void HarvestController::politeArmWake(const std::optional<Clock::time_point>& at) {
  if (!at || !bHarvesting) return;
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*at - Clock::now());
  const int ms = int(std::clamp<long long>(wait.count(), 0, 24LL * 3600 * 1000));
  if (m_politeWake->isActive() && m_politeWake->remainingTime() <= ms) return;
  m_politeWake->start(ms);
}

bool HarvestController::TakeOverResponse(int16_t i, const std::string& received) {
  if (!m_options.politeCrawl || !bHarvesting) return false;
  const auto now = Clock::now();
  if (m_polite->takeRobotsResponse(i, received)) {
    // Reading may have stopped at the limit with the rest still coming.
    m_fetcher->CloseSocket(i);
    politeWakeOneParkedSocket();
    TakeNextWebsite(i);
    return true;
  }
  const std::optional<QString> again =
      m_polite->takeSlowDown(i, received, std::chrono::system_clock::now(), now);
  if (!again) return false;
  appendPreview(*again);
  TakeNextWebsite(i);
  return true;
}

}  // namespace norvane
