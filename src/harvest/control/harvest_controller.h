#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "common/statistics.h"
#include "harvest/control/harvest_host.h"
#include "harvest/control/harvest_options.h"
#include "harvest/fetch/fetch_slot.h"
#include "harvest/polite/queue_ahead.h"
#include "harvest/sites/contact_pages.h"
#include "harvest/sites/result_sites.h"
#include "search/search_host.h"
#include "store/store_fault.h"

namespace norvane {

class PageFetcher;
class PageSteps;
class PoliteScheduler;
class SpiderDatabase;

// Runs a harvest: the search pass for the current search string, the crawl of the websites it
// queued on the ten sockets, the move to the next search string, Stop, Resume and the queue
// running dry. It owns the fetcher, the page steps, the store, the search strings, the website
// queue that List2 previews, the fax preview, the status texts and the button states, and tells
// the main window what to show by its signals. It holds no widget.
//
// A page travels: FetchConnection (socket to response) -> PageFetcher (the body, redirects;
// robots.txt and Retry-After answers go to TakeOverResponse) -> SavePage -> PageSteps::SavePage:
// PreparePage (page files, links, text, fax scan; no store), then GetLinks and GetFaxes (links
// and numbers to the store) -> TakeNextWebsite -> PageFetcher::StartFetch on the same socket.
class HarvestController : public QObject, public HarvestHost, public SearchHost {
  Q_OBJECT

 public:
  // The preview lists show at most this many entries (List2 and, plus one, List3).
  static constexpr int kPreviewLimit = 20;
  static constexpr int kProgressMaximum = 100;

  explicit HarvestController(const QString& databasePath, QObject* parent = nullptr);
  ~HarvestController() override;

  // The start sequence's part: the historical counters from the settings, and the three
  // previews from spider.mdb; Resume is enabled when websites were left by an earlier run.
  void Load();
  // The historical counters from the settings; the session counters start at 0.
  void LoadCounters();
  // The window is closing: the harvest ends and the sockets close.
  void Shutdown();

  // The "Web" menu's options also reach the fetcher and the store's website form.
  void setOptions(const HarvestOptions& options);
  const HarvestOptions& options() const { return m_options; }

  // The harvest's operations, as the buttons run them.
  void Start();                         // "Start"
  void StartNextSearch();               // Start for an automatic change of search string
  void StartSearch();                   // crawl the queued websites (the hidden "Start Search")
  void Stop() { stopHarvest({}, {}); }  // "Stop"
  void Resume();                        // "Resume"
  void Next();                          // "Next"
  void TakeNextWebsite(int16_t i) override;
  QString NextQueuedWebsite();
  void StopQueueEmpty();
  bool crawlFetchedAPage() const;
  // Nothing is left to hand out and no socket fetches.
  bool crawlIdle() const;

  // The search strings (List1); entry 0 is the current one.
  const QStringList& searchStrings() const { return m_searches; }
  void AddSearchString(const QString& typed);
  // Removes one entry and its row (a deletion the rules allow without asking).
  void RemoveSearchString(int row);
  // The current search string is dropped with its queue after the user confirmed it.
  void AbandonCurrentSearchString();

  // The fax numbers: delete them all (the button), or follow a deletion made elsewhere.
  void DeleteAllFaxes();
  void FaxesDeleted();

  bool bHarvesting = false;
  int32_t lAdvanceCount = 0;  // takes since Start Search or the last auto advance
  QString strURL;             // the website just taken for a socket

  const HarvestButtons& buttons() const { return m_buttons; }
  QString panelText(int panel) const;  // panel 1 to 4
  int progress() const { return m_progress; }
  const QStringList& faxPreview() const { return m_faxPreview; }
  const Statistics& statistics() const { return m_stats; }
  int32_t faxCount() const;  // numbers stored since the program started (panel 3)

  PageFetcher& fetcher() { return *m_fetcher; }
  PageSteps& pageSteps() { return *m_pageSteps; }
  // How many sockets of the polite crawl may fetch from one host at once (two); the crawl bench
  // lifts it to measure what the limit costs. Set while no crawl runs.
  void setPoliteFetchesPerHost(int limit);

  // HarvestHost.
  bool harvesting() const override { return bHarvesting; }
  void setPanelText(int panel, const QString& text) override;
  void setProgressValue(int value) override;
  void RecordStatistic(Statistics::Kind kind) override;
  void SavePage(std::string body, int16_t i) override;
  bool TakeOverResponse(int16_t i, const std::string& received) override;
  SpiderDatabase& database() override { return *m_database; }
  const QStringList& queuePreview() const override { return m_preview; }
  QString currentSearch() const override { return m_searches.value(0); }
  bool allowInternational() const override { return m_options.allowInternational; }
  LinkReading linkReading() const override { return {m_options.allLinks, !m_options.politeCrawl}; }
  bool thoroughFaxScan() const override { return m_options.thoroughFaxScan; }
  bool foundFaxSoundOn() const override { return m_options.soundOnFax; }
  void showStoredFax(const QString& entry) override;
  void playWave(const QString& path) override { emit soundRequested(path); }
  bool alreadyRead(const QString& address) override;
  void recordRead(const QString& address) override;
  bool linkOnSites(const QString& website, const QString& linkText) override;
  bool queueLinkAhead(const QString& website, const QString& linkText) override;
  // The sites the crawl of the current search string stays on; empty while it does not.
  const ResultSites& resultSites() const { return m_sites; }
  // How often panel 4 counts the sites done (it reads the queue); tests count at every take.
  void setSitesPanelInterval(int milliseconds) { m_sitesPanelMs = milliseconds; }

  // SearchHost: what the search window reads and sets.
  QString currentSearchText() const override { return m_searchText; }
  // txtSearch typed into (or set) by the window.
  void setCurrentSearchText(const QString& text) { m_searchText = text; }
  bool addFaxToSearches() const override { return m_options.addFaxToSearches; }
  int resultCountIndex() const override { return m_options.resultCountIndex; }
  QString searchTypeText() const override { return m_options.searchTypeText; }
  bool secureWeb() const override { return m_options.secureWeb; }
  int searchStringCount() const override { return int(m_searches.size()); }
  void removeCurrentSearchString() override;
  void setStatusPanel(int panel, const QString& text) override { setPanelText(panel, text); }
  bool deleteAllWebsites() override { return DeleteAllWebsites(); }
  void addWebsite(const QString& website) override;
  void recordStatistic(Statistics::Kind kind) override { RecordStatistic(kind); }
  void startSearch() override { StartSearch(); }
  void startNextSearch() override { StartNextSearch(); }
  // The search window is gone: a pass that started no crawl gives the fax-number buttons back.
  void searchPassEnded() override;
  void searchEngineUnreached(const QString& message) override { emit failureReported(message); }

 signals:
  void panelTextChanged(int panel, const QString& text);
  void progressChanged(int value);
  void buttonChanged(norvane::HarvestButton button, bool enabled);
  void statisticsChanged(const norvane::Statistics& statistics);
  // List2: its first entry went, an entry was added at the end, or it holds these entries now.
  void queueFrontRemoved();
  void queueAppended(const QString& website);
  void queueReset(const QStringList& websites);
  // List1.
  void searchRemoved(int row);
  void searchAppended(const QString& search);
  // List3; numberStored follows once the number is in spider.mdb.
  void faxFrontRemoved();
  void faxAppended(const QString& entry);
  void faxesReset(const QStringList& entries);
  void numberStored();
  void soundRequested(const QString& path);
  // A validation message of Start; the window shows it and focuses the choice.
  void messageRequested(const QString& text, norvane::StartChoice focus);
  void searchTextChanged(const QString& text);  // txtSearch
  void searchWindowLoadRequested();
  void searchWindowUnloadRequested();
  // What is wrong with spider.mdb and where it is, said once for each kind of fault the store
  // meets; the window shows it in a message box.
  void storeFaultReported(const QString& text);
  // The harvest stopped because nothing could be read from the web; the window tells the user.
  void failureReported(const QString& text);

 private:
  bool StartChecks();
  bool DeleteAllWebsites();
  void deleteCurrentSearchString();
  void stopHarvest(const QString& panel2, const QString& panel3);
  void stopNothingFetched();
  void applyNextButtonRule();
  void setButton(HarvestButton button, bool enabled);
  void playSound(const char* name);
  void loadSearchWindow();

  // The website queue: entry 0 of the preview is the website handed out last.
  void dropPreviewFront();
  void appendPreview(const QString& website);
  void resetPreview(const QStringList& websites);
  void moveNextQueuedWebsite();
  // The table's first row to the end of the preview; false when the table is empty.
  bool moveFirstQueuedWebsite();
  // A socket is parked when its last take found nothing to fetch; a parked socket is woken
  // when websites are queued again, and when every socket is parked the queue has run dry.
  void parkSocket(int16_t i);
  void wakeParkedSockets();
  // The table's side of the queue. A website whose row cannot be deleted (a file that cannot be
  // written) is remembered as taken, so the queue moves past it instead of taking it again.
  QString firstQueuedWebsite();
  void deleteTakenWebsite(const QString& website);
  bool loadWebsiteList(QStringList& websites);
  void storeFaultChanged(StoreFault fault);
  // A full disk: the harvest stops, and the websites of the latest pages go back to the front of
  // the queue, as their numbers may not have been kept.
  void stopForFullDisk();
  // Socket i starts the page of the website it took (not robots.txt).
  void startPage(int16_t i);

  HarvestOptions m_options;
  HarvestButtons m_buttons;
  Statistics m_stats;
  std::array<QString, 4> m_panels;
  int m_progress = 0;
  QString m_searchText;
  QStringList m_searches;
  QStringList m_preview;
  QStringList m_faxPreview;
  std::array<bool, kMaxSocketCount> m_parked{};
  // The websites of the latest pages started: those on their way and those being worked on
  // (a socket takes its next website while its last page is still worked on), and a few more.
  static constexpr qsizetype kRecentPagesPerSocket = 4;
  QStringList m_recentPages;

  // The polite crawl (polite_take.cpp): which queued website a socket may take, robots.txt
  // first, at most two sockets on one host, and hosts that asked to wait. Its rule of two holds
  // also with "Polite Crawl" off once more than the classic ten connections run, so that more
  // connections never mean more load on one server.
  bool limitsHosts() const { return m_options.politeCrawl || m_options.connections > kSocketCount; }
  void politeStartSearch();
  void politeTake(int16_t i);
  void politeFetchEnded(int16_t i);
  void politeWakeOneParkedSocket();
  // Reads the next rows of the table into m_ahead; false when there were none or it is full.
  bool politeReadAhead();
  // Parked socket j takes its next website soon.
  void wakeParked(int16_t j);
  void politeArmWake(const std::optional<std::chrono::steady_clock::time_point>& at);
  // "Stay on Result Sites" (result_sites_crawl.cpp): the sites of the websites queued when Start
  // Search or Resume begins the crawl, kept in the store for a Resume after a restart, and
  // forgotten with the queue; a contact page goes ahead of its site's other pages.
  void staySitesStart();
  void staySitesForget();
  void staySitesTaken(int16_t i, const QString& website);
  // Panel 4: the site being read and how many of the sites are done (nothing of theirs queued
  // or on a socket), at most every m_sitesPanelMs unless `now`.
  void staySitesPanel(bool now);
  PageRank rankOfQueued(const QString& website) const;
  // Whether a queued website may be taken: always, unless its site has had its pages.
  bool siteMayTake(const QString& website) const;
  // The preview's entries from `from` on, contact pages first, then home pages, else in order.
  void sortPreviewByRank(qsizetype from);
  int m_sitesPanelMs = 250;
  bool m_staying = false;  // the item was on when the crawl began
  ResultSites m_sites;
  QString m_sitesSearch;  // the search string the sites belong to
  std::array<QString, kMaxSocketCount> m_socketSites;
  // The result site whose robots.txt each socket fetches: the site's other pages wait for it, so
  // that a contact page on a host not asked yet is still taken before them.
  std::array<QString, kMaxSocketCount> m_robotsSites;
  QString m_readingSite;
  QSet<QString> m_namedContact;  // queued for a link text that names a contact page
  QElapsedTimer m_sitesPanelAge;

  QSet<QString> m_takenButKept;
  StoreFault m_storeFault = StoreFault::None;
  QSet<int> m_faultsReported;   // StoreFault values said already
  QString m_panel2;             // what panel 2 shows once no store fault does
  bool m_passReplaced = false;  // a search window goes because the next pass replaces it
  std::unique_ptr<SpiderDatabase> m_database;
  std::unique_ptr<PageFetcher> m_fetcher;
  std::unique_ptr<PageSteps> m_pageSteps;

  // Rows of the table beyond the preview that the polite take has read, kept between takes; it
  // reads more of them only when those it holds have nothing a socket may take.
  QueueAhead m_ahead;
  static constexpr int kAheadReadRows = 500;
  static constexpr qsizetype kAheadMostRows = 20000;
  static constexpr int kAheadLimit = 200;  // pages of result sites waiting in the preview
  std::unique_ptr<PoliteScheduler> m_polite;
  QTimer* m_politeWake = nullptr;
  QString m_politeSearch;        // the search string the scheduler's hosts belong to
  bool m_frontHandedOut = true;  // entry 0 of the preview is the website handed out last
};

}  // namespace norvane
