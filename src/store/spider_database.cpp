#include "store/spider_database.h"

#include <QFile>
#include <QFileInfo>
#include <QStringMatcher>
#include <algorithm>
#include <chrono>
#include <iterator>
#include <optional>
#include <thread>
#include <utility>

#include <sqlite3.h>

#include "common/log_categories.h"
#include "common/remove_every.h"
#include "store/spider_schema.h"

namespace norvane {

namespace {

// The previews show at most this many rows.
constexpr int kPreviewRows = 20;

// The fault an SQLite result code stands for.
StoreFault FaultOfError(int code, StoreFault otherwise) {
  switch (code) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return StoreFault::InUse;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      return StoreFault::NotADatabase;
    case SQLITE_FULL:
      return StoreFault::DiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM:
      return StoreFault::CannotWrite;
    default:
      return otherwise;
  }
}

}  // namespace

SpiderDatabase::SpiderDatabase(QString filePath) : m_filePath(std::move(filePath)) {}

SpiderDatabase::~SpiderDatabase() {
  commitBatch();
}

bool SpiderDatabase::backingOff() const {
  return m_sinceLockMissed.isValid() && m_sinceLockMissed.elapsed() < s_backOffPeriodMs;
}

int SpiderDatabase::waitForLock(void* store, int attempt) {
  auto* self = static_cast<SpiderDatabase*>(store);
  if (attempt == 0) self->m_lockWait.start();
  const qint64 left = s_busyTimeoutMs - self->m_lockWait.elapsed();
  if (self->backingOff() || self->m_openFailed || left <= 0) {
    self->m_sinceLockMissed.start();
    return 0;
  }
  // Short sleeps first, as SQLite's own busy timeout does: most locks are brief.
  static constexpr int kDelaysMs[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
  constexpr int kDelayCount = int(std::size(kDelaysMs));
  const int delay = kDelaysMs[std::min(attempt, kDelayCount - 1)];
  std::this_thread::sleep_for(std::chrono::milliseconds(std::min<qint64>(delay, left)));
  return 1;
}

qint64 SpiderDatabase::openAndCountTables(bool immutable) {
  // Read-only, without locks and without the -wal and -shm files a folder that cannot be
  // written cannot hold, when immutable.
  if (!m_db.open(m_filePath, immutable)) {
    m_openFault = FaultOfError(m_db.error(), StoreFault::CannotOpen);
    return -1;
  }
  // The wait for locks is the store's own busy handler.
  sqlite3_busy_handler(m_db.handle(), &SpiderDatabase::waitForLock, this);

  // SQLite reads the file only at the first statement: this is where a file that is no
  // database (or is locked) is refused. Nothing has been written to it.
  const qint64 entries = m_db.integer(QStringLiteral("SELECT count(*) FROM sqlite_master"));
  if (entries < 0) m_openFault = FaultOfError(m_db.error(), StoreFault::CannotOpen);
  return entries;
}

void SpiderDatabase::closeConnection() {
  // Closing would roll back what the crawl's open transaction holds.
  commitBatch();
  // A new connection counts data versions of its own, and may see another file.
  m_dataVersion = -1;
  forgetAnswers();
  m_db.close();
}

void SpiderDatabase::setFault(StoreFault fault) {
  // A full disk is told at every change it keeps out: the crawl stops on it each time.
  if (fault == m_fault && fault != StoreFault::DiskFull) return;
  m_fault = fault;
  if (m_faultListener) m_faultListener(fault);
}

bool SpiderDatabase::noteChange(bool ran, int error) {
  m_lastChangeStored = ran;
  setFault(ran ? StoreFault::None : FaultOfError(error, StoreFault::CannotWrite));
  return ran;
}

void SpiderDatabase::close() {
  closeConnection();
  m_open = false;
}

bool SpiderDatabase::open() {
  if (m_open) return true;
  m_openFault = StoreFault::None;
  m_open = openFile();
  // The next try opens without waiting for a lock: a lock that is still there must not
  // freeze the window for the busy timeout once per back-off.
  m_openFailed = !m_open;
  if (m_openFailed) m_sinceLockMissed.start();
  return m_open;
}

bool SpiderDatabase::openFile() {
  const QFileInfo info(m_filePath);
  // A folder of that name is not a database; SQLite would report it only at the first query.
  if (info.exists() && !info.isFile()) {
    setFault(StoreFault::NotADatabase);
    return false;
  }
  const bool existed = info.exists();
  const bool folderWritable = QFileInfo(info.path()).isWritable();

  // A file that cannot be written is read as it stands: opened the usual way, SQLite would
  // leave -wal and -shm files beside a WAL file it only read. A -wal file already there may
  // hold rows, and then the file is opened the usual way, read-only.
  bool immutable = existed && info.size() > 0 && !info.isWritable() &&
                   !QFileInfo::exists(m_filePath + QStringLiteral("-wal"));
  qint64 schemaEntries = openAndCountTables(immutable);
  if (schemaEntries < 0 && !immutable && existed && info.size() > 0 && !folderWritable) {
    // A WAL file in a folder where SQLite cannot create the -shm file: read it as it stands.
    closeConnection();
    immutable = true;
    schemaEntries = openAndCountTables(true);
  }
  if (schemaEntries < 0) {
    closeConnection();
    // A file that cannot be made is one that cannot be written.
    setFault(!existed && m_openFault == StoreFault::CannotOpen ? StoreFault::CannotWrite
                                                               : m_openFault);
    return false;
  }
  // A database without any table (a file just created here, or one of zero length) gets the
  // three tables; a file that already has a schema keeps it.
  if (schemaEntries == 0) {
    if (immutable || !CreateSpiderTables(m_db)) {
      closeConnection();
      if (!existed) QFile::remove(m_filePath);
      setFault(StoreFault::CannotWrite);
      return false;
    }
  }
  if (!immutable) {
    // Both fail harmlessly on a file that takes no changes.
    chooseJournal();
    AddLookupIndexes(m_db);
  }
  m_dataVersion = dataVersion();
  setFault(immutable || !folderWritable || m_db.readOnly() ? StoreFault::CannotWrite
                                                           : StoreFault::None);
  return true;
}

void SpiderDatabase::chooseJournal() {
  SqliteStatement journal = m_db.prepare(QStringLiteral("PRAGMA journal_mode=WAL"));
  const QString mode = journal && journal.step() ? journal.text(0).toLower() : QString();
  journal.reset();
  // Without WAL (the file is locked, or its folder takes no -wal file) the rollback journal
  // keeps SQLite's default synchronous=FULL, the safe setting for it.
  if (mode == QLatin1String("wal")) m_db.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
}

bool SpiderDatabase::ready() {
  // A file that could not be opened is not tried again until the back-off is over.
  if (!m_open && (backingOff() || !open())) return false;
  joinBatch();
  return true;
}

void SpiderDatabase::joinBatch() {
  if (!(m_batching || m_crawlBatch) || m_batchTransaction) return;
  // Inside a transaction of another operation (LoadWebsiteList's) its own rules hold.
  if (!m_db.isOpen() || m_db.inTransaction()) return;
  // IMMEDIATE: the write lock now, so that no other program's commit can come between the
  // batch's read of the data version (for the answers held) and its writes. Without it (the file is
  // locked or read-only) the operations run one by one, as outside a batch.
  if (!m_batchTransaction.emplace(m_db).begun()) {
    m_batchTransaction.reset();
    return;
  }
  m_transactionAge.start();
  if (m_crawlBatch) m_commitTimer->start();
  const qint64 version = dataVersion();
  if (version < 0 || version != m_dataVersion) forgetAnswers();
  m_dataVersion = version;
}

void SpiderDatabase::commitBatch() {
  if (!m_batchTransaction) return;
  if (m_commitTimer) m_commitTimer->stop();
  const bool committed = m_batchTransaction->commit();
  const int error = m_batchTransaction->error();
  m_batchTransaction.reset();
  if (committed) return;
  // What did not commit is not in the file, but the answers held may count it, and the last
  // change was not stored after all.
  noteChange(false, error);
  forgetAnswers();
}

void SpiderDatabase::endBatch() {
  m_batching = false;
  if (m_crawlBatch && m_batchTransaction && m_transactionAge.elapsed() < kCrawlCommitMs) return;
  commitBatch();
}

void SpiderDatabase::setCrawlBatch(bool on) {
  if (on && !m_commitTimer) {
    m_commitTimer = std::make_unique<QTimer>();
    m_commitTimer->setSingleShot(true);
    m_commitTimer->setInterval(kCrawlCommitMs);
    QObject::connect(m_commitTimer.get(), &QTimer::timeout, m_commitTimer.get(),
                     [this] { commitBatch(); });
  }
  m_crawlBatch = on;
  if (!on) commitBatch();
}

qint64 SpiderDatabase::dataVersion() {
  SqliteStatement* query = m_db.kept(QStringLiteral("PRAGMA data_version"));
  if (!query || !query->step()) return -1;
  const qint64 version = query->integer(0);
  query->reset();
  return version;
}

void SpiderDatabase::forgetAnswers() {
  m_websites.clear();
  m_visited.clear();
}

bool SpiderDatabase::answersCurrent() {
  if (!ready()) return false;
  // Inside the batch's transaction nobody else can have committed since it began.
  if (m_batchTransaction) return true;
  const qint64 version = dataVersion();
  if (version < 0) return false;
  if (version != m_dataVersion) forgetAnswers();
  m_dataVersion = version;
  return true;
}

bool SpiderDatabase::lookup(const QString& table, const QString& column, const QString& text,
                            bool& found) {
  if (!ready()) return false;
  SqliteStatement* query = m_db.kept(
      QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? COLLATE NOCASE LIMIT 1").arg(table, column));
  if (!query) return false;
  found = query->bind(1, text).step();
  query->reset();
  return query->ok();
}

bool SpiderDatabase::deleteFirstMatch(const QString& table, const QString& column,
                                      const QString& text) {
  if (!ready()) return false;
  SqliteStatement* query =
      m_db.kept(QStringLiteral("DELETE FROM %1 WHERE rowid = (SELECT rowid FROM %1 WHERE "
                               "%2 = ? COLLATE NOCASE ORDER BY rowid LIMIT 1)")
                    .arg(table, column));
  if (!query) return false;
  query->bind(1, text).run();
  return noteChange(*query) && query->changes() > 0;
}

bool SpiderDatabase::newestRows(const QString& table, const QString& columns, int limit,
                                QList<QStringList>& rows) {
  if (!ready()) return false;
  SqliteStatement query =
      m_db.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY Date DESC, rowid DESC LIMIT ?")
                       .arg(columns, table));
  if (!query) return false;
  query.bind(1, qint64(limit));
  const int columnCount = int(columns.count(QLatin1Char(',')) + 1);
  while (query.step()) {
    QStringList row;
    for (int i = 0; i < columnCount; ++i) row << query.text(i);
    rows << row;
  }
  std::reverse(rows.begin(), rows.end());
  return query.ok();
}

QString SpiderDatabase::TrimSpaces(const QString& text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && text.at(begin) == QLatin1Char(' ')) ++begin;
  while (end > begin && text.at(end - 1) == QLatin1Char(' ')) --end;
  return text.mid(begin, end - begin);
}

QString SpiderDatabase::NormaliseWebsite(const QString& site, bool keepSecureScheme) {
  static const QLatin1String kSecureScheme("https://");
  if (keepSecureScheme) {
    const QString trimmed = TrimSpaces(site);
    if (trimmed.startsWith(kSecureScheme, Qt::CaseInsensitive))
      return kSecureScheme + NormaliseWebsite(trimmed.mid(kSecureScheme.size()));
  }
  // Longest fragment first, so that each later pass catches what is left of a mistyped scheme.
  static const QStringMatcher kFragments[] = {
      QStringMatcher(QStringLiteral("http://"), Qt::CaseInsensitive),
      QStringMatcher(QStringLiteral("ttp://"), Qt::CaseInsensitive),
      QStringMatcher(QStringLiteral("tp://"), Qt::CaseInsensitive),
      QStringMatcher(QStringLiteral("p://"), Qt::CaseInsensitive),
      QStringMatcher(QStringLiteral("://"), Qt::CaseInsensitive)};
  QString text = site;
  for (const QStringMatcher& fragment : kFragments) {
    // Every fragment ends in "://": once none is left, no pass removes anything. Asked for every
    // link, whose one "http://" goes in the first pass: the other four case-blind searches stay
    // undone.
    if (!QStringView(text).contains(u"://")) break;
    text = RemoveEveryOccurrence(text, fragment);
  }
  return TrimSpaces(text);
}

QString SpiderDatabase::NormaliseFax(const QString& fax) {
  QString text = fax;
  if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  return TrimSpaces(text);
}

bool SpiderDatabase::AddWebsite(QString& site) {
  site = NormaliseWebsite(site, m_keepSecureScheme);
  m_lastChangeStored = false;
  if (!ready()) return true;
  if (SqliteStatement* query =
          m_db.kept(QStringLiteral("INSERT INTO websites (website, Date) VALUES (?, ?)"))) {
    query->bind(1, site).bind(2, StoredNow()).run();
    if (noteChange(*query)) m_websites.added(site);
  }
  return true;
}

bool SpiderDatabase::AddSearch(QString& search) {
  search = TrimSpaces(search);
  m_lastChangeStored = false;
  if (!ready()) return true;
  if (SqliteStatement query =
          m_db.prepare(QStringLiteral("INSERT INTO searches (search) VALUES (?)"))) {
    query.bind(1, search).run();
    noteChange(query);
  }
  return true;
}

bool SpiderDatabase::DeleteAllFaxes() {
  m_lastChangeStored = false;
  if (!ready()) return true;
  const bool ran = m_db.exec(QStringLiteral("DELETE FROM faxes"));
  noteChange(ran, m_db.error());
  return true;
}

bool SpiderDatabase::DeleteWebsite(QString& site) {
  site = NormaliseWebsite(site, m_keepSecureScheme);
  m_lastChangeStored = false;
  if (deleteFirstMatch(QStringLiteral("websites"), QStringLiteral("website"), site))
    m_websites.removed(site);
  return true;
}

bool SpiderDatabase::DeleteAllWebsites() {
  m_lastChangeStored = false;
  if (!ready()) return false;
  const bool ran = m_db.exec(QStringLiteral("DELETE FROM websites"));
  if (!noteChange(ran, m_db.error())) return false;
  m_websites.clear();
  return true;
}

bool SpiderDatabase::DeleteSearch(QString& search) {
  search = TrimSpaces(search);
  m_lastChangeStored = false;
  deleteFirstMatch(QStringLiteral("searches"), QStringLiteral("search"), search);
  return true;
}

qint32 SpiderDatabase::CountFaxes() {
  if (!ready()) return 0;
  return qint32(std::max<qint64>(0, m_db.integer(QStringLiteral("SELECT count(*) FROM faxes"))));
}

qint32 SpiderDatabase::CountWebsites() {
  if (!ready()) return 0;
  return qint32(std::max<qint64>(0, m_db.integer(QStringLiteral("SELECT count(*) FROM websites"))));
}

qint32 SpiderDatabase::CountWebsitesUpTo(qint32 limit) {
  if (!ready() || limit <= 0) return 0;
  SqliteStatement query =
      m_db.prepare(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM websites LIMIT ?)"));
  return query && query.bind(1, qint64(limit)).step() ? qint32(query.integer(0)) : 0;
}

bool SpiderDatabase::FaxExists(QString& fax) {
  fax = NormaliseFax(fax);
  bool found = false;
  // A number that cannot be looked up counts as present, so it is not stored.
  if (!lookup(QStringLiteral("faxes"), QStringLiteral("fax"), fax, found)) return true;
  return found;
}

bool SpiderDatabase::WebsiteKnown(QString& site, const QStringList& queued) {
  site = NormaliseWebsite(site, m_keepSecureScheme);
  // A website that cannot be looked up counts as known, so it is not queued.
  if (!answersCurrent()) return true;
  std::optional<bool> inTable = m_websites.known(site);
  if (!inTable) {
    bool found = false;
    if (!lookup(QStringLiteral("websites"), QStringLiteral("website"), site, found)) return true;
    m_websites.remember(site, found);
    inTable = found;
  }
  return *inTable || queued.contains(site, Qt::CaseSensitive);
}

bool SpiderDatabase::LoadFaxList(QStringList& shown) {
  QList<QStringList> rows;
  if (!newestRows(QStringLiteral("faxes"), QStringLiteral("fax, location"), kPreviewRows, rows) ||
      rows.isEmpty())
    return true;
  QStringList entries;
  for (const QStringList& row : rows) entries << FaxListEntry(row.at(0), row.at(1));
  shown = entries;
  return true;
}

bool SpiderDatabase::LoadWebsiteList(QStringList& shown) {
  QList<QStringList> rows;
  if (!newestRows(QStringLiteral("websites"), QStringLiteral("website"), kPreviewRows, rows) ||
      rows.isEmpty())
    return false;
  QStringList websites;
  for (const QStringList& row : rows) websites << row.at(0);
  shown = websites;

  // One write transaction for the moves, so that they reach the disk together and at once.
  // When it cannot start (a read-only file, another program writing) the websites stay in the
  // table as well: nothing is lost, and the start does not wait for the lock once per website.
  // The move is stored only when every delete and the commit were: a file opened without locks
  // begins and commits a transaction that none of its deletes could change.
  commitBatch();
  StoreTransaction transaction(m_db);
  if (!transaction.begun()) {
    noteChange(false, transaction.error());
    return true;
  }
  bool moved = true;
  for (QString website : websites) {
    DeleteWebsite(website);
    moved = moved && m_lastChangeStored;
  }
  if (!transaction.commit()) {
    noteChange(false, transaction.error());
    forgetAnswers();
  } else if (!moved) {
    m_lastChangeStored = false;
  } else {
    noteChange(true, 0);
  }
  return true;
}

bool SpiderDatabase::LoadSearchList(QStringList& shown) {
  if (!ready()) return true;
  SqliteStatement query =
      m_db.prepare(QStringLiteral("SELECT search FROM searches ORDER BY rowid"));
  while (query && query.step()) shown << query.text(0);
  return true;
}

bool SpiderDatabase::AddFax(QString& fax, const QString& website, QString& search,
                            const QString& location) {
  fax = NormaliseFax(fax);
  if (search.isEmpty()) search = QStringLiteral("Unknown");
  m_lastChangeStored = false;
  if (!ready()) return true;
  if (SqliteStatement* query = m_db.kept(QStringLiteral(
          "INSERT INTO faxes (fax, Date, website, search, location) VALUES (?, ?, ?, ?, ?)"))) {
    query->bind(1, fax).bind(2, StoredNow()).bind(3, website).bind(4, search).bind(5, location);
    query->run();
    noteChange(*query);
  }
  // The number (and what the page queued before it) is on disk when AddFax returns.
  commitBatch();
  return true;
}

bool SpiderDatabase::AddVisitedTable() {
  return ready() && norvane::AddVisitedTable(m_db);
}

bool SpiderDatabase::AddVisited(const QString& address, const QString& search) {
  if (!answersCurrent()) return false;
  const bool current = m_visitedSearch == search;
  if (current && m_visited.known(address).value_or(false)) return true;
  SqliteStatement* query = m_db.kept(
      QStringLiteral("INSERT INTO visited (website, search) SELECT ?1, ?2 WHERE NOT EXISTS "
                     "(SELECT 1 FROM visited WHERE website = ?1 COLLATE NOCASE AND search = ?2)"));
  if (!query) return false;
  const bool done = query->bind(1, address).bind(2, search).run();
  if (done && current) m_visited.added(address);
  return done;
}

bool SpiderDatabase::VisitedKnown(const QString& address, const QString& search) {
  // Asked for every page the crawl is about to read: answered from memory where it can be.
  if (!answersCurrent()) return false;
  if (m_visitedSearch != search) {
    m_visited.clear();
    m_visitedSearch = search;
  }
  if (const std::optional<bool> known = m_visited.known(address)) return *known;
  SqliteStatement* query = m_db.kept(QStringLiteral(
      "SELECT 1 FROM visited WHERE website = ? COLLATE NOCASE AND search = ? LIMIT 1"));
  if (!query) return false;
  const bool found = query->bind(1, address).bind(2, search).step();
  query->reset();
  if (!query->ok()) return false;
  m_visited.remember(address, found);
  return found;
}

bool SpiderDatabase::DeleteVisited(const QString& search) {
  if (!ready()) return false;
  SqliteStatement* query = m_db.kept(QStringLiteral("DELETE FROM visited WHERE search = ?"));
  if (!query) return false;
  const bool done = query->bind(1, search).run();
  if (done && m_visitedSearch == search) m_visited.clear();
  return done;
}

bool SpiderDatabase::AddResultSitesTable() {
  return ready() && norvane::AddResultSitesTable(m_db);
}

bool SpiderDatabase::SaveResultSites(const QString& search, const QList<ResultSite>& sites) {
  if (!ready()) return false;
  // Inside the crawl's transaction the rows join it; otherwise they go in one of their own.
  std::optional<StoreTransaction> own;
  if (!m_batchTransaction && !own.emplace(m_db).begun()) return false;
  bool done = m_db.exec(QStringLiteral("DELETE FROM result_sites"));
  SqliteStatement* insert = m_db.kept(
      QStringLiteral("INSERT INTO result_sites (site, search, queued, taken) VALUES (?, ?, ?, ?)"));
  for (const ResultSite& site : sites) {
    if (!done || !insert) break;
    done = insert->bind(1, site.site)
               .bind(2, search)
               .bind(3, qint64(site.queued))
               .bind(4, qint64(site.taken))
               .run();
  }
  // Without a commit, its own transaction rolls back as it goes.
  return own ? done && own->commit() : done;
}

bool SpiderDatabase::SaveResultSitePages(const QString& search, const ResultSite& site) {
  if (!ready()) return false;
  SqliteStatement* query = m_db.kept(QStringLiteral(
      "UPDATE result_sites SET queued = ?, taken = ? WHERE site = ? AND search = ?"));
  return query && query->bind(1, qint64(site.queued))
                      .bind(2, qint64(site.taken))
                      .bind(3, site.site)
                      .bind(4, search)
                      .run();
}

bool SpiderDatabase::LoadResultSites(const QString& search, QList<ResultSite>& sites) {
  if (!ready()) return false;
  SqliteStatement query = m_db.prepare(QStringLiteral(
      "SELECT site, queued, taken FROM result_sites WHERE search = ? ORDER BY rowid"));
  if (!query) return false;
  query.bind(1, search);
  while (query.step()) sites.append({query.text(0), int(query.integer(1)), int(query.integer(2))});
  return query.ok();
}

bool SpiderDatabase::DeleteResultSites() {
  return ready() && m_db.exec(QStringLiteral("DELETE FROM result_sites"));
}

QString SpiderDatabase::FirstQueuedWebsite(const QSet<QString>& taken) {
  if (!ready()) return QString();
  SqliteStatement* query = m_db.kept(QStringLiteral("SELECT website FROM websites ORDER BY rowid"));
  if (!query) return QString();
  QString website;
  while (query->step()) {
    website = query->text(0);
    if (!taken.contains(website)) break;
    website.clear();
  }
  query->reset();
  return website;
}

QStringList SpiderDatabase::QueuedWebsites(int limit) {
  QStringList websites;
  for (const QueuedRow& row : QueuedRowsAfter(0, limit)) websites << row.website;
  return websites;
}

QList<SpiderDatabase::QueuedRow> SpiderDatabase::QueuedRowsAfter(qint64 afterRow, int limit) {
  QList<QueuedRow> rows;
  if (limit <= 0 || !ready()) return rows;
  SqliteStatement* query = m_db.kept(
      QStringLiteral("SELECT rowid, website FROM websites WHERE rowid > ? ORDER BY rowid LIMIT ?"));
  if (!query) return rows;
  query->bind(1, afterRow).bind(2, qint64(limit));
  while (query->step()) rows.append({query->integer(0), query->text(1)});
  query->reset();
  return rows;
}

}  // namespace norvane
