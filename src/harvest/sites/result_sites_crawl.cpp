// The controller's side of "Stay on Result Sites": the crawl of a search string keeps to the
// sites its search found, reads each site's contact pages first and ends when they are done.
// The rule itself (sites, subdomains, the page limit) is ResultSites'; the order is
// RankOfPage's.
#include <algorithm>

#include "harvest/control/harvest_controller.h"
#include "harvest/sites/contact_pages.h"
#include "store/spider_database.h"

namespace norvane {
namespace {

// Rows of the queue table the rule reads for its sites: a search queues at most about ten
// thousand websites ("~10000 Domains"), and with the rule on no page of another site is queued.
// A table grown beyond that by a crawl with the rule off is not read whole: ten million rows
// held the crawl for minutes and took gigabytes.
constexpr int kResultSitesRows = 20000;

}  // namespace

void HarvestController::staySitesStart() {
  m_sites.setPageLimit(m_options.sitePageLimit);
  m_socketSites.fill(QString());
  m_readingSite.clear();
  const QString search = currentSearch();
  // A Stop and Resume goes on with the sites it had; a Resume after a restart finds them in the
  // store. Otherwise the queue as it stands names them.
  if (m_sites.isEmpty() || m_sitesSearch != search) {
    QList<ResultSite> stored;
    m_sitesSearch = search;
    if (m_database->LoadResultSites(search, stored) && !stored.isEmpty()) {
      m_sites.restore(stored);
    } else {
      m_sites.build(m_preview + m_database->QueuedWebsites(kResultSitesRows));
      m_database->SaveResultSites(search, m_sites.sites());
    }
  }
  // Entry 0 is the website handed out last, dropped by the first take.
  sortPreviewByRank(1);
  staySitesPanel(true);
}

void HarvestController::staySitesForget() {
  m_namedContact.clear();
  if (m_sites.isEmpty() && !m_options.staySites) return;
  m_sites.clear();
  m_sitesSearch.clear();
  m_database->DeleteResultSites();
}

bool HarvestController::linkOnSites(const QString& website, const QString& linkText) {
  if (!m_staying) return true;
  const QString site = m_sites.siteOf(website);
  if (site.isEmpty()) return false;
  // The page's rank is read only where it decides: below the limit every page of the site is
  // queued, at twice the limit none is. Asked for every link of every page.
  if (m_sites.mayQueue(site, false)) return true;
  if (!m_sites.mayQueue(site, true)) return false;
  return RankOfPage(website, linkText) != PageRank::Other;
}

bool HarvestController::siteMayTake(const QString& website) const {
  return !m_staying || m_sites.mayTake(m_sites.siteOf(website));
}

PageRank HarvestController::rankOfQueued(const QString& website) const {
  return m_namedContact.contains(website) ? PageRank::Contact : RankOfPage(website);
}

void HarvestController::sortPreviewByRank(qsizetype from) {
  if (m_preview.size() <= from + 1) return;
  const QStringList before = m_preview;
  std::stable_sort(m_preview.begin() + from, m_preview.end(),
                   [this](const QString& a, const QString& b) {
                     return int(rankOfQueued(a)) < int(rankOfQueued(b));
                   });
  if (m_preview != before) emit queueReset(m_preview);
}

bool HarvestController::queueLinkAhead(const QString& website, const QString& linkText) {
  if (!m_staying) return false;
  m_database->SaveResultSitePages(m_sitesSearch, m_sites.addQueued(m_sites.siteOf(website)));
  const bool named = !linkText.isEmpty() && NamesContactPage(linkText);
  const PageRank rank = named ? PageRank::Contact : RankOfPage(website);
  if (rank == PageRank::Other) return false;
  // The preview is searched and shown whole at every change; past this many pages waiting
  // ahead, the rest queue in the table in the order they were found. Without the bound the
  // preview grew to thousands on a crawl of a hundred sites and cost half its CPU.
  if (m_preview.size() >= kAheadLimit) return false;
  // Ahead of the site's other pages: into the preview, behind the pages of its own rank or
  // better, so that the next takes find it before anything in the table. Entry 0 is the
  // website handed out last (always, unless the polite take says otherwise).
  if (named) m_namedContact.insert(website);
  qsizetype at = m_frontHandedOut && !m_preview.isEmpty() ? 1 : 0;
  while (at < m_preview.size() && int(rankOfQueued(m_preview[at])) <= int(rank)) ++at;
  m_preview.insert(at, website);
  emit queueReset(m_preview);
  return true;
}

void HarvestController::staySitesTaken(int16_t i, const QString& website) {
  if (!m_staying || i < 0 || i >= kMaxSocketCount) return;
  m_socketSites[i] = m_sites.siteOf(website);
  if (!m_socketSites[i].isEmpty()) {
    m_readingSite = m_socketSites[i];
    m_database->SaveResultSitePages(m_sitesSearch, m_sites.addTaken(m_readingSite));
  }
  staySitesPanel(false);
}

void HarvestController::staySitesPanel(bool now) {
  if (!m_staying || m_sites.isEmpty()) return;
  if (!now && m_sitesPanelAge.isValid() && m_sitesPanelAge.elapsed() < m_sitesPanelMs) return;
  m_sitesPanelAge.start();
  // A site is done once nothing of it is queued (in the preview or the table) and no socket
  // works on a page of it.
  QSet<QString> open;
  const auto note = [&](const QString& website) {
    const QString site = m_sites.siteOf(website);
    if (!site.isEmpty()) open.insert(site);
  };
  const qsizetype from = m_frontHandedOut && !m_preview.isEmpty() ? 1 : 0;
  for (qsizetype k = from; k < m_preview.size(); ++k) note(m_preview[k]);
  const QStringList table = m_database->QueuedWebsites(kResultSitesRows);
  for (const QString& website : table) note(website);
  for (const QString& site : m_socketSites)
    if (!site.isEmpty()) open.insert(site);
  const int done = m_sites.count() - int(open.size());
  QString text = QString::number(done) + QStringLiteral(" of ") + QString::number(m_sites.count()) +
                 QStringLiteral(" sites done");
  if (!m_readingSite.isEmpty()) text = QStringLiteral("Reading ") + m_readingSite + ": " + text;
  setPanelText(4, text);
}

}  // namespace norvane
