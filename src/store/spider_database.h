#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "store/fax_listing.h"
#include "store/fax_row.h"
#include "store/lookup_cache.h"
#include "store/result_site.h"
#include "store/sqlite_connection.h"
#include "store/store_fault.h"
#include "store/store_transaction.h"

namespace norvane {

// The harvest data in spider.mdb (an SQLite file): tables faxes, websites and searches, and
// the fourteen operations the rest of the program uses. Texts marked in/out are normalised in
// the caller's variable. Every value is bound as a parameter, and every change is on disk when
// the operation returns. Failures follow the "skip the failing step" rule: an operation that
// cannot reach the file has no effect on it and still returns its usual result, except
// DeleteAllWebsites, which reports failure. Lookups compare whole texts and ignore the letter
// case of the ASCII letters (SQLite's NOCASE), so "Example.COM" finds "example.com".
class SpiderDatabase {
 public:
  explicit SpiderDatabase(QString filePath);
  ~SpiderDatabase();
  SpiderDatabase(const SpiderDatabase&) = delete;
  SpiderDatabase& operator=(const SpiderDatabase&) = delete;

  // Opens the file, creating it with the three tables when it is missing (or empty). False when
  // the file cannot be opened, is locked beyond the busy timeout or is no database; the
  // operations then take their failure outcomes, and the file is left exactly as it was. Every
  // operation on a store that is not open tries to open it again first, so a file that was
  // locked at start is used once it is free. The connection then stays open until the object
  // is destroyed.
  //
  // The file is kept in WAL journal mode with synchronous=NORMAL: a change is in the file (or
  // its -wal beside it) when the operation returns, so it survives the program being killed.
  // A file that cannot be written (read-only file or folder) is still opened for reading: as
  // an immutable file (no locks, no -wal or -shm left behind) when no -wal file waits beside it
  // or its folder cannot hold the WAL files, in its own journal mode otherwise.
  bool open();
  bool isOpen() const { return m_open; }
  // Closes the connection, which folds the WAL back into the file; the next operation opens
  // it again. The program runs it as it ends, so spider.mdb is whole on its own.
  void close();
  QString filePath() const { return m_filePath; }

  // How long a statement waits for another program's lock before it fails. A few seconds by
  // default; tests shorten it.
  static void setBusyTimeout(int milliseconds) { s_busyTimeoutMs = milliseconds; }
  static int busyTimeout() { return s_busyTimeoutMs; }

  // Whether AddWebsite, DeleteWebsite and WebsiteKnown keep "https://" on the websites they
  // normalise: on while the crawl follows secure websites. Off by default.
  void setKeepSecureScheme(bool keep) { m_keepSecureScheme = keep; }
  // A lock that outlasts the busy timeout (or a failed open) makes the store back off for this
  // long, so that an operation for every link does not wait the busy timeout again and freeze
  // the window. While it backs off, a store that is not open does not try to open (operations
  // take their failure outcomes at once), and an open store's statements give up on a lock at
  // once instead of waiting; each lock met extends the back-off. After it, the file is opened
  // again (without waiting, when the last open failed) and statements wait as usual, so storing
  // resumes once the lock is gone. A few seconds by default; tests change it.
  static void setBackOffPeriod(int milliseconds) { s_backOffPeriodMs = milliseconds; }
  static int backOffPeriod() { return s_backOffPeriodMs; }
  bool backingOff() const;

  // Page work: while a batch is on, the operations run in one transaction, begun by the first
  // of them and committed by commitBatch, by endBatch and by AddFax (a stored number is on
  // disk when AddFax returns). One transaction takes SQLite's file locks once instead of
  // around every statement. Outside the crawl's batch (below) endBatch commits at once; another
  // program can read spider.mdb meanwhile (WAL) and write it between two transactions. A
  // program killed inside a batch loses only the websites queued since its last commit.
  void beginBatch() { m_batching = true; }
  void commitBatch();
  void endBatch();
  // The page work's batch for as long as the object lives.
  class Batch {
   public:
    explicit Batch(SpiderDatabase& db) : m_db(db) { m_db.beginBatch(); }
    ~Batch() { m_db.endBatch(); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    SpiderDatabase& m_db;
  };
  // A pause in the batch for as long as the object lives, for work that lets other events use
  // the file: the batch ends (committing as endBatch does) and goes on after.
  class BatchPause {
   public:
    explicit BatchPause(SpiderDatabase& db) : m_db(db) { m_db.endBatch(); }
    ~BatchPause() { m_db.beginBatch(); }
    BatchPause(const BatchPause&) = delete;
    BatchPause& operator=(const BatchPause&) = delete;

   private:
    SpiderDatabase& m_db;
  };
  // While the crawl runs, its operations (a page's, a take's, the next page's) share
  // transactions, each committed at AddFax, when the crawl batch ends, and at the first batch end
  // (or by a timer, when the crawl is idle) once it is kCrawlCommitMs old. A transaction per page
  // and another per take cost the crawl a fifth of its system time in file locks and WAL writes.
  // Other programs still read spider.mdb meanwhile and write it between two transactions; a
  // program killed loses at most the websites queued in the last kCrawlCommitMs, never a stored
  // number.
  static constexpr int kCrawlCommitMs = 50;
  void setCrawlBatch(bool on);
  // What keeps the file from holding the harvest, as the last open or change found it; a
  // change that is stored ends it. The listener hears every change of it, and every change a
  // full disk keeps out.
  StoreFault fault() const { return m_fault; }
  void setFaultListener(std::function<void(StoreFault)> listener) {
    m_faultListener = std::move(listener);
  }
  // Whether the last add or delete (or LoadWebsiteList's move) reached the file.
  bool lastChangeStored() const { return m_lastChangeStored; }

  bool AddWebsite(QString& site);
  bool AddSearch(QString& search);
  // The caller empties its fax preview and zeroes the session's fax counter.
  bool DeleteAllFaxes();
  bool DeleteWebsite(QString& site);
  // True when the table was emptied: the caller then empties its website preview and zeroes
  // the session's found and scanned counters. On false nothing shown changes.
  bool DeleteAllWebsites();
  bool DeleteSearch(QString& search);
  qint32 CountFaxes();
  qint32 CountWebsites();
  // The queued websites, counted up to `limit`: enough to tell "none", "some" and "more than
  // N" apart without reading ten million rows.
  qint32 CountWebsitesUpTo(qint32 limit);
  bool FaxExists(QString& fax);
  // Known when the table holds it or `queued` (the websites already moved out of the table into
  // the preview) holds it with the same spelling.
  bool WebsiteKnown(QString& site, const QStringList& queued = {});
  // The store's part of filling the three previews. Each replaces (or, for the search strings,
  // appends to) the list the caller shows only when it has rows to show, and leaves it as it was
  // otherwise.
  // The newest 20 numbers, "fax | location", oldest first.
  bool LoadFaxList(QStringList& shown);
  // Moves the newest 20 websites out of the table into `shown`; true when it did, and the caller
  // then disables Resume.
  bool LoadWebsiteList(QStringList& shown);
  bool LoadSearchList(QStringList& shown);
  bool AddFax(QString& fax, const QString& website, QString& search, const QString& location);

  // The pages read under each search string (table `visited`), for "Skip Pages Already Read".
  // Addresses are compared as WebsiteKnown compares websites (letter case ignored), search
  // strings exactly. A page recorded twice keeps one row. A store that cannot be read knows no
  // page, so the crawl then reads pages as it would without the table.
  // Adds the table when the file lacks it; only a crawl that skips pages read asks for it, so a
  // file used without that option keeps the three tables. False when it is not there after.
  bool AddVisitedTable();
  bool AddVisited(const QString& address, const QString& search);
  bool VisitedKnown(const QString& address, const QString& search);
  // Every row of the search string: it was dropped.
  bool DeleteVisited(const QString& search);

  // The sites a search found (table `result_sites`), for "Stay on Result Sites": each site with
  // the numbers of its pages the crawl queued and took, for one search string at a time. The
  // table is added when the file lacks it, only when the crawl stays on the sites.
  bool AddResultSitesTable();
  // Replaces every row with these sites of the search string, in one transaction.
  bool SaveResultSites(const QString& search, const QList<ResultSite>& sites);
  bool SaveResultSitePages(const QString& search, const ResultSite& site);
  // The sites of the search string in the order they were saved; false when the table cannot
  // be read.
  bool LoadResultSites(const QString& search, QList<ResultSite>& sites);
  // Every row: the queue they belonged to was emptied.
  bool DeleteResultSites();

  // Direct reads for the harvest controller and the export. Both give nothing (an empty text,
  // an empty list) when the table cannot be read.
  // The website of the first queued row, in insertion order, passing over the rows `taken`
  // names (websites taken already whose rows could not be deleted).
  QString FirstQueuedWebsite(const QSet<QString>& taken = {});
  // The websites of the first `limit` queued rows, in insertion order.
  QStringList QueuedWebsites(int limit);
  // Up to `limit` queued rows after the row `afterRow` (0: from the first), in insertion order.
  struct QueuedRow {
    qint64 row = 0;
    QString website;
  };
  QList<QueuedRow> QueuedRowsAfter(qint64 afterRow, int limit);
  // Every row of faxes, in insertion order.
  QList<FaxRow> ReadAllFaxes();
  // The row ids of the numbers the listing holds, in its order; rows whose sort fields are
  // equal keep their insertion order (newest first when descending). Empty when the table
  // cannot be read, or when progress.keepGoing ended the listing. A million ids take 8 MB, the
  // rows themselves are read a page at a time.
  QList<qint64> FaxRowIds(const FaxListing& listing, const FaxListingProgress& progress = {});
  // The rows of these ids, in the same order; a row deleted since gives empty fields.
  QList<FaxRow> ReadFaxRows(const QList<qint64>& ids);
  // Hands every row of the listing to `row` in turn, straight from the query, until it returns
  // false. False when the table could not be read or `row` stopped it.
  bool ForEachFax(const FaxListing& listing, const std::function<bool(const FaxRow&)>& row);

  // The store's connection, for tests that read or set what belongs to a connection alone
  // (its synchronous setting, a cap on the file's pages).
  SqliteConnection& connectionForTests() { return m_db; }

  // The normalisations the operations apply to their arguments.
  // With keepSecureScheme, a website beginning with "https://" (any case, after leading spaces)
  // keeps that scheme in front, written "https://"; the rest is normalised as any website.
  static QString NormaliseWebsite(const QString& site, bool keepSecureScheme = false);
  static QString NormaliseFax(const QString& fax);
  // Removes leading and trailing space characters (only " ", not tabs or line breaks).
  static QString TrimSpaces(const QString& text);

 private:
  bool ready();
  bool openFile();
  // SQLite's busy handler for the connection: waits for a lock up to the busy timeout unless
  // the store backs off. Nonzero: try the lock again.
  static int waitForLock(void* store, int attempt);
  // Opens the connection on the file (or, when immutable, read-only without locks) and reads
  // its table count: -1 when that fails.
  qint64 openAndCountTables(bool immutable);
  void closeConnection();
  void setFault(StoreFault fault);
  // Records the outcome of a change: stored, or the fault that SQLite's result code names.
  bool noteChange(bool ran, int error);
  bool noteChange(const SqliteStatement& change) { return noteChange(change.ok(), change.error()); }
  // WAL journal and synchronous=NORMAL when the file can take them; rollback journal otherwise.
  void chooseJournal();
  // Lookup of one text in one column, letter case ignored. False when the lookup failed.
  bool lookup(const QString& table, const QString& column, const QString& text, bool& found);
  // Deletes the first row whose column equals text (letter case ignored), one row at most.
  // True when it deleted one.
  bool deleteFirstMatch(const QString& table, const QString& column, const QString& text);
  // The given columns of the newest rows of a table by Date (ties by insertion order), oldest
  // of them first. False when the query failed.
  bool newestRows(const QString& table, const QString& columns, int limit,
                  QList<QStringList>& rows);

  // The batch's transaction begins with the first operation (see beginBatch).
  void joinBatch();
  // PRAGMA data_version: changes when another connection commits to the file. -1 on failure.
  qint64 dataVersion();
  // Whether the answers held may stand: false when the file cannot be read; the answers are
  // forgotten when another program changed the file since they were last asked for.
  bool answersCurrent();
  void forgetAnswers();

  static inline int s_busyTimeoutMs = 3000;
  static inline int s_backOffPeriodMs = 5000;

  QString m_filePath;
  SqliteConnection m_db;
  bool m_open = false;
  bool m_keepSecureScheme = false;
  bool m_openFailed = false;
  bool m_batching = false;
  bool m_crawlBatch = false;
  std::optional<StoreTransaction> m_batchTransaction;  // open while the batch holds changes
  QElapsedTimer m_transactionAge;
  std::unique_ptr<QTimer> m_commitTimer;  // commits an idle crawl's transaction
  qint64 m_dataVersion = -1;              // when the answers were last known current
  LookupCache m_websites;                 // is the website in `websites`
  LookupCache m_visited;                  // was the page read under m_visitedSearch
  QString m_visitedSearch;
  QElapsedTimer m_sinceLockMissed;  // started when a lock or an open last made the store give up
  QElapsedTimer m_lockWait;
  StoreFault m_fault = StoreFault::None;
  StoreFault m_openFault = StoreFault::None;  // what the last failed open met
  bool m_lastChangeStored = false;
  std::function<void(StoreFault)> m_faultListener;
};

}  // namespace norvane
