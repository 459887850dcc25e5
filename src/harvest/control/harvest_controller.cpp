#include "harvest/control/harvest_controller.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "common/app_folder.h"
#include "common/event_yield.h"
#include "common/settings_keys.h"
#include "harvest/control/url_rules.h"
#include "harvest/faxes/phone_numbers.h"
#include "harvest/fetch/page_fetcher.h"
#include "harvest/page/page_steps.h"
#include "harvest/polite/polite_scheduler.h"
#include "store/spider_database.h"

namespace norvane {

HarvestController::HarvestController(const QString& databasePath, QObject* parent)
    : QObject(parent),
      m_database(std::make_unique<SpiderDatabase>(databasePath)),
      m_fetcher(std::make_unique<PageFetcher>(*this)),
      m_pageSteps(std::make_unique<PageSteps>(*this, *m_fetcher)),
      m_polite(std::make_unique<PoliteScheduler>()),
      m_politeWake(new QTimer(this)) {
  m_parked.fill(true);
  m_politeWake->setSingleShot(true);
  connect(m_politeWake, &QTimer::timeout, this, [this] { politeWakeOneParkedSocket(); });
  m_database->setFaultListener([this](StoreFault fault) { storeFaultChanged(fault); });
}

HarvestController::~HarvestController() {
  bHarvesting = false;
  // The sockets go first: nothing they raise may reach a controller that is half gone.
  m_fetcher.reset();
}

void HarvestController::setOptions(const HarvestOptions& options) {
  m_options = options;
  m_database->setKeepSecureScheme(options.secureWeb);
  m_fetcher->setSecureWeb(options.secureWeb);
  if (options.skipPagesRead) m_database->AddVisitedTable();
  if (options.staySites) m_database->AddResultSitesTable();
  if (options.thoroughFaxScan) LoadPhoneNumberTablesAhead();
}

void HarvestController::setPoliteFetchesPerHost(int limit) {
  m_polite = std::make_unique<PoliteScheduler>(limit);
}

bool HarvestController::alreadyRead(const QString& address) {
  return m_options.skipPagesRead && m_database->VisitedKnown(address, currentSearch());
}

void HarvestController::recordRead(const QString& address) {
  if (m_options.skipPagesRead) m_database->AddVisited(address, currentSearch());
}

void HarvestController::LoadCounters() {
  m_stats = Statistics{};
  constexpr int kMin = std::numeric_limits<int32_t>::min();
  constexpr int kMax = std::numeric_limits<int32_t>::max();
  m_stats.lHistEmailFound = settings::lHistEmailFound.read(kMin, kMax);
  m_stats.lHistWebScanned = settings::lHistWebScanned.read(kMin, kMax);
  emit statisticsChanged(m_stats);
}

void HarvestController::Load() {
  bHarvesting = false;
  m_fetcher->setTickLimits(10, 30);
  lAdvanceCount = 0;
  m_pageSteps->lFaxCount = 0;

  if (!m_database->isOpen()) m_database->open();
  QStringList faxes = m_faxPreview;
  if (m_database->LoadFaxList(faxes)) {
    m_faxPreview = faxes;
    emit faxesReset(m_faxPreview);
  }
  QStringList searches;
  m_database->LoadSearchList(searches);
  for (const QString& search : std::as_const(searches)) {
    m_searches << search;
    emit searchAppended(search);
  }
  if (m_searches.isEmpty()) return;
  QStringList websites;
  if (!loadWebsiteList(websites)) return;
  resetPreview(websites);
  if (!m_preview.isEmpty()) setButton(HarvestButton::Resume, true);
}

void HarvestController::Shutdown() {
  bHarvesting = false;
  m_fetcher->CloseAll();
}

int32_t HarvestController::faxCount() const {
  return m_pageSteps->lFaxCount;
}

QString HarvestController::panelText(int panel) const {
  if (panel < 1 || panel > 4) return QString();
  return m_panels[panel - 1];
}

void HarvestController::setPanelText(int panel, const QString& text) {
  if (panel < 1 || panel > 4) return;
  QString shown = text;
  if (panel == 2) {
    m_panel2 = text;
    // A fault of the store stays in view while it lasts.
    if (m_storeFault != StoreFault::None) shown = StoreFaultPanelText(m_storeFault);
  }
  m_panels[panel - 1] = shown;
  emit panelTextChanged(panel, shown);
}

void HarvestController::storeFaultChanged(StoreFault fault) {
  m_storeFault = fault;
  if (fault == StoreFault::DiskFull && bHarvesting) {
    // Nothing found could be kept: the crawl stops rather than fetch for nothing, and says why
    // each time. The stop runs once the store's operation is over; until then no step goes on.
    bHarvesting = false;
    m_faultsReported.remove(int(fault));
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (!bHarvesting) stopForFullDisk();
        },
        Qt::QueuedConnection);
  }
  if (fault != StoreFault::None && !m_faultsReported.contains(int(fault))) {
    m_faultsReported.insert(int(fault));
    emit storeFaultReported(StoreFaultMessage(fault, m_database->filePath()));
  }
  setPanelText(2, m_panel2);
}

void HarvestController::stopForFullDisk() {
  // A page stored whole before the disk filled is read again after Resume; its numbers are
  // known by then and not stored twice.
  // Entry 0 of the preview was handed out already: the next take passes over it.
  const QStringList waiting = m_preview.mid(1);
  QStringList unfinished;
  for (const QString& website : std::as_const(m_recentPages))
    if (!waiting.contains(website) && !unfinished.contains(website)) unfinished << website;
  stopHarvest(QString(), QString());
  // Behind entry 0, the website handed out last, which the next take passes over.
  const qsizetype at = std::min<qsizetype>(m_preview.size(), 1);
  for (qsizetype k = 0; k < unfinished.size(); ++k) m_preview.insert(at + k, unfinished[k]);
  if (!unfinished.isEmpty()) emit queueReset(m_preview);
  setButton(HarvestButton::Resume, !m_preview.isEmpty());
}

void HarvestController::startPage(int16_t i) {
  m_recentPages << strURL;
  if (m_recentPages.size() > kRecentPagesPerSocket * m_fetcher->socketCount())
    m_recentPages.removeFirst();
  staySitesTaken(i, strURL);
  m_fetcher->StartFetch(i, strURL);
}

void HarvestController::setProgressValue(int value) {
  // The bar refuses a value outside its range, and so the value is ignored.
  if (value < 0 || value > kProgressMaximum) return;
  m_progress = value;
  emit progressChanged(value);
}

void HarvestController::RecordStatistic(Statistics::Kind kind) {
  m_stats.record(kind);
  if (kind == Statistics::kPageScanned) {
    SaveSettingSoon(settings::lHistWebScanned.key(), QString::number(m_stats.lHistWebScanned));
  } else if (kind == Statistics::kFaxStored) {
    SaveSettingSoon(settings::lHistEmailFound.key(), QString::number(m_stats.lHistEmailFound));
    emit numberStored();
  }
  emit statisticsChanged(m_stats);
}

void HarvestController::SavePage(std::string body, int16_t i) {
  if (limitsHosts()) politeFetchEnded(i);  // the host is free while the page is worked
  m_pageSteps->SavePage(std::move(body), i);
}

void HarvestController::showStoredFax(const QString& entry) {
  // The preview keeps the newest numbers: with more than kPreviewLimit it drops its first.
  if (m_faxPreview.size() > kPreviewLimit) {
    m_faxPreview.removeFirst();
    emit faxFrontRemoved();
  }
  m_faxPreview << entry;
  emit faxAppended(entry);
}

void HarvestController::setButton(HarvestButton button, bool enabled) {
  // In the order of HarvestButton.
  static constexpr bool HarvestButtons::*kFlags[] = {&HarvestButtons::start, &HarvestButtons::stop,
                                                     &HarvestButtons::resume, &HarvestButtons::next,
                                                     &HarvestButtons::faxData};
  m_buttons.*kFlags[int(button)] = enabled;
  // Told every time, not only on a change: each operation sets the buttons it names.
  emit buttonChanged(button, enabled);
}

void HarvestController::applyNextButtonRule() {
  setButton(HarvestButton::Next, bHarvesting && m_searches.size() > 1);
}

void HarvestController::playSound(const char* name) {
  emit soundRequested(AppFile(QStringLiteral("sounds/") + QLatin1String(name)));
}

void HarvestController::loadSearchWindow() {
  m_searchText = m_searches.first();
  emit searchTextChanged(m_searchText);
  m_passReplaced = true;
  emit searchWindowLoadRequested();
  m_passReplaced = false;
}

void HarvestController::searchPassEnded() {
  if (m_passReplaced || bHarvesting) return;
  setButton(HarvestButton::FaxData, true);
}

bool HarvestController::DeleteAllWebsites() {
  if (!m_database->DeleteAllWebsites()) return false;
  m_takenButKept.clear();
  m_ahead.clear();
  resetPreview({});
  staySitesForget();
  // The labels keep showing the old values until the next statistics event.
  m_stats.lSessionFound = 0;
  m_stats.lSessionScanned = 0;
  return true;
}

void HarvestController::DeleteAllFaxes() {
  m_database->DeleteAllFaxes();
  FaxesDeleted();
}

void HarvestController::FaxesDeleted() {
  m_faxPreview.clear();
  emit faxesReset(m_faxPreview);
  m_stats.lSessionFaxes = 0;
}

// The search strings.

void HarvestController::AddSearchString(const QString& typed) {
  // An empty or blank text would search for nothing but the options; a repeated one is added
  // like any other.
  if (typed.trimmed().isEmpty()) return;
  m_searches << typed;
  emit searchAppended(typed);
  QString stored = typed;
  m_database->AddSearch(stored);
  applyNextButtonRule();
}

void HarvestController::RemoveSearchString(int row) {
  if (row < 0 || row >= m_searches.size()) return;
  QString search = m_searches.at(row);
  m_database->DeleteVisited(search);  // the pages read under it are forgotten with it
  m_database->DeleteSearch(search);
  m_searches.removeAt(row);
  emit searchRemoved(row);
  applyNextButtonRule();
}

void HarvestController::AbandonCurrentSearchString() {
  if (m_searches.isEmpty()) return;
  setButton(HarvestButton::Resume, false);
  deleteCurrentSearchString();
}

void HarvestController::removeCurrentSearchString() {
  if (m_searches.isEmpty()) return;
  m_database->DeleteVisited(m_searches.first());
  m_searches.removeFirst();
  emit searchRemoved(0);
}

void HarvestController::deleteCurrentSearchString() {
  RemoveSearchString(0);
  // The backlog belongs to the search string; the entry goes even if the table stays.
  DeleteAllWebsites();
}

void HarvestController::addWebsite(const QString& website) {
  QString site = website;
  m_database->AddWebsite(site);
}

// The harvest.

// Steps 1 to 6 of Start: false when a choice is missing (the user has been told).
bool HarvestController::StartChecks() {
  setButton(HarvestButton::Resume, false);
  setButton(HarvestButton::FaxData, false);
  DeleteAllWebsites();
  if (m_options.soundOnNextSearch) playSound("nextsearch.wav");

  const struct {
    bool missing;
    const char* message;
    StartChoice focus;
  } checks[] = {
      {m_searches.isEmpty(), "Please enter at least one search term before begining your search.",
       StartChoice::SearchString},
      {m_options.searchTypeIndex == -1, "Please enter a search type before begining your search.",
       StartChoice::SearchType},
      {m_options.resultCountIndex == -1,
       "Please select the number of search results to retrieve before begining your search.",
       StartChoice::ResultCount},
  };
  for (const auto& check : checks) {
    if (!check.missing) continue;
    emit messageRequested(QLatin1String(check.message), check.focus);
    return false;
  }
  return true;
}

// A Start that stops at a missing choice reaches no crawl: the numbers stay within reach.
void HarvestController::Start() {
  if (!StartChecks()) return setButton(HarvestButton::FaxData, true);
  loadSearchWindow();
}

void HarvestController::StartNextSearch() {
  if (!StartChecks()) return setButton(HarvestButton::FaxData, true);
  m_passReplaced = true;
  emit searchWindowUnloadRequested();
  m_passReplaced = false;
  loadSearchWindow();
}

void HarvestController::StartSearch() {
  bHarvesting = true;
  setButton(HarvestButton::FaxData, false);
  setButton(HarvestButton::Resume, false);
  setButton(HarvestButton::Start, false);
  setButton(HarvestButton::Stop, true);
  if (m_searches.size() > 1) setButton(HarvestButton::Next, true);
  lAdvanceCount = 0;
  if (m_preview.isEmpty()) {
    QStringList websites;
    if (loadWebsiteList(websites)) resetPreview(websites);
  }
  m_staying = m_options.staySites;
  if (m_staying) staySitesStart();
  m_parked.fill(true);
  // The choice of connections takes effect here; the names looked up before are asked again.
  m_fetcher->setSocketCount(m_options.connections);
  m_fetcher->forgetLookups();
  m_database->setCrawlBatch(true);
  politeStartSearch();
  const int k = std::min(int(m_preview.size()), m_fetcher->socketCount() - 1);
  for (int16_t i = 0; i <= k; ++i) TakeNextWebsite(i);
}

void HarvestController::TakeNextWebsite(int16_t i) {
  if (!bHarvesting) return;
  if (limitsHosts() && !m_fetcher->isFetching(i)) politeFetchEnded(i);
  if (lAdvanceCount < INT32_MAX) ++lAdvanceCount;
  if (lAdvanceCount > m_options.advanceAfter && m_options.autoAdvance) {
    lAdvanceCount = 0;
    if (m_searches.size() >= 2 && !crawlFetchedAPage()) return stopNothingFetched();
    Next();
    // On the last search string with "Continue Until Stopped" the harvest goes on, and so
    // does this socket.
    if (!bHarvesting) return;
  }
  YieldToEvents();
  // Another take gave this socket work while the events ran.
  if (m_fetcher->isFetching(i)) return;
  if (limitsHosts()) return politeTake(i);

  // Entry 0 is the website handed out last; it makes way for the next one.
  if (!m_preview.isEmpty()) dropPreviewFront();
  // Links found since the list ran short are in the table.
  if (m_preview.isEmpty()) moveFirstQueuedWebsite();
  while (true) {
    if (m_preview.isEmpty()) return parkSocket(i);
    if (AcceptQueuedEntry(m_preview.first()) && siteMayTake(m_preview.first())) break;
    dropPreviewFront();
    moveNextQueuedWebsite();
  }
  strURL = m_preview.first();
  moveNextQueuedWebsite();
  if (!bHarvesting) return;
  m_parked[i] = false;
  startPage(i);
  wakeParkedSockets();
}

void HarvestController::dropPreviewFront() {
  m_preview.removeFirst();
  emit queueFrontRemoved();
}

void HarvestController::appendPreview(const QString& website) {
  m_preview << website;
  emit queueAppended(website);
}

void HarvestController::resetPreview(const QStringList& websites) {
  m_preview = websites;
  emit queueReset(m_preview);
}

// Every take moves one website from the table to the end of the preview, so the preview keeps
// its length while the table shrinks. An empty table adds nothing: an empty entry would reach
// StartFetch as a website without a host.
void HarvestController::moveNextQueuedWebsite() {
  // With the table empty, NextQueuedWebsite gives nothing but handles the queue's end.
  if (!moveFirstQueuedWebsite()) NextQueuedWebsite();
}

bool HarvestController::moveFirstQueuedWebsite() {
  const QString w = firstQueuedWebsite();
  if (w.isEmpty()) return false;
  deleteTakenWebsite(w);
  appendPreview(w);
  return true;
}

QString HarvestController::firstQueuedWebsite() {
  return m_database->FirstQueuedWebsite(m_takenButKept);
}

void HarvestController::deleteTakenWebsite(const QString& website) {
  QString site = website;
  m_database->DeleteWebsite(site);
  if (!m_database->lastChangeStored()) m_takenButKept.insert(website);
  m_ahead.remove(website);
}

bool HarvestController::loadWebsiteList(QStringList& websites) {
  if (!m_database->LoadWebsiteList(websites)) return false;
  // Moved into the preview, but still in a table that could not be changed.
  if (!m_database->lastChangeStored()) {
    for (const QString& website : std::as_const(websites)) m_takenButKept.insert(website);
  }
  return true;
}

// A socket with nothing to fetch waits. When no socket has anything left either, the queue has
// run dry and the exhausted-queue handling decides what comes next.
void HarvestController::parkSocket(int16_t i) {
  if (m_fetcher->isFetching(i)) return;
  m_parked[i] = true;
  m_socketSites[i].clear();
  if (!bHarvesting) return;
  if (std::all_of(m_parked.begin(), m_parked.begin() + m_fetcher->socketCount(),
                  [](bool parked) { return parked; }))
    NextQueuedWebsite();
}

void HarvestController::wakeParkedSockets() {
  if (!bHarvesting) return;
  if (limitsHosts()) return politeWakeOneParkedSocket();
  // Entry 0 of the preview is taken already; with the table empty only the rest can be handed
  // out.
  qsizetype available = m_preview.size() - 1;
  for (int16_t j = 0; j < m_fetcher->socketCount(); ++j) {
    if (!m_parked[j]) continue;
    if (available <= 0) {
      if (firstQueuedWebsite().isEmpty()) return;
      available = m_fetcher->socketCount();
    }
    --available;
    wakeParked(j);
  }
}

void HarvestController::wakeParked(int16_t j) {
  m_parked[j] = false;
  // Through the event loop, so that the take does not nest inside the fetch that freed it.
  QMetaObject::invokeMethod(
      this,
      [this, j] {
        if (bHarvesting && !m_fetcher->isFetching(j)) TakeNextWebsite(j);
      },
      Qt::QueuedConnection);
}

QString HarvestController::NextQueuedWebsite() {
  const QString first = firstQueuedWebsite();
  if (!first.isEmpty()) return first;

  if (m_searches.size() >= 2) {
    if (!crawlFetchedAPage()) {
      // Websites still wait to be handed out, or fetches run: the crawl is not over yet.
      if (crawlIdle()) stopNothingFetched();
      return QString();
    }
    StopQueueEmpty();
    deleteCurrentSearchString();
    StartNextSearch();
    return QString();
  }
  if (!m_preview.isEmpty() && bHarvesting && m_preview.first().isEmpty()) resetPreview({});
  if (!m_preview.isEmpty()) return QString();
  if (m_options.continueAfterLastSearch) {
    if (m_options.soundOnFinished) playSound("finished.wav");
    return QString();
  }
  StopQueueEmpty();
  return QString();
}

void HarvestController::stopHarvest(const QString& panel2, const QString& panel3) {
  bHarvesting = false;
  setButton(HarvestButton::Stop, false);
  setButton(HarvestButton::Start, true);
  setButton(HarvestButton::FaxData, true);
  applyNextButtonRule();
  // Only whether more are queued than were taken matters: counted up to one more.
  const qint32 taken = qint32(m_takenButKept.size());
  if (m_database->CountWebsitesUpTo(taken + 1) > taken) setButton(HarvestButton::Resume, true);
  m_fetcher->CloseAll();
  m_recentPages.clear();
  m_database->setCrawlBatch(false);
  m_parked.fill(true);
  m_polite->endAll();
  m_politeWake->stop();
  setProgressValue(kProgressMaximum);
  setPanelText(1, QStringLiteral("Stopped"));
  setPanelText(2, panel2);
  setPanelText(3, panel3);
  setPanelText(4, QString());
  if (m_options.soundOnFinished) playSound("finished.wav");
}

// A search string is dropped for good only once its crawl has fetched something: a crawl that
// reached no website at all says more about the connection than about the search string.
bool HarvestController::crawlFetchedAPage() const {
  // The session's page count starts again with every new pass and queue.
  return m_stats.lSessionScanned > 0;
}

bool HarvestController::crawlIdle() const {
  if (!m_preview.isEmpty()) return false;
  for (int16_t i = 0; i < m_fetcher->socketCount(); ++i) {
    if (!m_parked[i] || m_fetcher->isFetching(i)) return false;
  }
  return true;
}

void HarvestController::stopNothingFetched() {
  stopHarvest(QStringLiteral("No page could be fetched"), QStringLiteral("Check the connection"));
  emit failureReported(QStringLiteral(
      "None of the queued websites could be fetched.\n\nThe search string stays in the list. "
      "Check the internet connection and click Start again."));
}

void HarvestController::StopQueueEmpty() {
  stopHarvest(QStringLiteral("No more websites queued"), QStringLiteral("Try a different search"));
}

void HarvestController::Resume() {
  setButton(HarvestButton::Resume, false);
  StartSearch();
}

void HarvestController::Next() {
  if (m_searches.size() < 2) {
    if (m_options.continueAfterLastSearch) {
      if (m_options.soundOnFinished) playSound("finished.wav");
      return;
    }
    Stop();
    return;
  }
  Stop();
  deleteCurrentSearchString();
  Start();
}

}  // namespace norvane
